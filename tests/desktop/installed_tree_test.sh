#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs of it with the
# freedesktop.org and Debian tools: the menu entry, the AppStream description, the file types
# (down to what the desktop answers for a .lcm file), the icons, the manual pages and the shell
# completion.   usage: installed_tree_test.sh BUILD_DIR
set -euo pipefail

build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
share="$prefix/share"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/korvel bin/korvel-cli libexec/korvel/korvel-cli-qt share/applications/korvel.desktop \
    share/mime/packages/korvel.xml share/metainfo/korvel.metainfo.xml \
    share/icons/hicolor/scalable/apps/korvel.svg share/man/man1/korvel.1.gz \
    share/man/man1/korvel-cli.1.gz share/bash-completion/completions/korvel-cli \
    share/doc/korvel/copyright share/doc/korvel/changelog.gz; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/korvel" ] && [ -x "$prefix/bin/korvel-cli" ] || fail "the programs are not executable"
# korvel-cli finds korvel-cli-qt where it is installed, also when started through a link.
ln -s "$prefix/bin/korvel-cli" "$prefix/korvel-cli-link"
"$prefix/korvel-cli-link" new-font --help | grep -q "^  korvel-cli new-font" ||
    fail "the installed korvel-cli does not hand new-font to korvel-cli-qt"

# The menu entry: valid, in the two categories, opening both kinds of library.
entry="$share/applications/korvel.desktop"
report="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $report"
if grep -E '(error|warning):' <<<"$report"; then fail "desktop-file-validate has complaints"; fi
grep -qx 'Categories=Graphics;Development;' "$entry" || fail "Categories"
grep -qx 'MimeType=application/x-korvel-font-library;application/x-korvel-bitmap-library;' \
    "$entry" || fail "MimeType"
grep -qx 'Exec=korvel %F' "$entry" || fail "Exec"

# AppStream: the one remark left is that the id is the desktop file's name, not a reverse domain.
appstream_options=(--no-net --override=cid-desktopapp-is-not-rdns=info)
appstreamcli validate "${appstream_options[@]}" "$share/metainfo/korvel.metainfo.xml" ||
    fail "appstreamcli validate"
appstreamcli validate-tree "${appstream_options[@]}" "$prefix" || fail "appstreamcli validate-tree"

xmllint --noout "$share/mime/packages/korvel.xml" || fail "xmllint of the MIME types"

for page in korvel korvel-cli; do
    warnings="$(MANPAGER=cat MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "man --warnings $page.1: $warnings"
    MANPAGER=cat man -l "$share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^NAME" ||
        fail "$page.1 renders no NAME section"
done
bash -n "$share/bash-completion/completions/korvel-cli" || fail "bash -n of the completion"

# Each PNG icon has the size its folder names (width and height from the PNG header).
for folder in "$share"/icons/hicolor/*x*; do
    size="${folder##*/}"
    png="$folder/apps/korvel.png"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
    [ "${width}x${height}" = "$size" ] || fail "$png is ${width}x${height}"
done
sizes="$(cd "$share/icons/hicolor" && echo *x*)"
[ "$sizes" = "128x128 16x16 22x22 24x24 256x256 32x32 48x48 64x64" ] || fail "icon sizes: $sizes"

# The desktop's answer for library files: the install made the MIME database and the handler
# cache of its prefix itself.
[ -s "$share/mime/mime.cache" ] || fail "the install made no MIME database"
[ -s "$share/applications/mimeinfo.cache" ] || fail "the install made no handler cache"
samples="$(mktemp -d)"
trap 'rm -rf "$prefix" "$samples"' EXIT
printf '\000\001\002' >"$samples/font.lcm"
printf '\000\000\000\001' >"$samples/LOGOS.BCM"
printf '\000\001\002' >"$samples/other.lcmx"
query() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_HOME="$share" \
        XDG_DATA_DIRS="$share:/usr/share" xdg-mime query "$@"
}
[ "$(query filetype "$samples/font.lcm")" = application/x-korvel-font-library ] ||
    fail "xdg-mime: font.lcm is $(query filetype "$samples/font.lcm")"
[ "$(query filetype "$samples/LOGOS.BCM")" = application/x-korvel-bitmap-library ] ||
    fail "xdg-mime: LOGOS.BCM is $(query filetype "$samples/LOGOS.BCM")"
[[ "$(query filetype "$samples/other.lcmx")" != *korvel* ]] || fail "xdg-mime: other.lcmx is Korvel's"
for type in application/x-korvel-font-library application/x-korvel-bitmap-library; do
    [ "$(query default "$type")" = korvel.desktop ] || fail "xdg-mime: $type opens with $(query default "$type")"
done

[ "$failures" -eq 0 ] || exit 1
echo "installed tree checked"

#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it as Debian would: its files (dpkg-deb -c),
# its control fields and library dependencies (found by dpkg-shlibdeps), and lintian, which must
# report no error.   usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail

build="$1"
version="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    exit 1
fi
deb="$out/korvel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

contents="$(dpkg-deb -c "$deb")"
for file in usr/bin/korvel usr/bin/korvel-cli usr/libexec/korvel/korvel-cli-qt \
    usr/share/applications/korvel.desktop \
    usr/share/mime/packages/korvel.xml usr/share/metainfo/korvel.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/korvel.svg usr/share/icons/hicolor/16x16/apps/korvel.png \
    usr/share/icons/hicolor/256x256/apps/korvel.png usr/share/man/man1/korvel.1.gz \
    usr/share/man/man1/korvel-cli.1.gz usr/share/bash-completion/completions/korvel-cli \
    usr/share/doc/korvel/copyright usr/share/doc/korvel/changelog.gz; do
    grep -q " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done
# Everything lies under /usr and belongs to root.
if grep -v ' \./usr/' <<<"$contents" | grep -v ' \./$'; then fail "files outside /usr"; fi
if grep -v ' root/root ' <<<"$contents"; then fail "files not owned by root"; fi

[ "$(dpkg-deb -f "$deb" Package)" = korvel ] || fail "Package"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version"
depends="$(dpkg-deb -f "$deb" Depends)"
depended="$(tr ',' '\n' <<<"$depends" | awk '{ print $1 }')"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libpng16-16; do
    grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library: $depends"
done

recommends="$(dpkg-deb -f "$deb" Recommends)"
for package in fonts-liberation qt6-image-formats-plugins libqt6svg6; do
    grep -qw -- "$package" <<<"$recommends" || fail "Recommends lacks $package: $recommends"
done

# lintian: no error. Its warnings and remarks are shown for the reader.
if ! lintian --fail-on error --tag-display-limit 0 "$deb"; then
    fail "lintian reports errors"
fi

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"

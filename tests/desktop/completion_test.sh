#!/usr/bin/env bash
# The bash completion of korvel-cli: what it offers in a folder of sample files, and that it and
# the manual page know every command and option that korvel-cli --help lists.
#   usage: completion_test.sh BUILD_DIR COMPLETION_FILE MANUAL_PAGE
set -euo pipefail

build="$1"
completion="$2"
manual="$3"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

PATH="$build:$PATH"
export QT_QPA_PLATFORM=offscreen
# Sorting, character classes and the manual page's hyphens, all plain ASCII.
export LC_ALL=C
# shellcheck source=/dev/null
source "$completion"

# What the completion offers for a command line whose last word is being typed, sorted.
offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _korvel_cli korvel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort -u | paste -sd' ' -
}
expect() {
    local want="$1"
    shift
    local got
    got="$(offered "$@")"
    [ "$got" = "$want" ] || fail "korvel-cli ${*:2}<TAB>: offered \"$got\", not \"$want\""
}

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cd "$folder"
mkdir pictures
touch font.lcm OLD.LCM logos.bcm font.bdf arrow.png arrow.bmp notes.txt out.h anim.gif
korvel-cli new-font --blank 3x3 -o font.lcm >/dev/null
korvel-cli add logos.bcm ARROW arrow.png --size 4x4 >/dev/null 2>&1 ||
    printf '' # arrow.png is no picture: the library stays without entries

expect "export export-c" korvel-cli ex
expect "OLD.LCM font.lcm logos.bcm pictures" korvel-cli info ""
expect "OLD.LCM font.lcm logos.bcm pictures" korvel-cli info --rows ""
expect "--codepage --help --metrics --rows" korvel-cli info --
expect "font.bdf pictures" korvel-cli convert font.lcm ""
expect "OLD.LCM font.lcm pictures" korvel-cli convert font.bdf ""
expect "pictures" korvel-cli convert logos.bcm ""
expect "anim.gif arrow.bmp arrow.png pictures" korvel-cli add logos.bcm ARROW ""
expect "anim.gif arrow.bmp arrow.png pictures" korvel-cli add --size 4x4 logos.bcm ARROW ""
expect "OLD.LCM font.lcm logos.bcm pictures" korvel-cli import ""
expect "anim.gif arrow.bmp arrow.png pictures" korvel-cli import font.lcm 65 ""
expect "font.bdf pictures" korvel-cli convert OLD.LCM ""
# Bitmap names with spaces, of a library in a folder with a space, typed bare or in quotes.
mkdir "pictures/my dir"
printf '\000\001MY LOGO\000\000\000\000\000\000\001\000\001\000\001\177\377\377' \
    >"pictures/my dir/spaced.bcm"
expect 'MY\ LOGO' korvel-cli export 'pictures/my\ dir/spaced.bcm' ""
expect 'MY LOGO' korvel-cli import '"pictures/my dir/spaced.bcm"' '"MY'
# A name is offered as text, quoted for the shell, and never run.
printf '\000\001$(:>P)\000\000\000\000\000\000\000\001\000\001\000\001\177\377\377' \
    >"pictures/my dir/evil.bcm"
expect '\$\(:\>P\)' korvel-cli export 'pictures/my\ dir/evil.bcm' ""
expect '\$(:>P)' korvel-cli export 'pictures/my\ dir/evil.bcm' '"'
[ ! -e P ] || fail "completing a bitmap name ran the command in it"

expect "128 256" korvel-cli new-font --codes ""
expect "out.h pictures" korvel-cli export-c font.lcm -o ""
expect "planes rgb111 rgb565" korvel-cli export-c logos.bcm --pixel ""
expect "lsb msb" korvel-cli export-c font.lcm --bit-order ""
expect "gfx lvgl plain u8g2" korvel-cli export-c font.lcm --format ""
expect "auto bottom" korvel-cli convert font.lcm font.bdf --baseline ""
expect "" korvel-cli list-fonts ""
# Font families come from list-fonts, quoted for the shell (spaces escaped).
families="$(korvel-cli list-fonts)"
[ -n "$families" ] || fail "list-fonts lists nothing"
prefix="$(head -n 1 <<<"$families")"
prefix="${prefix:0:3}"
want="$(while IFS= read -r family; do
    if [[ "$family" == "$prefix"* ]]; then printf '%q\n' "$family"; fi
done <<<"$families" | sort -u | paste -sd' ' -)"
expect "$want" korvel-cli new-font --family "$prefix"
# In quotes, the shell keeps the spaces: they are offered as they are.
want="$(while IFS= read -r family; do
    if [[ "$family" == "$prefix"* ]]; then echo "$family"; fi
done <<<"$families" | sort -u | paste -sd' ' -)"
expect "$want" korvel-cli new-font --family "\"$prefix"

# Every command and option of the tool's own usage is known to the completion and the manual.
usage="$(korvel-cli --help)"
commands="$(awk '$1 == "korvel-cli" && $2 !~ /^[A-Z-]/ { print $2 }' <<<"$usage" | sort -u)"
[ -n "$commands" ] || fail "no commands in korvel-cli --help"
page="$(MANPAGER=cat MANWIDTH=200 man -l "$manual" 2>/dev/null)"
for command in $commands; do
    [[ " $_korvel_cli_commands " == *" $command "* ]] || fail "the completion lacks $command"
    grep -q "^ *$command\( \|$\)" <<<"$page" || fail "the manual page lacks $command"
    known=" $(_korvel_cli_options "$command" | tr -d =) "
    # The usage lines, between "Usage:" and the one-line summary.
    for option in $(korvel-cli "$command" --help | sed "1d;\$d" | grep -oE '(^|[[ ])--?[a-z][a-z-]*' |
        tr -d '[ ' | sort -u); do
        [[ "$known" == *" $option "* ]] || fail "the completion lacks $command $option"
        grep -q -- "$option" <<<"$page" || fail "the manual page lacks $command $option"
    done
done
for word in $_korvel_cli_commands; do
    grep -qx "$word" <<<"$commands" || fail "the completion offers $word, which korvel-cli lacks"
done

[ "$failures" -eq 0 ] || exit 1
echo "completion checked"

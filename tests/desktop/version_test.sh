#!/usr/bin/env bash
# Both programs answer --version with the project's version, and korvel --help names its
# arguments; neither opens a window for it.   usage: version_test.sh KORVEL KORVEL_CLI VERSION
set -euo pipefail

korvel="$1"
korvel_cli="$2"
version="$3"
status=0
# Answered without a display: no X server and no platform chosen.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$korvel" --version)" = "korvel $version" ] ||
    { echo "FAIL: korvel --version without a display" >&2; status=1; }
export QT_QPA_PLATFORM=offscreen
[ "$("$korvel" --version)" = "korvel $version" ] || { echo "FAIL: korvel --version" >&2; status=1; }
[ "$("$korvel_cli" --version)" = "korvel-cli $version" ] ||
    { echo "FAIL: korvel-cli --version" >&2; status=1; }
# Qt's own options, with their value after a space or an "=", go to Qt.
for qt_options in "-platform offscreen" "-style Fusion" "-style=Fusion" "-reverse" "-widgetcount"; do
    # shellcheck disable=SC2086 # each set of options is split into its words on purpose
    [ "$("$korvel" $qt_options --version 2>/dev/null)" = "korvel $version" ] ||
        { echo "FAIL: korvel $qt_options --version" >&2; status=1; }
done
help="$("$korvel" --help)"
grep -q -- '--version' <<<"$help" && grep -q 'FILE\.\.\.' <<<"$help" ||
    { echo "FAIL: korvel --help: $help" >&2; status=1; }
wrong=0
"$korvel" --no-such-option >/dev/null 2>&1 || wrong=$?
[ "$wrong" -eq 2 ] || { echo "FAIL: korvel --no-such-option ends with $wrong, not 2" >&2; status=1; }
exit "$status"

#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, builds Korvel, and runs it or its tests.
#   scripts/korvel.sh run    build and start the editor
#   scripts/korvel.sh test   check the formatting, build and run every test headless, then again built with
#                            AddressSanitizer and UndefinedBehaviorSanitizer, then fuzz each
#                            reader for KORVEL_FUZZ_SECONDS seconds (default 60; 0 skips it)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVEL_BUILD_DIR:-$here/build}"
asan_build="${KORVEL_ASAN_BUILD_DIR:-$here/build-asan}"
fuzz_seconds="${KORVEL_FUZZ_SECONDS:-60}"
jobs="$(nproc 2>/dev/null || echo 2)"

packages=(cmake g++ gcc make qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev fonts-dejavu-core
    clang libclang-rt-14-dev libpng-dev zlib1g-dev xfonts-utils pcf2bdf fontconfig
    adwaita-icon-theme libfontconfig-dev libfreetype-dev fonts-freefont-ttf fonts-urw-base35
    fonts-terminus-otb
    clang-format xfonts-base)
# The windows' 8-point type falls back to Liberation Sans (Arial's widths) where Microsoft Sans
# Serif is missing, so the labels laid out for it show their texts whole.
packages+=(fonts-liberation)
# The image import reads JPEG, GIF, WebP, TIFF and more through Qt's image plugins, and SVG
# through Qt's SVG library (its image plugin comes with it).
packages+=(qt6-image-formats-plugins libqt6svg6)
# The icons are rendered from their SVG at build time; the desktop tests install the build, make
# the Debian package and check both with the distribution's own tools.
packages+=(librsvg2-bin desktop-file-utils appstream libxml2-utils man-db shared-mime-info
    xdg-utils libfile-mimeinfo-perl dpkg-dev lintian)
# bench/whole-process.sh times korvel-cli beside ImageMagick, bdftopcf and a FreeType program.
packages+=(hyperfine imagemagick python3)
# The firmware font tests compare Korvel's baseline with FreeType's and read its BDF through it.
packages+=(libfreetype-dev)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Every C++ file follows the checked-in .clang-format (the golden C headers of tests/data aside).
check_format() {
    find "$here/src" "$here/tests" "$here/bench" "$here/fuzz" \( -name '*.cpp' -o -name '*.h' \) \
        -not -path "$here/tests/data/*" -print0 | xargs -0 clang-format --dry-run --Werror
}

configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_WARNINGS_AS_ERRORS=ON "$@"
    cmake --build "$dir" -j "$jobs"
}

case "${1:-}" in
run)
    install_missing
    configure_and_build "$build"
    exec "$build/korvel"
    ;;
test)
    install_missing
    check_format
    configure_and_build "$build" -DKORVEL_BUILD_BENCHMARKS=ON
    configure_and_build "$asan_build" -DKORVEL_SANITIZE=ON
    if [ "$fuzz_seconds" -gt 0 ]; then
        "$here/scripts/fuzz.sh" "$fuzz_seconds"
    fi
    # Leaks, memory errors and undefined behaviour each fail the test they happen in.
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir "$asan_build" --output-on-failure -j "$jobs"
    # The plain build's suite runs last, so its summary closes the output.
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

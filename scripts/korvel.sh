#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, builds Korvel, and runs it or its tests.
#   scripts/korvel.sh run    build and start the editor
#   scripts/korvel.sh test   build and run every test headless
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVEL_BUILD_DIR:-$here/build}"
jobs="$(nproc 2>/dev/null || echo 2)"

packages=(cmake g++ make qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev fonts-dejavu-core)

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
    configure_and_build "$build" -DKORVEL_BUILD_BENCHMARKS=ON
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

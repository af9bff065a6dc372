#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers and runs each for a bounded time.
#   scripts/fuzz.sh [seconds per target, default 60]
# Seeds come from the golden files of the test suite (and a few generated BMP files); the
# corpora grow in the build folder between runs. Crash inputs are kept in <build>/crashes/<target>/.
# Needs clang with its fuzzer runtime (scripts/korvel.sh installs it).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVEL_FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds="${1:-60}"
jobs="$(nproc 2>/dev/null || echo 2)"

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "usage: $0 [seconds per target]" >&2
    exit 2
fi

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVEL_WARNINGS_AS_ERRORS=ON -DKORVEL_BUILD_APP=OFF -DKORVEL_BUILD_TESTS=OFF \
    -DKORVEL_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_lcm fuzz_bcm fuzz_bmp fuzz_bdf fuzz_png

# Writes a small BMP file: width, height (negative = top-down), bit count, compression, then
# the pixel bytes given as a printf escape string, after an optional colour table or masks.
bmp_seed() {
    local file="$1" width="$2" height="$3" bits="$4" compression="$5" extra="$6" pixels="$7"
    local extra_len pixel_len
    extra_len="$(printf "$extra" | wc -c)"
    pixel_len="$(printf "$pixels" | wc -c)"
    {
        printf 'BM'
        le32 $((54 + extra_len + pixel_len))
        le32 0
        le32 $((54 + extra_len))
        le32 40
        le32 "$width"
        le32 "$height"
        le16 1
        le16 "$bits"
        le32 "$compression"
        le32 "$pixel_len"
        le32 2835
        le32 2835
        le32 0
        le32 0
        printf "$extra"
        printf "$pixels"
    } >"$file"
}
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() {
    local v=$(($1 & 0xFFFFFFFF))
    le16 $((v & 0xFFFF))
    le16 $((v >> 16))
}

seed_bmp() {
    local dir="$1"
    bmp_seed "$dir/24bit-2x2.bmp" 2 2 24 0 '' '\x00\x00\xff\x00\xff\x00\x00\x00\xff\x00\x00\xff\xff\xff\x00\x00'
    bmp_seed "$dir/24bit-topdown.bmp" 1 -2 24 0 '' '\x10\x20\x30\x00\x40\x50\x60\x00'
    bmp_seed "$dir/32bit-1x1.bmp" 1 1 32 0 '' '\x01\x02\x03\x00'
    bmp_seed "$dir/16bit-bitfields.bmp" 2 1 16 3 '\x00\xf8\x00\x00\xe0\x07\x00\x00\x1f\x00\x00\x00' '\x00\xf8\x1f\x00'
    bmp_seed "$dir/15bit-2x1.bmp" 2 1 15 0 '' '\x00\x7c\xe0\x03'
    bmp_seed "$dir/8bit-table.bmp" 3 1 8 0 '\x00\x00\xff\x00\x00\xff\x00\x00\xff\x00\x00\x00' '\x00\x01\x02\x00'
    bmp_seed "$dir/4bit-3x2.bmp" 3 2 4 0 '' '\x12\x30\x00\x00\xab\xc0\x00\x00'
    bmp_seed "$dir/1bit-9x1.bmp" 9 1 1 0 '\x00\x00\x00\x00\xff\xff\xff\x00' '\xa5\x80\x00\x00'
    # Run-length encoded: runs, a delta, a padded literal run, end of line and end of bitmap.
    bmp_seed "$dir/rle8-4x3.bmp" 4 3 8 1 '\x00\x00\xff\x00\x00\xff\x00\x00\xff\x00\x00\x00' \
        '\x02\x01\x00\x02\x01\x01\x00\x03\x00\x01\x02\x00\x00\x00\x00\x02\x02\x00\x04\x02\x00\x01'
    bmp_seed "$dir/rle4-8x2.bmp" 8 2 4 2 '' \
        '\x05\x1f\x00\x03\x23\x40\x00\x00\x00\x02\x03\x00\x03\xab\x00\x01'
    # OS/2 1.x: a 12-byte header with 16-bit sides and a colour table of 3-byte entries.
    {
        printf 'BM'
        le32 40
        le32 0
        le32 32
        le32 12
        le16 3
        le16 2
        le16 1
        le16 1
        printf '\x00\x00\xff\xff\xff\xff'
        printf '\xa0\x00\x00\x00\x40\x00\x00\x00'
    } >"$dir/os2-1bit-3x2.bmp"
}

status=0
run_target() {
    local name="$1" max_len="$2"
    shift 2
    # KORVEL_FUZZ_ONLY=bmp runs one target alone.
    if [ -n "${KORVEL_FUZZ_ONLY:-}" ] && [ "$KORVEL_FUZZ_ONLY" != "$name" ]; then
        return
    fi
    local corpus="$build/corpus/$name" crashes="$build/crashes/$name"
    mkdir -p "$corpus" "$crashes"
    for seeds in "$@"; do
        cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
    done
    echo "== fuzz_$name for ${seconds}s"
    local log="$build/fuzz_$name.log"
    if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len="$max_len" \
        -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$corpus" >"$log" 2>&1; then
        grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
    else
        status=1
        tail -n 40 "$log"
        echo "fuzz_$name failed; inputs kept in $crashes" >&2
    fi
}

bmp_seeds="$build/seeds/bmp"
mkdir -p "$bmp_seeds"
seed_bmp "$bmp_seeds"

run_target lcm 16384 "$here/tests/data/lcm" "$here/tests/data/lcm/malformed"
run_target bcm 16384 "$here/tests/data/bcm" "$here/tests/data/bcm/malformed"
run_target bmp 4096 "$bmp_seeds" "$here/tests/data/bmp/malformed"
run_target bdf 16384 "$here/tests/data/bdf"
run_target png 16384 "$here/tests/data/png" "$here/tests/data/png/malformed"
exit "$status"

#!/usr/bin/env bash
# Times korvel-cli as whole processes beside the tool a user would otherwise run for each job,
# the two in turn, one run each a round (bench/hyperfine_turns.py over hyperfine), and prints
# each job's wall and CPU time and the ratio.
#   bench/whole-process.sh [KORVEL_CLI] [RUNS]
# KORVEL_CLI defaults to build/src/cli/korvel-cli; RUNS to 20. The inputs are made in a folder
# on tmpfs (/dev/shm where there is one), so neither side waits on the disk: korvel-cli syncs
# every file it writes, which costs nothing there.
# Needs hyperfine, ImageMagick (convert, mogrify), bdftopcf, python3, cc and the headers of FreeType
# and fontconfig.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="$(realpath "${1:-$here/build/src/cli/korvel-cli}")"
runs="${2:-20}"
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base="${TMPDIR:-/tmp}"
work="$(mktemp -d "$base/korvel-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
# korvel-cli remembers fontconfig's answers here, not in the user's cache.
export XDG_CACHE_HOME="$work/cache"

font="$(fc-match -f '%{file}' 'DejaVu Sans:style=Book')"
cc -O2 -o floor "$here/bench/freetype_floor.c" $(pkg-config --cflags --libs freetype2)
cc -O2 -o lookup "$here/bench/fontconfig_lookup.c" $(pkg-config --cflags --libs fontconfig)

# Inputs: a picture of 1024 x 512 in the eight colours, libraries holding it once and 16 times,
# 65,535 entries of 32 x 16, and a BDF font of 256 glyphs of 255 x 255.
python3 - <<'PY'
import struct, zlib
def bcm(entries):
    n = len(entries)
    head = struct.pack('>H', n)
    blocks = b''
    directory = b''
    for name, width, height, pixel in entries:
        b = (width + 7) // 8
        rows = bytearray()
        for y in range(height):
            planes = [bytearray(b), bytearray(b), bytearray(b)]
            for x in range(width):
                r, g, bl = pixel(x, y)
                for plane, lit in zip(planes, (r, g, bl)):
                    if not lit:
                        plane[x // 8] |= 0x80 >> (x % 8)
            for x in range(width, b * 8):
                for plane in planes:
                    plane[x // 8] |= 0x80 >> (x % 8)
            # Group by group of eight pixels: the red, green and blue plane bytes.
            for g in range(b):
                rows += bytes((planes[0][g], planes[1][g], planes[2][g]))
        directory += name.ljust(8, b'\0')[:8] + struct.pack('>I', len(blocks))
        blocks += struct.pack('>HHH', b, width, height) + rows
    return head + directory + blocks
def pattern(x, y):
    k = ((x // 16) + (y // 16)) % 8
    return (k & 1, (k >> 1) & 1, (k >> 2) & 1)
big = bcm([(b'BIG', 1024, 512, pattern)])
open('big.bcm', 'wb').write(big)
block = big[2 + 12:]
n = 16
directory = b''.join(b'BIG%02d' % k + b'\0\0\0' + struct.pack('>I', k * len(block)) for k in range(n))
open('sixteen.bcm', 'wb').write(struct.pack('>H', n) + directory + block * n)
small = bcm([(b'E', 32, 16, pattern)])[2 + 12:]
n = 65535
directory = b''.join((b'E%d' % k).ljust(8, b'\0') + struct.pack('>I', k * len(small)) for k in range(n))
open('many.bcm', 'wb').write(struct.pack('>H', n) + directory + small * n)
PY
"$cli" export big.bcm BIG big.png
"$cli" export many.bcm E65534 small.png
mkdir -p pngs
for k in $(seq -w 0 15); do cp big.png "pngs/$k.png"; done
"$cli" new-font --blank 255x255 --codes 256 -o blank.lcm
"$cli" convert blank.lcm big.bdf

results=()
# Runs one job: its name, korvel-cli's command, the anchor's command, and an optional command
# run before each timed run of either.
job() {
    local name="$1" ours="$2" anchor="$3" prepare="${4:-true}"
    python3 "$here/bench/hyperfine_turns.py" "$runs" "$name.json" --prepare "$prepare" \
        "$ours" "$anchor"
    results+=("$name")
}

job export-png-1024x512 "$cli export big.bcm BIG out.png" "convert big.png out-im.png"
job export-png-32x16-of-65535 "$cli export many.bcm E65534 out.png" "convert small.png out-im.png"
job folder-16x1024x512 "$cli convert sixteen.bcm folder" \
    "mogrify -path im-folder -format png $(echo pngs/*.png)" \
    "sh -c 'rm -rf folder im-folder && mkdir im-folder'"
job bdf-import-256x255x255 "$cli convert big.bdf out.lcm" "bdftopcf -o out.pcf big.bdf"
# new-font sizes are points at 96 dpi: 7 pt is 9 pixels, 72 pt 96 pixels.
job new-font-7pt "$cli new-font --family DejaVu\\ Sans --size 7 --codes 256 -o out.lcm" \
    "./floor $font 9 out.bin"
job new-font-72pt "$cli new-font --family DejaVu\\ Sans --size 72 --codes 256 -o out.lcm" \
    "./floor $font 96 out.bin"
# The first run for a family, with nothing remembered: fontconfig reads its configuration and
# caches and matches the family, and korvel-cli remembers its answer for the runs above.
job new-font-7pt-first "$cli new-font --family DejaVu\\ Sans --size 7 --codes 256 -o out.lcm" \
    "./floor $font 9 out.bin" "rm -rf $XDG_CACHE_HOME"
# The same with the font file given, as the floor is given it: no family lookup.
job new-font-file-7pt "$cli new-font --font $font --size 7 --codes 256 -o out.lcm" \
    "./floor $font 9 out.bin"
job new-font-file-72pt "$cli new-font --font $font --size 72 --codes 256 -o out.lcm" \
    "./floor $font 96 out.bin"
# Not korvel-cli: fontconfig's lookup of the family alone beside the 7 pt floor, which is given
# the font file and so spared it: what every run that asks fontconfig pays before drawing.
job family-lookup-vs-7pt-floor "./lookup DejaVu\\ Sans" "./floor $font 9 out.bin"

python3 - "${results[@]}" <<'PY'
import json, sys
print(f"{'job':28} {'korvel wall':>12} {'CPU':>8} {'anchor wall':>12} {'CPU':>8} {'wall ratio':>11} {'CPU ratio':>10}")
for name in sys.argv[1:]:
    ours, anchor = json.load(open(f"{name}.json"))["results"]
    cpu = lambda r: (r["user"] + r["system"]) * 1000
    wall = lambda r: r["mean"] * 1000
    print(f"{name:28} {wall(ours):10.1f}ms {cpu(ours):6.1f}ms {wall(anchor):10.1f}ms {cpu(anchor):6.1f}ms"
          f" {wall(ours) / wall(anchor):10.2f}x {cpu(ours) / cpu(anchor):9.2f}x")
PY

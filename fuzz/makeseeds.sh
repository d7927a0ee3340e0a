#!/usr/bin/env bash
# Writes the fuzzing seed pool: files as kernwick-cli writes them, real BDF fonts
# cut down from the system's bitmap fonts, and short byte streams for the board
# simulator and the board conversation. Seeds are chosen by their extension.
#
# Usage: makeseeds.sh KERNWICK_CLI POOL_DIR TEST_DATA_DIR
set -uo pipefail
cli=$1 pool=$2 data=$3

rm -rf "$pool"
mkdir -p "$pool"
cd "$pool" || exit 1

# Runs one command; one the CLI does not have (yet) leaves its seed out.
make() { "$@" >/dev/null 2>&1 || echo "makeseeds: skipped: ${*##*/}" >&2; }

# Fonts.
make "$cli" default -o default.zvf
make "$cli" new -o new-2bpp.zvf --name twobits --depth 2 --chars 20 --first 48 --height 9 --width 6 --ascent 7
make "$cli" new -o new-wide.zvf --name wide --chars 3 --first 65 --height 20 --width 40 --ascent 15
make "$cli" new -o new-one.zvf --name one --chars 1 --first 1 --height 1 --width 1 --ascent 0
for depth in 1 2; do
    make "$cli" import-bdf "$data/bdf/sample.bdf" -o "sample-$depth.zvf" --depth $depth --count all
    make "$cli" import-bdf "$data/bdf/sample.bdf" -o "sample-$depth-nogaps.zvf" --depth $depth --no-gaps
done
make "$cli" transform default.zvf -o edited.zvf select=65 to-2bpp outline insert-column move-right set-left=2 x2
make "$cli" transform new-2bpp.zvf -o edited-2bpp.zvf select=50 to-1bpp to-2bpp insert-row delete-char
make "$cli" concat default.zvf new-2bpp.zvf sample-1.zvf -o joined.zvf

# Real BDF fonts: the header and the first characters of a few system fonts.
pcf=/usr/share/fonts/X11/misc
if command -v pcf2bdf >/dev/null; then
    for font in 5x7 6x13B 9x15; do
        [ -f "$pcf/$font.pcf.gz" ] || continue
        pcf2bdf "$pcf/$font.pcf.gz" 2>/dev/null |
            awk '{ print } /^ENDCHAR/ && ++n == 12 { print "ENDFONT"; exit }' >"$font.bdf"
        make "$cli" import-bdf "$font.bdf" -o "$font.zvf" --count all
    done
fi

# Configurations.
make "$cli" config defaults -o defaults.zvc
make "$cli" config set defaults.zvc -o changed.zvc 16=1 18=0 30=250 40=115200 24=-12 42=77
"$cli" config stream defaults.zvc --order download >download.stream 2>/dev/null
"$cli" config stream changed.zvc --order file >file.stream 2>/dev/null

esc=$'\e'

# Boot scripts and setup bundles.
printf '%s[5;1vHello\r\n%sQon screen%sR' "$esc" "$esc" "$esc" >hello.zvb
printf 'plain text without escapes' >plain.zvb
printf 'Font=%s/default.zvf\nConfig=%s/defaults.zvc\nBoot=%s/hello.zvb' "$pool" "$pool" "$pool" >full.zvs
printf 'Font=\r\nConfig=cfg.zvc\r\nBoot=' >crlf.zvs
printf 'no separators at all' >bare.zvs

# The board simulator: a byte for the interface and faults (bits 0-1: main, debug,
# monitor), a byte seeding the piece sizes, then what the board receives.
{ printf '\x00\x07'; printf '%s1}' "$esc["; cat download.stream; } >main-config.sim
{ printf '\x04\x03'; printf '%s1}%s[93;4|%s[92;4|' "$esc[" "$esc" "$esc"; } >main-memory.sim
{ printf '\x01\x05'; printf '\nmemory erase 4\nstr ABCD\nmemory write 4 0 4\nmemory flush 4\nhelp\n'; } >debug.sim
{ printf '\x02\x09'; printf 'V#S80,#'; printf '\x01\x01\xfe'; head -c 128 /dev/zero; printf '\x00\x00\x04g#'; } >monitor.sim

# The board conversation: a byte for the number of steps, the steps, then the
# answers (see conversation.cpp).
printf '\x01\x01v4 ZUVO\r\n\x06' >detect.answers
printf '\x03\x01\x06\x07zuvo v4\xff\x01\x15\x06' >detect-ack.answers
printf '\x02\x02\x08\r\nzuvo>' >debug.answers
printf '\x02\x04\x05\r\n>\xff\x00junk' >monitor.answers
printf '\x01\x09v4\xff\x01' >config-download.answers
printf '\x02\x01\x06v\xff\xfe4' >vanish.answers
printf '\x01\x03\r\n\xff\xfd>' >stop.answers
printf '\x00\x01\xff\xfdv4' >stop-before-open.answers
printf '\x02\x0a\x0b\x06\x06' >xmodem.answers
printf '\x03\x0a\x16\x0b\x15\xff\x01C\x06\x15\xff\x02\x15\x06' >xmodem-retry.answers

# Pictures for the image import: small grey, palette, true-colour and 1-bit
# files, the PNG, BMP, PGM and TGA ones written without any image tool.
python3 - <<'PICTURES' 2>/dev/null || echo "makeseeds: skipped: pictures" >&2
import struct, zlib

def png(name, width, height, colour_type, depth, rows, palette=None):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    raw = b''.join(b'\0' + row for row in rows)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour_type, 0, 0, 0))
    if palette:
        data += chunk(b'PLTE', palette)
    data += chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
    open(name, 'wb').write(data)

def bmp(name, width, height, bits, rows, palette=b''):
    stride = (width * bits + 31) // 32 * 4
    pixels = b''.join(row.ljust(stride, b'\0') for row in reversed(rows))
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(pixels), 2835, 2835, len(palette) // 4, 0)
    open(name, 'wb').write(header + info + palette + pixels)

w, h = 16, 12
ramp = [bytes((x * 16 + y) % 256 for x in range(w)) for y in range(h)]
png('ramp-grey.png', w, h, 0, 8, ramp)
png('ramp-rgb.png', w, h, 2, 8, [bytes(v for p in row for v in (p, 255 - p, p // 2)) for row in ramp])
png('ramp-palette.png', w, h, 3, 8, [bytes(p % 4 for p in row) for row in ramp],
    palette=bytes([0, 0, 0, 255, 255, 255, 90, 90, 90, 200, 40, 10]))
png('dots-1bit.png', 8, 4, 0, 1, [bytes([0b10101010]), bytes([0b01010101]), bytes([0xF0]), bytes([0x0F])])
bmp('ramp-24.bmp', w, h, 24, [bytes(v for p in row for v in (p, p, p)) for row in ramp])
bmp('dots-1bit.bmp', 8, 4, 1, [bytes([0xAA]), bytes([0x55]), bytes([0xF0]), bytes([0x0F])],
    palette=bytes([255, 255, 255, 0, 0, 0, 0, 0]))
open('ramp.pgm', 'wb').write(b'P5\n%d %d\n255\n' % (w, h) + b''.join(ramp))
open('ramp-16.pgm', 'wb').write(b'P5\n%d %d\n65535\n' % (w, h) + b''.join(bytes([p, 0]) for row in ramp for p in row))
open('dots.pbm', 'wb').write(b'P4\n8 4\n\xaa\x55\xf0\x0f')
open('ramp.tga', 'wb').write(struct.pack('<BBBHHBHHHHBB', 0, 0, 2, 0, 0, 0, 0, 0, w, h, 24, 0x20) + b''.join(bytes(v for p in row for v in (p, p, p)) for row in ramp))
open('dots.wbmp', 'wb').write(bytes([0, 0, 8, 4, 0xAA, 0x55, 0xF0, 0x0F]))
PICTURES

# The same ramp in the formats only an image tool writes, where ImageMagick is installed.
if command -v convert >/dev/null && [ -f ramp-grey.png ]; then
    for picture in ramp.tif ramp.gif ramp.jpg ramp.ico ramp.xpm ramp.webp ramp-rgb.ppm; do
        make convert ramp-grey.png "$picture"
    done
fi

touch .made

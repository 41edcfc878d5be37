#!/usr/bin/env bash
# Regenerates the picture test data (tests/data/pictures) and the BMP seed corpus of the bitmap
# fuzzer (fuzz/corpus/bitmap). The outputs are committed; run this only to change them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pics=$root/tests/data/pictures
seeds=$root/fuzz/corpus/bitmap
mkdir -p "$pics" "$seeds"
cd "$pics"

# 64 x 48: red-to-blue gradient with a lime rectangle. ImageMagick's default BMP has a 124-byte
# header and a pixel offset of 138; BMP3 is the plain 40-byte header.
convert -size 64x48 gradient:red-blue -fill lime -draw 'rectangle 5,15 20,30' \
        +set date:create +set date:modify -define bmp:exclude-chunk=date img.bmp
convert img.bmp BMP3:img24.bmp
convert img.bmp -quality 95 -strip img.jpg
# A JPEG that states 300 dpi: the loader sizes pictures at the screen's resolution regardless.
convert img.bmp -quality 95 -strip -density 300 -units PixelsPerInch img300dpi.jpg
convert img.bmp +set date:create +set date:modify img.gif
# 1 x 1 grey picture.
convert -size 1x1 xc:'rgb(128,64,32)' -quality 95 -strip dot.jpg
# Progressive JPEG, 16 x 8, red at the top, blue at the bottom.
convert -size 16x8 gradient:red-blue -interlace JPEG -quality 90 -strip progressive.jpg
# 8 x 4 red GIF whose left half is transparent. The transparent palette entry (index 1, bytes
# 16-18) is made lime, so that a decoder painting it instead of leaving it out is caught.
convert -size 8x4 xc:red \( -size 4x4 xc:none \) -compose copy -composite -alpha on PNG32:- |
    convert - transparent.gif
python3 - transparent.gif <<'PY'
import sys
d = bytearray(open(sys.argv[1], "rb").read())
assert d[10] & 0x80 and d[13:19] == b"\xff\x00\x00\x00\x00\x00", "unexpected GIF palette"
d[16:19] = b"\x00\xff\x00"
open(sys.argv[1], "wb").write(d)
PY
# A file that starts like a JPEG and stops after its first segments.
head -c 200 img.jpg > truncated.jpg

# Tiny BMPs of every bit depth and layout BitmapManager reads, for the fuzzer's seeds.
python3 - "$seeds" <<'PY'
import struct, sys, os
out = sys.argv[1]
W, H = 5, 3

def bmp(bits, rows, palette=b"", compression=0, masks=b"", top_down=False):
    header = struct.pack("<IiiHHIIiiII", 40, W, -H if top_down else H, 1, bits, compression,
                         len(rows), 0, 0, 0, 0)
    offset = 14 + len(header) + len(masks) + len(palette)
    body = header + masks + palette + rows
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body

def pad(row):
    return row + b"\0" * (-len(row) % 4)

def palette(n):
    return b"".join(bytes((i * 37 % 256, i * 91 % 256, i * 53 % 256, 0)) for i in range(n))

files = {
    "1bit.bmp": bmp(1, b"".join(pad(bytes((0b10110000 >> y,))) for y in range(H)), palette(2)),
    "4bit.bmp": bmp(4, b"".join(pad(bytes((0x12 + y, 0x34, 0x50))) for y in range(H)), palette(16)),
    "8bit.bmp": bmp(8, b"".join(pad(bytes(range(y * 5, y * 5 + W))) for y in range(H)), palette(256)),
    "8bit-topdown.bmp": bmp(8, b"".join(pad(bytes(range(y * 5, y * 5 + W))) for y in range(H)),
                            palette(256), top_down=True),
    "16bit-555.bmp": bmp(16, b"".join(pad(b"".join(struct.pack("<H", (x * 7 + y * 1000) & 0x7fff)
                                                 for x in range(W))) for y in range(H))),
    "16bit-565.bmp": bmp(16, b"".join(pad(b"".join(struct.pack("<H", (x * 2111 + y * 3) & 0xffff)
                                                 for x in range(W))) for y in range(H)),
                         compression=3, masks=struct.pack("<III", 0xf800, 0x07e0, 0x001f)),
    "24bit.bmp": bmp(24, b"".join(pad(b"".join(bytes((x * 40, y * 80, 200)) for x in range(W)))
                                  for y in range(H))),
    "32bit.bmp": bmp(32, b"".join(b"".join(bytes((x * 40, y * 80, 200, 255)) for x in range(W))
                                  for y in range(H))),
    "32bit-bitfields.bmp": bmp(32, b"".join(b"".join(bytes((x, y, 9, 0)) for x in range(W))
                                            for y in range(H)),
                               compression=3, masks=struct.pack("<III", 0xff0000, 0xff00, 0xff)),
}
for name, data in files.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
PY

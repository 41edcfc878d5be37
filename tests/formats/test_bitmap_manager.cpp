#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/BitmapManager.h"
#include "tests/support/TestFiles.h"

using Zorvex::BitmapManagerException;

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

uint32_t Get32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

// A BMP file image: 40-byte header, then `extra` (bit-field masks and/or palette), then the rows
// exactly as given. Sizes and offsets are consistent unless a test changes them afterwards.
Bytes MakeBmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
              const Bytes& extra, const Bytes& rows)
{
    Bytes b(54 + extra.size() + rows.size());
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, (uint32_t)(54 + extra.size()));
    Put32(b, 14, 40);
    Put32(b, 18, (uint32_t)width);
    Put32(b, 22, (uint32_t)height);
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 30, compression);
    Put32(b, 34, (uint32_t)rows.size());
    std::copy(extra.begin(), extra.end(), b.begin() + 54);
    std::copy(rows.begin(), rows.end(), b.begin() + 54 + (ptrdiff_t)extra.size());
    Put32(b, 2, (uint32_t)b.size());
    return b;
}

// Palette of n entries; entry i is blue i, green 100 + i, red 200 - i (reserved byte 0x77).
Bytes Palette(int n)
{
    Bytes p;
    for (int i = 0; i < n; ++i) {
        p.push_back((uint8_t)i);
        p.push_back((uint8_t)(100 + i));
        p.push_back((uint8_t)(200 - i));
        p.push_back(0x77);
    }
    return p;
}

int32_t PaletteColour(int i)
{
    return (200 - i) | ((100 + i) << 8) | (i << 16);
}

int32_t Rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

BitmapManager Decode(const Bytes& b)
{
    return BitmapManager(b.data(), (uint32_t)b.size());
}

void ExpectRefused(const Bytes& b)
{
    EXPECT_THROW(Decode(b), BitmapManagerException);
}

// 8-bit, 3 x 2, bottom-up: stored rows {4,5,6} (bottom) and {1,2,3} (top), each padded to 4.
Bytes EightBit(int32_t height = 2)
{
    Bytes rows = height > 0 ? Bytes{4, 5, 6, 0, 1, 2, 3, 0} : Bytes{1, 2, 3, 0, 4, 5, 6, 0};
    return MakeBmp(3, height, 8, 0, Palette(256), rows);
}

}  // namespace

TEST(BitmapManagerDepths, OneBitUsesMostSignificantBitFirst)
{
    // 10 pixels: stride 4. Top row 1000000001, bottom row 0111111110.
    Bytes rows = {0x7f, 0x80, 0, 0, 0x80, 0x40, 0, 0};
    BitmapManager bm = Decode(MakeBmp(10, 2, 1, 0, Palette(2), rows));
    ASSERT_EQ(bm.GetWidth(), 10);
    ASSERT_EQ(bm.GetHeight(), 2);
    EXPECT_EQ(bm.GetPixel(0, 0), PaletteColour(1));
    EXPECT_EQ(bm.GetPixel(1, 0), PaletteColour(0));
    EXPECT_EQ(bm.GetPixel(9, 0), PaletteColour(1));
    EXPECT_EQ(bm.GetPixel(0, 1), PaletteColour(0));
    EXPECT_EQ(bm.GetPixel(8, 1), PaletteColour(1));
    EXPECT_EQ(bm.GetPixel(9, 1), PaletteColour(0));
}

TEST(BitmapManagerDepths, FourBitHighNibbleIsLeft)
{
    // 3 pixels, one row: nibbles 0xA, 0x5, 0xF (the last low nibble is padding).
    BitmapManager bm = Decode(MakeBmp(3, 1, 4, 0, Palette(16), {0xa5, 0xf3, 0, 0}));
    EXPECT_EQ(bm.GetPixel(0, 0), PaletteColour(10));
    EXPECT_EQ(bm.GetPixel(1, 0), PaletteColour(5));
    EXPECT_EQ(bm.GetPixel(2, 0), PaletteColour(15));
    EXPECT_EQ(bm.GetPixelCount(), 3u);
}

TEST(BitmapManagerDepths, EightBitPaletteAndPixelLayout)
{
    BitmapManager bm = Decode(EightBit());
    ASSERT_EQ(bm.GetPixelCount(), 6u);
    // Blue, green, red per pixel, top row first, no padding; the reserved byte is not copied.
    const uint8_t expected[18] = {1, 101, 199, 2, 102, 198, 3, 103, 197,
                                  4, 104, 196, 5, 105, 195, 6, 106, 194};
    EXPECT_EQ(0, std::memcmp(bm.GetPixels(), expected, sizeof expected));
}

TEST(BitmapManagerDepths, TopDownGivesSamePixelsAsBottomUp)
{
    BitmapManager up = Decode(EightBit(2));
    BitmapManager down = Decode(EightBit(-2));
    EXPECT_EQ(down.GetHeight(), 2);
    EXPECT_EQ(0, std::memcmp(up.GetPixels(), down.GetPixels(), 18));
}

TEST(BitmapManagerDepths, Sixteen555WidensComponents)
{
    // Pixels: all zero; blue 1 green 31 red 0; red 31 green 1 blue 31.
    const uint16_t p0 = 0, p1 = 1 | (31 << 5), p2 = 31 | (1 << 5) | (31 << 10);
    Bytes rows = {(uint8_t)p0, (uint8_t)(p0 >> 8), (uint8_t)p1, (uint8_t)(p1 >> 8),
                  (uint8_t)p2, (uint8_t)(p2 >> 8), 0, 0};
    BitmapManager bm = Decode(MakeBmp(3, 1, 16, 0, {}, rows));
    EXPECT_EQ(bm.GetPixel(0, 0), 0);
    EXPECT_EQ(bm.GetPixel(1, 0), Rgb(0, 255, 15));
    EXPECT_EQ(bm.GetPixel(2, 0), Rgb(255, 15, 255));
}

TEST(BitmapManagerDepths, Sixteen565WithBitFields)
{
    const uint16_t p0 = 1 << 5, p1 = (63 << 5) | (1 << 11), p2 = 0xffff;
    Bytes masks(12);
    Put32(masks, 0, 0xf800);
    Put32(masks, 4, 0x07e0);
    Put32(masks, 8, 0x001f);
    Bytes rows = {(uint8_t)p0, (uint8_t)(p0 >> 8), (uint8_t)p1, (uint8_t)(p1 >> 8),
                  (uint8_t)p2, (uint8_t)(p2 >> 8), 0, 0};
    BitmapManager bm = Decode(MakeBmp(3, 1, 16, 3, masks, rows));
    EXPECT_EQ(bm.GetPixel(0, 0), Rgb(0, 7, 0));
    EXPECT_EQ(bm.GetPixel(1, 0), Rgb(15, 255, 0));
    EXPECT_EQ(bm.GetPixel(2, 0), Rgb(255, 255, 255));
}

TEST(BitmapManagerDepths, TwentyFourAndThirtyTwoBit)
{
    // 24-bit, 2 x 2: stride 8 (6 bytes + 2 padding); bottom row stored first.
    Bytes rows24 = {1, 2, 3, 4, 5, 6, 0xee, 0xee, 7, 8, 9, 10, 11, 12, 0xee, 0xee};
    BitmapManager a = Decode(MakeBmp(2, 2, 24, 0, {}, rows24));
    EXPECT_EQ(a.GetPixel(0, 0), Rgb(9, 8, 7));
    EXPECT_EQ(a.GetPixel(1, 1), Rgb(6, 5, 4));

    // 32-bit: the fourth byte is ignored, with or without bit fields.
    Bytes rows32 = {1, 2, 3, 0xff, 4, 5, 6, 0x80};
    BitmapManager b = Decode(MakeBmp(2, 1, 32, 0, {}, rows32));
    EXPECT_EQ(b.GetPixel(0, 0), Rgb(3, 2, 1));
    EXPECT_EQ(b.GetPixel(1, 0), Rgb(6, 5, 4));
    BitmapManager c = Decode(MakeBmp(2, 1, 32, 3, Bytes(12), rows32));
    EXPECT_EQ(c.GetPixel(1, 0), Rgb(6, 5, 4));
}

TEST(BitmapManagerFiles, ImageMagickBitmapsDecode)
{
    // The same picture as a plain 24-bit BMP and as a 32-bit bit-field BMP with a 124-byte
    // header (pixel offset 138). Expected values as ImageMagick reports them.
    for (const char* name : {"img24.bmp", "img.bmp"}) {
        SCOPED_TRACE(name);
        Bytes file = ReadTestData(std::string("pictures/") + name);
        ASSERT_FALSE(file.empty());
        BitmapManager bm = Decode(file);
        ASSERT_EQ(bm.GetWidth(), 64);
        ASSERT_EQ(bm.GetHeight(), 48);
        EXPECT_EQ(bm.GetPixel(0, 0), Rgb(255, 0, 0));
        EXPECT_EQ(bm.GetPixel(63, 47), Rgb(0, 0, 255));
        EXPECT_EQ(bm.GetPixel(10, 20), Rgb(0, 255, 0));
        EXPECT_EQ(bm.GetPixel(40, 5), Rgb(228, 0, 27));
        EXPECT_EQ(bm.GetPixel(30, 20), Rgb(146, 0, 109));
        EXPECT_EQ(bm.GetPixel(21, 30), Rgb(92, 0, 163));
        EXPECT_EQ(bm.GetPixel(4, 15), Rgb(174, 0, 81));
    }
}

TEST(BitmapManagerPixels, OutsideThePictureIsMinusOne)
{
    BitmapManager bm = Decode(EightBit());
    EXPECT_EQ(bm.GetPixel(-1, 0), -1);
    EXPECT_EQ(bm.GetPixel(3, 0), -1);
    EXPECT_EQ(bm.GetPixel(0, -1), -1);
    EXPECT_EQ(bm.GetPixel(0, 2), -1);
    EXPECT_EQ(bm.SetPixel(-1, 0, 0x123456), -1);
    EXPECT_EQ(bm.SetPixel(0, 2, 0x123456), -1);
    EXPECT_EQ(bm.GetPixel(2, 1), PaletteColour(6));
}

TEST(BitmapManagerPixels, SetPixelStoresBlueGreenRed)
{
    BitmapManager bm = Decode(EightBit());
    EXPECT_EQ(bm.SetPixel(2, 1, 0x00abcdef), 0x00abcdef);
    EXPECT_EQ(bm.GetPixel(2, 1), 0x00abcdef);
    const uint8_t* p = bm.GetPixels() + (1 * 3 + 2) * 3;
    EXPECT_EQ(p[0], 0xab);
    EXPECT_EQ(p[1], 0xcd);
    EXPECT_EQ(p[2], 0xef);
    EXPECT_EQ(bm.GetPixel(1, 1), PaletteColour(5));  // neighbour untouched
}

TEST(BitmapManagerWrite, SizeProtocolAndLayout)
{
    BitmapManager bm = Decode(EightBit());
    const uint32_t size = bm.WriteBmp(nullptr, 0);
    ASSERT_EQ(size, 12u * 2 + 54);  // 3 pixels x 3 bytes padded to 12

    Bytes small(size - 1, 0xaa);
    EXPECT_EQ(bm.WriteBmp(small.data(), (uint32_t)small.size()), 0u);
    EXPECT_EQ(small, Bytes(size - 1, 0xaa));

    Bytes out(size + 4, 0xaa);
    ASSERT_EQ(bm.WriteBmp(out.data(), (uint32_t)out.size()), size);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(Get32(&out[2]), size);
    EXPECT_EQ(Get32(&out[10]), 54u);
    EXPECT_EQ(Get32(&out[14]), 40u);
    EXPECT_EQ(Get32(&out[18]), 3u);
    EXPECT_EQ(Get32(&out[22]), 2u);
    EXPECT_EQ(out[26] | (out[27] << 8), 1);
    EXPECT_EQ(out[28] | (out[29] << 8), 24);
    EXPECT_EQ(Get32(&out[30]), 0u);
    EXPECT_EQ(Get32(&out[34]), 24u);
    // Bottom row first, padded with zeros; nothing written past the image.
    const uint8_t rows[24] = {4, 104, 196, 5, 105, 195, 6, 106, 194, 0, 0, 0,
                              1, 101, 199, 2, 102, 198, 3, 103, 197, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(&out[54], rows, sizeof rows));
    EXPECT_EQ(out[size], 0xaa);
}

TEST(BitmapManagerWrite, RoundTripsEveryDepth)
{
    Bytes rows16 = {0x21, 0x04, 0xff, 0x7f, 0, 0, 0, 0};
    const Bytes inputs[] = {
        MakeBmp(10, 2, 1, 0, Palette(2), {0x7f, 0x80, 0, 0, 0x80, 0x40, 0, 0}),
        MakeBmp(3, 1, 4, 0, Palette(16), {0xa5, 0xf3, 0, 0}),
        EightBit(-2),
        MakeBmp(3, 1, 16, 0, {}, rows16),
        MakeBmp(2, 1, 32, 0, {}, {1, 2, 3, 0xff, 4, 5, 6, 0x80}),
    };
    for (const Bytes& input : inputs) {
        BitmapManager first = Decode(input);
        Bytes written(first.WriteBmp(nullptr, 0));
        first.WriteBmp(written.data(), (uint32_t)written.size());
        BitmapManager second = Decode(written);
        ASSERT_EQ(second.GetWidth(), first.GetWidth());
        ASSERT_EQ(second.GetHeight(), first.GetHeight());
        EXPECT_EQ(0, std::memcmp(first.GetPixels(), second.GetPixels(),
                                 first.GetPixelCount() * 3));
    }
}

TEST(BitmapManagerRefuses, HeaderFields)
{
    const Bytes good = EightBit();
    ASSERT_NO_THROW(Decode(good));

    ExpectRefused(Bytes(good.begin(), good.begin() + 53));
    EXPECT_THROW(BitmapManager(nullptr, 0), BitmapManagerException);
    Bytes b = good;
    b[1] = 'A';
    ExpectRefused(b);
    b = good;
    Put32(b, 2, (uint32_t)b.size() + 1);  // file size one larger than the data
    ExpectRefused(b);
    Put32(b, 2, (uint32_t)b.size() - 1);
    ExpectRefused(b);
    b = good;
    Put32(b, 14, 12);  // OS/2 core header
    ExpectRefused(b);
    b = good;
    Put32(b, 34, (uint32_t)b.size() - 13);  // image size + 14 past the end
    ExpectRefused(b);
    Put32(b, 34, 0xfffffff8u);  // would wrap around in 32 bits
    ExpectRefused(b);
}

TEST(BitmapManagerRefuses, BitCountsAndCompressions)
{
    // 2 bits per pixel, with a palette and rows that would satisfy any length rule.
    ExpectRefused(MakeBmp(3, 1, 2, 0, Palette(256), Bytes(4)));
    ExpectRefused(MakeBmp(3, 1, 0, 0, Palette(256), Bytes(4)));
    ExpectRefused(MakeBmp(3, 1, 48, 0, {}, Bytes(20)));
    // Run-length rows are refused whether shorter or longer than the uncompressed minimum.
    ExpectRefused(MakeBmp(3, 2, 8, 1, Palette(256), {3, 1, 0, 0, 3, 2, 0, 1}));
    ExpectRefused(MakeBmp(3, 2, 8, 1, Palette(256), {3, 1, 0, 0, 3, 2, 0, 1, 0, 0, 0, 0}));
    ExpectRefused(MakeBmp(4, 2, 4, 2, Palette(16), {4, 0x12, 0, 0, 4, 0x34, 0, 1}));
    ExpectRefused(MakeBmp(3, 1, 16, 1, Bytes(12), Bytes(8)));
    ExpectRefused(MakeBmp(3, 1, 24, 3, Bytes(12), Bytes(12)));
    ExpectRefused(MakeBmp(3, 1, 32, 1, Bytes(12), Bytes(12)));
}

TEST(BitmapManagerRefuses, TruncatedRows)
{
    // Each depth one byte short of its rows; the file-size field is kept consistent.
    const Bytes inputs[] = {
        MakeBmp(10, 2, 1, 0, Palette(2), Bytes(7)),
        MakeBmp(3, 2, 4, 0, Palette(16), Bytes(7)),
        MakeBmp(3, 2, 8, 0, Palette(256), Bytes(7)),
        MakeBmp(3, 2, 16, 0, {}, Bytes(15)),
        MakeBmp(3, 2, 16, 3, Bytes(12), Bytes(15)),
        MakeBmp(3, 2, 24, 0, {}, Bytes(23)),
        MakeBmp(3, 2, 32, 0, {}, Bytes(23)),
        MakeBmp(3, 2, 32, 3, Bytes(12), Bytes(23)),
    };
    for (const Bytes& b : inputs) {
        SCOPED_TRACE(b[28]);
        ExpectRefused(b);
        // The same header with the full rows is accepted.
        Bytes whole = b;
        whole.push_back(0);
        Put32(whole, 2, (uint32_t)whole.size());
        EXPECT_NO_THROW(Decode(whole));
    }
}

TEST(BitmapManagerRefuses, RowsOrPalettePastTheData)
{
    // The fixed-size rules pass but the pixel offset puts the last row past the end.
    Bytes b = MakeBmp(3, 2, 24, 0, {}, Bytes(24));
    Put32(b, 10, 55);
    ExpectRefused(b);
    Put32(b, 10, 0xffffffffu);
    ExpectRefused(b);

    // A 124-byte header moves the 8-bit palette so that its end lies past the data, while the
    // file is long enough for the fixed 1078-byte rule.
    Bytes rows(8);
    Bytes p = MakeBmp(3, 2, 8, 0, Palette(256), rows);
    Put32(p, 14, 124);
    Put32(p, 10, (uint32_t)p.size() - 8);
    ExpectRefused(p);
    Put32(p, 14, 0xfffffff0u);  // palette offset would wrap in 32 bits
    ExpectRefused(p);
}

TEST(BitmapManagerRefuses, DimensionsThatOverflow)
{
    // width x height and the row bytes overflow 32 bits; the data is tiny.
    Bytes b = MakeBmp(0x10000, 0x10000, 32, 0, {}, Bytes(64));
    ExpectRefused(b);
    Put32(b, 18, 0x40000001u);  // width x 4 wraps to 4 in 32 bits
    Put32(b, 22, 1);
    ExpectRefused(b);
    Put32(b, 18, 0x80000000u);  // not a positive width
    ExpectRefused(b);
    // 1-bit rows are small while the 24-bit pixel array is 24 times larger: 0x20000 x 0x2000
    // 1-bit pixels need 32 MiB of rows, so a small file cannot claim them.
    Bytes one = MakeBmp(0x20000, 0x2000, 1, 0, Palette(2), Bytes(4096));
    ExpectRefused(one);
    // Heights: zero, and the one whose absolute value does not exist.
    Bytes h = EightBit();
    Put32(h, 22, 0);
    ExpectRefused(h);
    Put32(h, 22, 0x80000000u);
    ExpectRefused(h);
    Bytes w = EightBit();
    Put32(w, 18, 0);
    ExpectRefused(w);
}

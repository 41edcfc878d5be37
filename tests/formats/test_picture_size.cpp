#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/ImageManager.h"
#include "formats/PictureSize.h"
#include "tests/support/TestFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool SizeOf(const Bytes& b, uint32_t* w, uint32_t* h)
{
    *w = *h = 12345;
    return ReadDeclaredPictureSize(b.data(), (uint32_t)b.size(), w, h);
}

// SOI, a 4-byte APP0 segment, a fill byte, then a baseline frame header.
Bytes Jpeg(uint16_t width, uint16_t height)
{
    return {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x04, 'J', 'F', 0xff, 0xff,  // fill byte before SOF
            0xc0, 0x00, 0x11, 0x08, (uint8_t)(height >> 8), (uint8_t)height,
            (uint8_t)(width >> 8), (uint8_t)width, 0x03};
}

}  // namespace

TEST(DeclaredPictureSize, RealFiles)
{
    const struct {
        const char* name;
        uint32_t w, h;
    } files[] = {{"img.jpg", 64, 48}, {"img.gif", 64, 48}, {"img.bmp", 64, 48},
                 {"img24.bmp", 64, 48}, {"progressive.jpg", 16, 8}, {"dot.jpg", 1, 1}};
    for (const auto& f : files) {
        uint32_t w, h;
        ASSERT_TRUE(SizeOf(ReadTestData(std::string("pictures/") + f.name), &w, &h)) << f.name;
        EXPECT_EQ(w, f.w) << f.name;
        EXPECT_EQ(h, f.h) << f.name;
    }
}

TEST(DeclaredPictureSize, JpegSegmentsAndTruncation)
{
    uint32_t w, h;
    const Bytes jpeg = Jpeg(300, 200);
    ASSERT_TRUE(SizeOf(jpeg, &w, &h));
    EXPECT_EQ(w, 300u);
    EXPECT_EQ(h, 200u);
    // Cut inside the frame header, and an APP segment whose length points past the end.
    EXPECT_FALSE(SizeOf(Bytes(jpeg.begin(), jpeg.end() - 2), &w, &h));
    Bytes longApp = jpeg;
    longApp[5] = 0x40;
    EXPECT_FALSE(SizeOf(longApp, &w, &h));
    // A Huffman table (C4) is not a frame header; a scan before any frame gives no size.
    Bytes dht = jpeg;
    dht[10] = 0xc4;
    EXPECT_FALSE(SizeOf(dht, &w, &h));
    Bytes sos = jpeg;
    sos[3] = 0xda;
    EXPECT_FALSE(SizeOf(sos, &w, &h));
}

TEST(DeclaredPictureSize, BmpHeights)
{
    Bytes bmp(54);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    bmp[18] = 7;
    const uint32_t minusFive = 0u - 5u;
    for (int i = 0; i < 4; ++i) bmp[22 + i] = (uint8_t)(minusFive >> (8 * i));
    uint32_t w, h;
    ASSERT_TRUE(SizeOf(bmp, &w, &h));
    EXPECT_EQ(w, 7u);
    EXPECT_EQ(h, 5u);  // top-down
    bmp[14] = 12;      // OS/2: 16-bit width and height at 18 and 20
    bmp[20] = 9;
    bmp[21] = 0;
    ASSERT_TRUE(SizeOf(bmp, &w, &h));
    EXPECT_EQ(h, 9u);
    EXPECT_FALSE(SizeOf(Bytes(bmp.begin(), bmp.begin() + 20), &w, &h));
    EXPECT_FALSE(SizeOf(Bytes{'P', 'K', 3, 4}, &w, &h));
    EXPECT_FALSE(SizeOf(Bytes{}, &w, &h));
}

TEST(DeclaredPictureSize, ImageManagerRefusesHugeDeclaredSizesUpFront)
{
    // 65535 x 65535 in the frame header: refused with the rendering code.
    const Bytes jpeg = Jpeg(65535, 65535);
    try {
        Zorvex::ImageManager im(jpeg.data(), (uint32_t)jpeg.size());
        FAIL() << "accepted";
    } catch (const ImageManagerException& e) {
        EXPECT_EQ(e.GetCode(), 2);
    }
}

// The same picture files through the platform decoder: OLE under Wine in the Windows build,
// stb_image natively. Both are checked against the pixel values ImageMagick reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/ImageManager.h"
#include "tests/support/Emf.h"
#include "tests/support/TestFiles.h"

using Zorvex::ImageManager;

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Get32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

struct Rgb {
    int r, g, b;
};

// Pixel (x, y) of a 24-bit bottom-up BMP file image, y counted from the top.
Rgb PixelAt(const Bytes& bmp, int x, int y)
{
    const int width = (int)Get32(&bmp[18]);
    const int height = (int)Get32(&bmp[22]);
    const size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
    const uint8_t* p = &bmp[54 + (size_t)(height - 1 - y) * stride + (size_t)x * 3];
    return Rgb{p[2], p[1], p[0]};
}

int ImageManagerCode(const Bytes& data)
{
    try {
        ImageManager im(data.data(), (uint32_t)data.size());
    } catch (const ImageManagerException& e) {
        return e.GetCode();
    }
    return -1;
}

struct Sample {
    int x, y;
    Rgb lossless;  // the BMP and GIF files
    Rgb jpeg;      // the JPEG files (quality 95)
};

// ImageMagick's values: a red-to-blue vertical gradient with a lime rectangle from (5,15) to
// (20,30).
const Sample kSamples[] = {
    {0, 0, {255, 0, 0}, {254, 0, 0}},        {63, 47, {0, 0, 255}, {0, 0, 254}},
    {10, 20, {0, 255, 0}, {0, 255, 1}},      {40, 5, {228, 0, 27}, {228, 0, 27}},
    {30, 20, {146, 0, 109}, {147, 0, 107}},  {21, 30, {92, 0, 163}, {93, 0, 165}},
    {4, 15, {174, 0, 81}, {176, 0, 82}},     {30, 40, {38, 0, 217}, {37, 0, 217}},
    {20, 30, {0, 255, 0}, {0, 252, 2}},
};

void ExpectSamples(const Bytes& bmp, bool jpeg)
{
    // Decoders may round JPEG samples a little differently.
    const int tolerance = jpeg ? 2 : 0;
    for (const Sample& s : kSamples) {
        const Rgb got = PixelAt(bmp, s.x, s.y);
        const Rgb& want = jpeg ? s.jpeg : s.lossless;
        SCOPED_TRACE(testing::Message() << "pixel (" << s.x << "," << s.y << ") = " << got.r
                                        << "," << got.g << "," << got.b);
        EXPECT_LE(std::abs(got.r - want.r), tolerance);
        EXPECT_LE(std::abs(got.g - want.g), tolerance);
        EXPECT_LE(std::abs(got.b - want.b), tolerance);
    }
}

}  // namespace

class ImageManagerFiles : public testing::TestWithParam<const char*> {};

TEST_P(ImageManagerFiles, SizeAtNinetySixDpiAndPixels)
{
    const std::string name = GetParam();
    const Bytes file = ReadTestData("pictures/" + name);
    ASSERT_FALSE(file.empty()) << name;
    ImageManager im(file.data(), (uint32_t)file.size());

    EXPECT_EQ(im.GetHimetricWidth(), 1693);
    EXPECT_EQ(im.GetHimetricHeight(), 1270);
    EXPECT_EQ(im.GetWidth(), 64);
    EXPECT_EQ(im.GetHeight(), 48);
    EXPECT_EQ(im.GetLength(), file.size());
    EXPECT_EQ(Bytes(im.GetData(), im.GetData() + im.GetLength()), file);

    const Bytes bmp = im.GetBmp();
    ASSERT_EQ(bmp.size(), 64u * 3 * 48 + 54);
    ExpectSamples(bmp, name.find(".jpg") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Pictures, ImageManagerFiles,
                         testing::Values("img24.bmp", "img.bmp", "img.gif", "img.jpg",
                                         "img300dpi.jpg"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!isalnum((unsigned char)c)) c = '_';
                             return n;
                         });

TEST(ImageManagerJpeg, WholePictureCloseToLosslessOriginal)
{
    const Bytes jpegFile = ReadTestData("pictures/img.jpg");
    const Bytes bmpFile = ReadTestData("pictures/img24.bmp");
    const Bytes jpeg = ImageManager(jpegFile.data(), (uint32_t)jpegFile.size()).GetBmp();
    const Bytes ref = ImageManager(bmpFile.data(), (uint32_t)bmpFile.size()).GetBmp();
    ASSERT_EQ(jpeg.size(), ref.size());
    long total = 0;
    int worst = 0;
    for (size_t i = 54; i < ref.size(); ++i) {
        const int d = std::abs((int)jpeg[i] - (int)ref[i]);
        total += d;
        if (d > worst) worst = d;
    }
    EXPECT_LT((double)total / (double)(ref.size() - 54), 1.5);
    EXPECT_LE(worst, 24);  // at the sharp rectangle edges
}

TEST(ImageManagerBmp, OnePixelPictureAndWriteProtocol)
{
    const Bytes file = ReadTestData("pictures/dot.jpg");
    ImageManager im(file.data(), (uint32_t)file.size());
    ASSERT_EQ(im.GetWidth(), 1);
    ASSERT_EQ(im.GetHeight(), 1);
    ASSERT_EQ(im.WriteBmp(nullptr, 0), 58u);  // one row padded to 4

    Bytes small(57, 0xaa);
    EXPECT_EQ(im.WriteBmp(small.data(), 57), 0u);
    EXPECT_EQ(small, Bytes(57, 0xaa));

    Bytes out(60, 0xaa);
    ASSERT_EQ(im.WriteBmp(out.data(), (uint32_t)out.size()), 58u);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 'M');
    EXPECT_EQ(Get32(&out[2]), 58u);
    EXPECT_EQ(Get32(&out[6]), 0u);
    EXPECT_EQ(Get32(&out[10]), 54u);
    EXPECT_EQ(Get32(&out[14]), 40u);
    EXPECT_EQ(Get32(&out[18]), 1u);
    EXPECT_EQ(Get32(&out[22]), 1u);
    EXPECT_EQ(out[26] | (out[27] << 8), 1);
    EXPECT_EQ(out[28] | (out[29] << 8), 24);
    for (size_t i = 30; i < 54; ++i) EXPECT_EQ(out[i], 0) << "header byte " << i;
    // ImageMagick reads the grey dot as (128,63,31); the padding byte stays zero.
    const Rgb dot = PixelAt(out, 0, 0);
    EXPECT_LE(std::abs(dot.r - 128), 2);
    EXPECT_LE(std::abs(dot.g - 63), 2);
    EXPECT_LE(std::abs(dot.b - 31), 2);
    EXPECT_EQ(out[57], 0);
    EXPECT_EQ(out[58], 0xaa);
}

TEST(ImageManagerBmp, TopDownRowsGiveTheSamePicture)
{
    // img24.bmp with its rows stored top-down, as a negative height declares.
    const Bytes bottomUp = ReadTestData("pictures/img24.bmp");
    ASSERT_EQ(bottomUp.size(), 64u * 3 * 48 + 54);
    Bytes topDown = bottomUp;
    const int32_t negative = -48;
    for (int i = 0; i < 4; ++i) topDown[22 + i] = (uint8_t)((uint32_t)negative >> (8 * i));
    for (size_t y = 0; y < 48; ++y) {
        std::copy_n(&bottomUp[54 + (47 - y) * 192], 192, &topDown[54 + y * 192]);
    }
    ImageManager im(topDown.data(), (uint32_t)topDown.size());
    EXPECT_EQ(im.GetWidth(), 64);
    EXPECT_EQ(im.GetHeight(), 48);
    ExpectSamples(im.GetBmp(), false);
}

TEST(ImageManagerKinds, ProgressiveJpeg)
{
    const Bytes file = ReadTestData("pictures/progressive.jpg");
    ImageManager im(file.data(), (uint32_t)file.size());
    ASSERT_EQ(im.GetWidth(), 16);
    ASSERT_EQ(im.GetHeight(), 8);
    const Bytes bmp = im.GetBmp();
    // ImageMagick: (254,0,0) top left, (105,0,147) in the middle, (0,1,253) bottom right.
    const Sample samples[] = {{0, 0, {}, {254, 0, 0}}, {8, 4, {}, {105, 0, 147}},
                              {15, 7, {}, {0, 1, 253}}};
    for (const Sample& s : samples) {
        const Rgb got = PixelAt(bmp, s.x, s.y);
        EXPECT_LE(std::abs(got.r - s.jpeg.r), 2) << s.x << "," << s.y;
        EXPECT_LE(std::abs(got.g - s.jpeg.g), 2) << s.x << "," << s.y;
        EXPECT_LE(std::abs(got.b - s.jpeg.b), 2) << s.x << "," << s.y;
    }
}

TEST(ImageManagerKinds, TransparentGifPixelsStayBlack)
{
    // Left half transparent (its palette colour is lime), right half red: the picture is drawn
    // over a zeroed bitmap, so transparent pixels come out black.
    const Bytes file = ReadTestData("pictures/transparent.gif");
    ImageManager im(file.data(), (uint32_t)file.size());
    ASSERT_EQ(im.GetWidth(), 8);
    ASSERT_EQ(im.GetHeight(), 4);
    const Bytes bmp = im.GetBmp();
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const Rgb got = PixelAt(bmp, x, y);
            const int red = x < 4 ? 0 : 255;
            EXPECT_TRUE(got.r == red && got.g == 0 && got.b == 0)
                << x << "," << y << " = " << got.r << "," << got.g << "," << got.b;
        }
    }
}

TEST(ImageManagerRefuses, NotAPicture)
{
    EXPECT_EQ(ImageManagerCode({}), 2);
    EXPECT_EQ(ImageManagerCode(Bytes(100, 0x41)), 2);
    EXPECT_EQ(ImageManagerCode(ReadTestData("pictures/truncated.jpg")), 2);
    const Bytes gif = ReadTestData("pictures/img.gif");
    EXPECT_EQ(ImageManagerCode(Bytes(gif.begin(), gif.begin() + 12)), 2);
    // The system's loader would also take a metafile and play its records.
    EXPECT_EQ(ImageManagerCode(testing_emf::TinyEmf()), 2);
}

TEST(ImageManagerRefuses, PictureTooLargeToRender)
{
    // A GIF that declares 10000 x 10000 pixels (a 300 MB bitmap) with one empty frame: refused,
    // whether the decoder gives up on it or decodes it and the size rule stops it.
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0x10, 0x27, 0x10, 0x27, 0x80, 0, 0,
                       0, 0, 0, 0xff, 0xff, 0xff,                          // palette
                       0x2c, 0, 0, 0, 0, 0x10, 0x27, 0x10, 0x27, 0,        // image descriptor
                       0x02, 0x02, 0x44, 0x01, 0,                          // LZW: clear, end
                       0x3b};
    EXPECT_EQ(ImageManagerCode(gif), 2);
}

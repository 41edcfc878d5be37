#include "formats/BitmapManager.h"

#include <cstdlib>
#include <cstring>

#include "core/ByteOrder.h"
#include "formats/BmpHeader.h"

using Zorvex::BitmapManagerException;

namespace {

uint64_t RoundUp4(uint64_t v)
{
    return (v + 3) & ~(uint64_t)3;
}

// A 5-bit channel widened to 8 bits; non-zero values get their low bits filled so that 31
// reaches 255.
uint8_t Widen5(uint32_t v)
{
    return (uint8_t)(v ? (v << 3) | 7 : 0);
}

uint8_t Widen6(uint32_t v)
{
    return (uint8_t)(v ? (v << 2) | 3 : 0);
}

[[noreturn]] void Refuse()
{
    throw BitmapManagerException(0);
}

// The 24-bit image written back must stay addressable with 32-bit sizes. Both arguments are
// below 2^32, so width * 3 cannot overflow; the product is tested by division.
bool Bmp24SizeFits(uint64_t width, uint64_t height)
{
    return RoundUp4(width * 3) <= (0xffffffffu - 54) / height;
}

}  // namespace

BitmapManager::BitmapManager(const uint8_t* b, uint32_t n)
{
    if (b == nullptr || n < 54 || b[0] != 'B' || b[1] != 'M') Refuse();
    if (Le32(b + 2) != n) Refuse();
    const uint32_t headerSize = Le32(b + 14);
    if (headerSize < 40) Refuse();
    if ((uint64_t)Le32(b + 34) + 14 > n) Refuse();

    const uint32_t rawWidth = Le32(b + 18);
    const int32_t rawHeight = (int32_t)Le32(b + 22);
    // Zero-sized, negative-width and unrepresentable heights give no picture to work with.
    if (rawWidth == 0 || rawWidth > 0x7fffffffu) Refuse();
    if (rawHeight == 0 || rawHeight == INT32_MIN) Refuse();
    const bool bottomUp = rawHeight > 0;
    const uint64_t width = rawWidth;
    const uint64_t height = (uint64_t)std::llabs((long long)rawHeight);

    const uint32_t bits = Le16(b + 28);
    const uint32_t compression = Le32(b + 30);
    const uint64_t paletteStart = 14 + (uint64_t)headerSize;
    const uint64_t pixelStart = Le32(b + 10);

    uint64_t stride = 0;
    uint64_t fixedSize = 0;
    uint32_t paletteEntries = 0;
    switch (bits) {
    case 1:
        stride = RoundUp4((width + 7) / 8);
        fixedSize = 62;
        paletteEntries = 2;
        break;
    case 4:
        stride = RoundUp4((width + 1) / 2);
        fixedSize = 118;
        paletteEntries = 16;
        break;
    case 8:
        stride = RoundUp4(width);
        fixedSize = 1078;
        paletteEntries = 256;
        break;
    case 16:
        stride = RoundUp4(width * 2);
        if (compression == 0) fixedSize = 54;
        else if (compression == 3) fixedSize = 66;
        else Refuse();
        break;
    case 24:
        stride = RoundUp4(width * 3);
        fixedSize = 54;
        break;
    case 32:
        stride = width * 4;
        if (compression == 0) fixedSize = 54;
        else if (compression == 3) fixedSize = 66;
        else Refuse();
        break;
    default:
        Refuse();
    }
    // Run-length and other encoded rows cannot be read as plain rows, whatever their length.
    if (bits <= 24 && bits != 16 && compression != 0) Refuse();

    // All sizes are 64-bit here: width and height come straight from the file. A row longer
    // than the data, or more rows than bytes, cannot fit; refusing them first keeps the product
    // obviously below 2^64.
    if (stride > n || height > n) Refuse();
    const uint64_t rowBytes = stride * height;
    if (rowBytes + fixedSize > n) Refuse();
    // The fixed sizes above assume a plain header; the rows and the palette must also lie inside
    // the data where the file says they are.
    if (pixelStart + rowBytes > n) Refuse();
    if (paletteEntries && paletteStart + 4 * (uint64_t)paletteEntries > n) Refuse();
    if (!Bmp24SizeFits(width, height)) Refuse();

    width_ = (int32_t)width;
    height_ = (int32_t)height;
    pixels_.resize((size_t)(width * height * 3));

    const uint8_t* palette = b + paletteStart;
    uint8_t* out = pixels_.data();
    for (uint64_t y = 0; y < height; ++y) {
        const uint64_t stored = bottomUp ? height - 1 - y : y;
        const uint8_t* row = b + pixelStart + stored * stride;
        for (uint64_t x = 0; x < width; ++x, out += 3) {
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                uint32_t index;
                if (bits == 1) index = (row[x / 8] >> (7 - x % 8)) & 1;
                else if (bits == 4) index = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0f;
                else index = row[x];
                std::memcpy(out, palette + 4 * index, 3);
                break;
            }
            case 16: {
                const uint32_t v = Le16(row + 2 * x);
                out[0] = Widen5(v & 0x1f);
                if (compression == 0) {
                    out[1] = Widen5((v >> 5) & 0x1f);
                    out[2] = Widen5((v >> 10) & 0x1f);
                } else {
                    out[1] = Widen6((v >> 5) & 0x3f);
                    out[2] = Widen5((v >> 11) & 0x1f);
                }
                break;
            }
            case 24:
                std::memcpy(out, row + 3 * x, 3);
                break;
            default:  // 32
                std::memcpy(out, row + 4 * x, 3);
                break;
            }
        }
    }
}

BitmapManager::~BitmapManager() = default;

int32_t BitmapManager::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    const uint8_t* p = &pixels_[((size_t)y * (size_t)width_ + (size_t)x) * 3];
    return (int32_t)((uint32_t)p[2] | ((uint32_t)p[1] << 8) | ((uint32_t)p[0] << 16));
}

int32_t BitmapManager::SetPixel(int32_t x, int32_t y, int32_t colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    uint8_t* p = &pixels_[((size_t)y * (size_t)width_ + (size_t)x) * 3];
    const uint32_t c = (uint32_t)colour;
    p[0] = (uint8_t)(c >> 16);
    p[1] = (uint8_t)(c >> 8);
    p[2] = (uint8_t)c;
    return colour;
}

uint32_t BitmapManager::WriteBmp(uint8_t* output, uint32_t capacity) const
{
    const uint32_t stride = (uint32_t)RoundUp4((uint64_t)width_ * 3);
    const uint32_t imageSize = stride * (uint32_t)height_;
    const uint32_t size = imageSize + 54;  // fits: checked at construction
    if (output == nullptr) return size;
    if (capacity < size) return 0;

    std::memset(output, 0, size);
    PutBmpHeaders(output, size, 54, width_, height_, 24, 0, imageSize);

    const size_t rowBytes = (size_t)width_ * 3;
    for (int32_t y = 0; y < height_; ++y) {
        const uint8_t* src = &pixels_[(size_t)(height_ - 1 - y) * rowBytes];
        std::memcpy(output + 54 + (size_t)y * stride, src, rowBytes);
    }
    return size;
}

int32_t BitmapManager::GetWidth() const
{
    return width_;
}

int32_t BitmapManager::GetHeight() const
{
    return height_;
}

const uint8_t* BitmapManager::GetPixels() const
{
    return pixels_.data();
}

uint32_t BitmapManager::GetPixelCount() const
{
    return (uint32_t)width_ * (uint32_t)height_;
}

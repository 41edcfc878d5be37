// Builds 24-bit bottom-up BMP file images for tests.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace testing_bmp {

// `rgb(x, y)` gives 0xRRGGBB for each pixel, rows top to bottom.
inline std::vector<uint8_t> Bmp24(int width, int height, const std::function<uint32_t(int, int)>& rgb)
{
    const uint32_t stride = ((uint32_t)width * 3 + 3) & ~3u;
    const uint32_t size = 54 + stride * (uint32_t)height;
    std::vector<uint8_t> b(size, 0);
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = (uint8_t)(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)width);
    put32(22, (uint32_t)height);
    b[26] = 1;
    b[28] = 24;
    put32(34, stride * (uint32_t)height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &b[54 + (size_t)stride * (uint32_t)(height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const uint32_t c = rgb(x, y);
            row[3 * x] = (uint8_t)c;              // blue
            row[3 * x + 1] = (uint8_t)(c >> 8);   // green
            row[3 * x + 2] = (uint8_t)(c >> 16);  // red
        }
    }
    return b;
}

}  // namespace testing_bmp

// The two headers at the front of a BMP file image: BITMAPFILEHEADER and BITMAPINFOHEADER.
#pragma once
#include <cstdint>

#include "core/ByteOrder.h"

// Fills in the headers at `p`, whose bytes the caller has cleared; the pixels start at
// `pixelOffset` (54, or 66 after three bit-field masks). `imageSize` may be 0 for BI_RGB.
inline void PutBmpHeaders(uint8_t* p, uint32_t fileSize, uint32_t pixelOffset, int32_t width,
                          int32_t height, uint16_t bitCount, uint32_t compression,
                          uint32_t imageSize)
{
    p[0] = 'B';
    p[1] = 'M';
    PutLe32(p + 2, fileSize);
    PutLe32(p + 10, pixelOffset);
    PutLe32(p + 14, 40);
    PutLe32(p + 18, (uint32_t)width);
    PutLe32(p + 22, (uint32_t)height);
    PutLe16(p + 26, 1);
    PutLe16(p + 28, bitCount);
    PutLe32(p + 30, compression);
    PutLe32(p + 34, imageSize);
}

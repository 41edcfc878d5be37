#include "formats/PictureSize.h"

namespace {

uint32_t Be16(const uint8_t* p)
{
    return ((uint32_t)p[0] << 8) | p[1];
}

uint32_t Le16(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8);
}

uint32_t Le32(const uint8_t* p)
{
    return Le16(p) | (Le16(p + 2) << 16);
}

bool JpegSize(const uint8_t* b, uint32_t n, uint32_t* width, uint32_t* height)
{
    uint32_t i = 2;  // past SOI
    while (i + 1 < n) {
        if (b[i] != 0xff) return false;
        const uint8_t marker = b[i + 1];
        if (marker == 0xff) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8)) {  // no length field
            i += 2;
            continue;
        }
        if (marker == 0xd9 || marker == 0xda) return false;  // EOI or scan before any frame
        if (i + 4 > n) return false;
        const uint32_t segment = Be16(b + i + 2);
        if (segment < 2) return false;
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 &&
                           marker != 0xc8 && marker != 0xcc;
        if (frame) {
            if (segment < 7 || i + 9 > n) return false;
            *height = Be16(b + i + 5);
            *width = Be16(b + i + 7);
            return true;
        }
        i += 2 + segment;
    }
    return false;
}

}  // namespace

bool ReadDeclaredPictureSize(const uint8_t* b, uint32_t n, uint32_t* width, uint32_t* height)
{
    if (b == nullptr) return false;
    if (n >= 3 && b[0] == 0xff && b[1] == 0xd8 && b[2] == 0xff)
        return JpegSize(b, n, width, height);
    if (n >= 10 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8') {
        *width = Le16(b + 6);
        *height = Le16(b + 8);
        return true;
    }
    if (n >= 26 && b[0] == 'B' && b[1] == 'M') {
        const uint32_t headerSize = Le32(b + 14);
        if (headerSize == 12) {  // OS/2 core header: 16-bit sizes
            *width = Le16(b + 18);
            *height = Le16(b + 20);
            return true;
        }
        if (headerSize < 40) return false;
        const int32_t h = (int32_t)Le32(b + 22);
        *width = Le32(b + 18);
        *height = h < 0 ? 0u - (uint32_t)h : (uint32_t)h;
        return true;
    }
    return false;
}

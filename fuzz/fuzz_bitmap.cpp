// BitmapManager over arbitrary bytes: every accepted file must decode, answer pixel queries and
// write back a 24-bit BMP that decodes to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/BitmapManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xffffffffu) return 0;
    try {
        BitmapManager bm(data, (uint32_t)size);
        const int32_t w = bm.GetWidth(), h = bm.GetHeight();
        if (w <= 0 || h <= 0 || bm.GetPixelCount() != (uint32_t)w * (uint32_t)h) abort();
        if (bm.GetPixel(-1, 0) != -1 || bm.GetPixel(w, 0) != -1 || bm.GetPixel(0, h) != -1)
            abort();
        bm.GetPixel(w - 1, h - 1);

        const uint32_t bmpSize = bm.WriteBmp(nullptr, 0);
        // Keep the round trip cheap; large pictures have had their read already.
        if (bmpSize > (1u << 22)) return 0;
        std::vector<uint8_t> out(bmpSize);
        if (bm.WriteBmp(out.data(), bmpSize) != bmpSize) abort();
        BitmapManager again(out.data(), bmpSize);
        if (again.GetWidth() != w || again.GetHeight() != h ||
            std::memcmp(again.GetPixels(), bm.GetPixels(), (size_t)bm.GetPixelCount() * 3) != 0)
            abort();
    } catch (const Zorvex::BitmapManagerException&) {
    }
    return 0;
}

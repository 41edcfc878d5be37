// Reads a Windows bitmap file image (1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or
// bit fields) into a plain 24-bit pixel array, and writes such an array back as a 24-bit BMP.
#pragma once
#include <cstdint>
#include <vector>

#include "core/Error.h"

namespace Zorvex {

// Thrown by value when a bitmap file image cannot be read. The code is always 0 and the
// message always empty.
class BitmapManagerException : public ZvError {
public:
    explicit BitmapManagerException(int32_t code = 0) : ZvError(code, "") {}
};

}  // namespace Zorvex

class BitmapManager {
public:
    // Decodes `length` bytes of a BMP file image; throws Zorvex::BitmapManagerException.
    BitmapManager(const uint8_t* bytes, uint32_t length);
    virtual ~BitmapManager();

    // Colours are 0x00BBGGRR (red in the low byte). Both return -1 for a point outside the
    // picture, negative coordinates included; SetPixel otherwise returns the colour it stored.
    virtual int32_t GetPixel(int32_t x, int32_t y) const;
    virtual int32_t SetPixel(int32_t x, int32_t y, int32_t colour);

    // Without an output (nullptr) returns the size of the 24-bit BMP file image. With an output
    // of at least that size writes the image and returns its size; with a smaller one writes
    // nothing and returns 0.
    virtual uint32_t WriteBmp(uint8_t* output, uint32_t capacity) const;

    virtual int32_t GetWidth() const;
    virtual int32_t GetHeight() const;
    // width x height x 3 bytes, rows top to bottom, each pixel blue, green, red; no padding.
    virtual const uint8_t* GetPixels() const;
    virtual uint32_t GetPixelCount() const;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> pixels_;
};

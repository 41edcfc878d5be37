// Decodes a JPEG, GIF or BMP file image into a 24-bit device-independent bitmap. On Windows the
// system's OLE picture loader does the work; elsewhere a library decoder stands in for it and
// gives the same sizes (at 96 dpi) and the same bitmap layout.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Error.h"

// Thrown by value. Codes: 0 the memory block could not be allocated, 1 the memory stream could
// not be created, 2 the picture could not be loaded or rendered (also: too large to render).
// The message is always empty.
class ImageManagerException : public ZvError {
public:
    explicit ImageManagerException(int32_t code) : ZvError(code, "") {}
};

namespace Zorvex {

class ImageManager {
public:
    // Largest 24-bit BMP file image a decoded picture may need; larger pictures are refused
    // with code 2 rather than rendered.
    static constexpr uint32_t kMaxBmpSize = 64u * 1024u * 1024u;

    // Decodes `length` bytes; throws ImageManagerException.
    ImageManager(const uint8_t* bytes, uint32_t length);
    virtual ~ImageManager();
    ImageManager(const ImageManager&) = delete;
    ImageManager& operator=(const ImageManager&) = delete;

    // The picture's size in pixels at the screen's resolution.
    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    // The picture's size in 0.01 mm as the decoder reports it.
    int32_t GetHimetricWidth() const { return himetricWidth_; }
    int32_t GetHimetricHeight() const { return himetricHeight_; }

    // The private copy of the picture file bytes.
    const uint8_t* GetData() const { return data_.data(); }
    uint32_t GetLength() const { return (uint32_t)data_.size(); }

    // Without an output (nullptr) returns the size of the 24-bit BMP file image (54-byte header,
    // bottom-up rows, stride rounded up to 4). With an output of at least that size renders the
    // picture into it and returns the size; with a smaller one writes nothing and returns 0.
    // Throws ImageManagerException 2 when rendering fails.
    uint32_t WriteBmp(uint8_t* output, uint32_t capacity) const;

    // Convenience: the whole 24-bit BMP file image in a new vector.
    std::vector<uint8_t> GetBmp() const;

private:
    struct Picture;  // the platform's decoded picture
    struct PictureDeleter {
        void operator()(Picture* picture) const;  // platform part, where Picture is complete
    };

    // Platform part: loads `data_` into picture_ and sets the four sizes, or throws.
    void Load();
    // Refuses (code 2), before any decoding, a picture whose headers declare a size too large.
    void CheckDeclaredSize() const;
    // Refuses (code 2) pixel sizes that are not positive or whose 24-bit image would exceed
    // kMaxBmpSize.
    void CheckSizes() const;
    // Platform part: renders the picture into `bits` (bottom-up rows of `stride` bytes, already
    // zeroed) described by the 40-byte information header at `info`; false on failure.
    bool Render(const uint8_t* info, uint8_t* bits, uint32_t stride) const;

    std::vector<uint8_t> data_;
    std::unique_ptr<Picture, PictureDeleter> picture_;
    int32_t himetricWidth_ = 0;
    int32_t himetricHeight_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

}  // namespace Zorvex

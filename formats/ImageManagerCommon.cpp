// The platform-independent half of ImageManager: the 24-bit BMP file image and its size rules.
#include <cstring>

#include "core/MediaObject.h"
#include "formats/BmpHeader.h"
#include "formats/ImageManager.h"
#include "formats/PictureSize.h"

namespace Zorvex {

namespace {

uint64_t Stride(int32_t width)
{
    return ((uint64_t)width * 3 + 3) & ~(uint64_t)3;
}

}  // namespace

ImageManager::ImageManager(const uint8_t* bytes, uint32_t length)
    : data_(bytes && length ? bytes : nullptr, bytes && length ? bytes + length : nullptr)
{
    // Only the three picture files reach the loader: the OLE one would also take metafiles,
    // icons and cursors, and play a metafile's records.
    const uint8_t* d = data_.data();
    const uint32_t n = (uint32_t)data_.size();
    if (!ContentMatchesKind(MEDIA_JPEG, d, n) && !ContentMatchesKind(MEDIA_GIF, d, n) &&
        !ContentMatchesKind(MEDIA_BMP, d, n)) {
        throw ImageManagerException(2);
    }
    CheckDeclaredSize();
    Load();
    CheckSizes();
}

ImageManager::~ImageManager() = default;

void ImageManager::CheckDeclaredSize() const
{
    uint32_t w = 0, h = 0;
    if (!ReadDeclaredPictureSize(data_.data(), (uint32_t)data_.size(), &w, &h)) return;
    if (w > 0x7fffffffu || h > 0x7fffffffu) throw ImageManagerException(2);
    if (Stride((int32_t)w) * h + 54 > kMaxBmpSize) throw ImageManagerException(2);
}

void ImageManager::CheckSizes() const
{
    if (width_ <= 0 || height_ <= 0) throw ImageManagerException(2);
    if (Stride(width_) * (uint64_t)height_ + 54 > kMaxBmpSize) throw ImageManagerException(2);
}

uint32_t ImageManager::WriteBmp(uint8_t* output, uint32_t capacity) const
{
    const uint32_t stride = (uint32_t)Stride(width_);
    const uint32_t size = stride * (uint32_t)height_ + 54;  // bounded by CheckSizes
    if (output == nullptr) return size;
    if (capacity < size) return 0;

    std::memset(output, 0, size);
    PutBmpHeaders(output, size, 54, width_, height_, 24, 0, 0);
    if (!Render(output + 14, output + 54, stride)) throw ImageManagerException(2);
    return size;
}

std::vector<uint8_t> ImageManager::GetBmp() const
{
    std::vector<uint8_t> bmp(WriteBmp(nullptr, 0));
    WriteBmp(bmp.data(), (uint32_t)bmp.size());
    return bmp;
}

}  // namespace Zorvex

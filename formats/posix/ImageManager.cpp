// ImageManager over stb_image, standing in for the OLE picture loader. The loader reports sizes
// in HIMETRIC from the pixel size at the screen's resolution; this side takes a 96-dpi screen,
// which is what the Windows build sees on a standard display.
#include <stb/stb_image.h>

#include <climits>
#include <cstring>

#include "core/MulDiv.h"
#include "formats/ImageManager.h"

namespace Zorvex {

struct ImageManager::Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;  // top-down rows, red, green, blue; no padding
};

namespace {

constexpr int32_t kScreenDpi = 96;

enum class Kind { Jpeg, Gif, Bmp, Other };

// Only the kinds the OLE loader is used for here; stb would take PNG and others too.
Kind Recognise(const std::vector<uint8_t>& d)
{
    if (d.size() >= 3 && d[0] == 0xff && d[1] == 0xd8 && d[2] == 0xff) return Kind::Jpeg;
    if (d.size() >= 6 && std::memcmp(d.data(), "GIF8", 4) == 0) return Kind::Gif;
    if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M') return Kind::Bmp;
    return Kind::Other;
}

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

}  // namespace

void ImageManager::PictureDeleter::operator()(Picture* picture) const
{
    delete picture;
}

void ImageManager::Load()
{
    const Kind kind = Recognise(data_);
    if (kind == Kind::Other || data_.size() > (size_t)INT_MAX) throw ImageManagerException(2);
    const stbi_uc* in = data_.data();
    const int inLength = (int)data_.size();

    // Look at the size before decoding, so that a huge picture is refused without allocating.
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(in, inLength, &w, &h, &comp)) throw ImageManagerException(2);
    // For a BMP stb reports the stored height, negative when the rows run top-down; its loader
    // takes those as the OLE loader does.
    if (kind == Kind::Bmp && h < 0 && h != INT_MIN) h = -h;
    if (w <= 0 || h <= 0) throw ImageManagerException(2);
    if (((uint64_t)w * 3 + 3) / 4 * 4 * (uint64_t)h + 54 > kMaxBmpSize)
        throw ImageManagerException(2);

    // GIF transparency comes as alpha: transparent pixels stay black, as over the zeroed bitmap
    // the OLE picture is rendered into.
    const int channels = kind == Kind::Gif ? 4 : 3;
    std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(in, inLength, &w, &h, &comp, channels));
    if (!pixels || w <= 0 || h <= 0) throw ImageManagerException(2);

    std::unique_ptr<Picture, PictureDeleter> picture(new Picture);
    picture->width = w;
    picture->height = h;
    picture->rgb.resize((size_t)w * (size_t)h * 3);
    const stbi_uc* src = pixels.get();
    uint8_t* dst = picture->rgb.data();
    for (size_t i = 0, count = (size_t)w * (size_t)h; i < count; ++i, src += channels, dst += 3) {
        if (channels == 4 && src[3] == 0) continue;  // already zero
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
    picture_ = std::move(picture);

    himetricWidth_ = MulDivRound(w, 2540, kScreenDpi);
    himetricHeight_ = MulDivRound(h, 2540, kScreenDpi);
    width_ = MulDivRound(himetricWidth_, kScreenDpi, 2540);
    height_ = MulDivRound(himetricHeight_, kScreenDpi, 2540);
}

bool ImageManager::Render(const uint8_t*, uint8_t* bits, uint32_t stride) const
{
    // The pixel size is derived from the HIMETRIC size; at 96 dpi it equals the decoded size,
    // but render only what both share.
    const int32_t w = width_ < picture_->width ? width_ : picture_->width;
    const int32_t h = height_ < picture_->height ? height_ : picture_->height;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = &picture_->rgb[(size_t)y * (size_t)picture_->width * 3];
        uint8_t* dst = bits + (size_t)(height_ - 1 - y) * stride;
        for (int32_t x = 0; x < w; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return true;
}

}  // namespace Zorvex

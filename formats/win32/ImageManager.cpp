// ImageManager over the system's OLE picture loader and GDI. The picture is rendered into a
// 24-bit DIB section, so its colours do not depend on the display's colour depth.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstring>

#include "formats/ImageManager.h"

namespace Zorvex {

struct ImageManager::Picture {
    explicit Picture(IPicture* p) : picture(p) {}
    ~Picture() { picture->Release(); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    IPicture* picture;
};

namespace {

// The screen's device context for the length of one scope.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc()
    {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace

void ImageManager::PictureDeleter::operator()(Picture* picture) const
{
    delete picture;
}

void ImageManager::Load()
{
    if (data_.empty()) throw ImageManagerException(2);  // nothing to load
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data_.size());
    if (block == nullptr) throw ImageManagerException(0);
    void* locked = GlobalLock(block);
    if (locked == nullptr) {
        GlobalFree(block);
        throw ImageManagerException(0);
    }
    std::memcpy(locked, data_.data(), data_.size());
    GlobalUnlock(block);

    IStream* stream = nullptr;
    // The stream frees the block when it is released.
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr) {
        GlobalFree(block);
        throw ImageManagerException(1);
    }
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicture(stream, (LONG)data_.size(), FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || picture == nullptr) throw ImageManagerException(2);
    picture_.reset(new Picture(picture));

    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(picture->get_Width(&hmWidth)) || FAILED(picture->get_Height(&hmHeight)))
        throw ImageManagerException(2);
    himetricWidth_ = hmWidth;
    himetricHeight_ = hmHeight;

    ScreenDc screen;
    if (screen.Get() == nullptr) throw ImageManagerException(2);
    // MulDiv rounds to the nearest integer and gives -1 on overflow; CheckSizes refuses that.
    width_ = MulDiv(himetricWidth_, GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    height_ = MulDiv(himetricHeight_, GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
}

bool ImageManager::Render(const uint8_t* info, uint8_t* bits, uint32_t stride) const
{
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    std::memcpy(&bmi.bmiHeader, info, sizeof(BITMAPINFOHEADER));
    const size_t imageBytes = (size_t)stride * (size_t)height_;

    ScreenDc screen;
    if (screen.Get() == nullptr) return false;
    void* sectionBits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen.Get(), &bmi, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (bitmap == nullptr) return false;
    HDC memory = CreateCompatibleDC(screen.Get());
    if (memory == nullptr) {
        DeleteObject(bitmap);
        return false;
    }
    std::memset(sectionBits, 0, imageBytes);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // Source origin at the top with a negative height keeps the picture upright.
    const HRESULT hr = picture_->picture->Render(memory, 0, 0, width_, height_, 0, himetricHeight_,
                                                 himetricWidth_, -himetricHeight_, nullptr);
    SelectObject(memory, old);
    GdiFlush();
    const int lines = GetDIBits(memory, bitmap, 0, (UINT)height_, bits, &bmi, DIB_RGB_COLORS);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return SUCCEEDED(hr) && lines == height_;
}

}  // namespace Zorvex

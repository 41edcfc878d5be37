// What the view shows: the current object and, for a picture, the picture decoded from its body.
// Content is immutable once made, so any thread may keep a reference while the view moves on.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/MediaObject.h"

// A decoded picture: its pixel size at the screen's resolution and its 24-bit BMP file image
// (14-byte file header, 40-byte information header at offset 14, pixel rows from offset 54).
struct DecodedPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> bmp;
};

struct ViewContent {
    std::shared_ptr<const MediaObject> object;
    std::shared_ptr<const DecodedPicture> picture;  // nullptr unless the object is a picture
};

// JPEG, GIF and BMP are decoded; movies and melodies are shown by an emblem.
bool IsPictureKind(int32_t kind);

// Content for `object`, a picture decoded on the calling thread (which must have COM
// initialised on Windows). The decoder object is released before returning, on the thread
// that made it. When the picture is not of its kind or cannot be decoded returns nullptr and
// `object` stays with the caller; otherwise the content has taken it.
std::unique_ptr<ViewContent> DecodeContent(std::unique_ptr<MediaObject>& object);

// `current` with its object replaced by `object` (a sent object: new format, texts and time)
// and its decoded picture kept; nullptr when `object` has another kind or body, whose picture
// would differ.
std::unique_ptr<ViewContent> WithObject(const ViewContent& current,
                                        std::unique_ptr<MediaObject> object);

#include "app/ViewContent.h"

#include <cstring>

#include "formats/ImageManager.h"

bool IsPictureKind(int32_t kind)
{
    return kind == MEDIA_JPEG || kind == MEDIA_GIF || kind == MEDIA_BMP;
}

std::unique_ptr<ViewContent> DecodeContent(std::unique_ptr<MediaObject>& object)
{
    std::shared_ptr<DecodedPicture> picture;
    if (IsPictureKind(object->GetKind())) {
        // A phone's label is not enough: a "JPEG" that is a GIF, or a metafile, is refused.
        if (!ContentMatchesKind(object->GetKind(), object->GetBody(), object->GetBodyLength()))
            return nullptr;
        picture = std::make_shared<DecodedPicture>();
        try {
            const Zorvex::ImageManager decoder(object->GetBody(), object->GetBodyLength());
            picture->width = decoder.GetWidth();
            picture->height = decoder.GetHeight();
            picture->bmp.resize(decoder.WriteBmp(nullptr, 0));
            const uint32_t size = (uint32_t)picture->bmp.size();
            if (size < 54 || decoder.WriteBmp(picture->bmp.data(), size) != size) return nullptr;
        } catch (const ImageManagerException&) {
            return nullptr;
        }
    }
    std::unique_ptr<ViewContent> content(new ViewContent);
    content->picture = std::move(picture);
    content->object = std::move(object);
    return content;
}

std::unique_ptr<ViewContent> WithObject(const ViewContent& current,
                                        std::unique_ptr<MediaObject> object)
{
    const MediaObject* old = current.object.get();
    if (!old || !object || old->GetKind() != object->GetKind() ||
        old->GetBodyLength() != object->GetBodyLength() ||
        (old->GetBodyLength() != 0 &&
         std::memcmp(old->GetBody(), object->GetBody(), old->GetBodyLength()) != 0)) {
        return nullptr;
    }
    std::unique_ptr<ViewContent> content(new ViewContent);
    content->object = std::move(object);
    content->picture = current.picture;
    return content;
}

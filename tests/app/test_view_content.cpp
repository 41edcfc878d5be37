#include <gtest/gtest.h>

#include "app/ViewContent.h"
#include "tests/support/Bmp24.h"

namespace {

std::unique_ptr<MediaObject> Object(int32_t kind, std::vector<uint8_t> body)
{
    std::unique_ptr<MediaObject> o(new MediaObject);
    o->SetKind(kind);
    o->SetFormat(FORMAT_LOCAL_FILE);
    o->SetBody(std::move(body));
    return o;
}

const std::vector<uint8_t> kBmp = testing_bmp::Bmp24(3, 2, [](int x, int) { return x ? 0xFF0000u : 0x0000FFu; });

}  // namespace

TEST(ViewContent, PictureIsDecodedIntoA24BitImage)
{
    auto object = Object(MEDIA_BMP, kBmp);
    const MediaObject* raw = object.get();
    auto content = DecodeContent(object);
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(raw, content->object.get());
    ASSERT_NE(nullptr, content->picture);
    EXPECT_EQ(3, content->picture->width);
    EXPECT_EQ(2, content->picture->height);
    ASSERT_EQ(54u + 2 * 12, content->picture->bmp.size());  // rows of 9 bytes padded to 12
    const uint8_t* topLeft = &content->picture->bmp[54 + 12];  // bottom-up: row 1 is the top
    EXPECT_EQ(0xFF, topLeft[0]);                               // blue
    EXPECT_EQ(0x00, topLeft[2]);
}

TEST(ViewContent, OtherKindsNeedNoDecoding)
{
    for (int32_t kind : {MEDIA_MOVIE, MEDIA_IMELODY, MEDIA_SMF}) {
        auto object = Object(kind, {1, 2, 3});
        auto content = DecodeContent(object);
        ASSERT_NE(nullptr, content) << kind;
        EXPECT_EQ(nullptr, content->picture) << kind;
        EXPECT_EQ(kind, content->object->GetKind());
    }
}

TEST(ViewContent, UndecodablePictureStaysWithTheCaller)
{
    const std::vector<uint8_t> broken = {0xFF, 0xD8, 0xFF, 0x00, 0x01};
    // A sound bitmap labelled as another kind is refused too, before any decoder sees it.
    for (auto [kind, body] : {std::pair(MEDIA_JPEG, broken), std::pair(MEDIA_GIF, broken),
                              std::pair(MEDIA_BMP, broken), std::pair(MEDIA_JPEG, kBmp)}) {
        auto object = Object(kind, body);
        EXPECT_EQ(nullptr, DecodeContent(object)) << kind;
        ASSERT_NE(nullptr, object) << kind;
        EXPECT_EQ(body.size(), object->GetBodyLength());
    }
}

TEST(ViewContent, ReplacingTheObjectKeepsThePictureOnlyForTheSameBody)
{
    auto object = Object(MEDIA_BMP, kBmp);
    const std::unique_ptr<const ViewContent> current = DecodeContent(object);
    ASSERT_NE(nullptr, current);

    auto sent = Object(MEDIA_BMP, kBmp);
    sent->SetFormat(FORMAT_NEC);
    sent->SetTitle("title");
    auto replaced = WithObject(*current, std::move(sent));
    ASSERT_NE(nullptr, replaced);
    EXPECT_EQ(current->picture, replaced->picture);
    EXPECT_EQ(FORMAT_NEC, replaced->object->GetFormat());
    EXPECT_STREQ("title", replaced->object->GetTitle());
    EXPECT_EQ(FORMAT_LOCAL_FILE, current->object->GetFormat());  // a holder of the old one keeps it

    std::vector<uint8_t> changed = kBmp;
    changed[60] ^= 1;  // a pixel byte
    EXPECT_EQ(nullptr, WithObject(*current, Object(MEDIA_BMP, changed)));
    EXPECT_EQ(nullptr, WithObject(*current, Object(MEDIA_JPEG, kBmp)));
    EXPECT_EQ(nullptr, WithObject(ViewContent{}, Object(MEDIA_BMP, kBmp)));
}

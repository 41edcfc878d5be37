// Every format and kind the writer takes, read back by the reader as a phone's object would be:
// which fields survive the trip and which do not.
#include <gtest/gtest.h>

#include <string>

#include "core/MediaObject.h"
#include "formats/BitmapManager.h"
#include "formats/ImageManager.h"
#include "formats/VNoteReader.h"
#include "formats/VNoteWriter.h"
#include "VNoteFixtures.h"

using namespace vnote_test;

namespace {

std::vector<uint8_t> BodyFor(int32_t kind)
{
    switch (kind) {
    case MEDIA_JPEG: return FakeJpeg(300, 7);  // long enough to fold in every layout
    case MEDIA_GIF: return TinyGif();
    case MEDIA_MOVIE: return TinyMovie(176, 144);
    case MEDIA_BMP: return Bmp24(2, 1, {0xFF0000, 0x0000FF});
    case MEDIA_IMELODY: return MldHeader();
    default: return SmfHeader();
    }
}

struct Trip {
    SendJob job;
    std::string name;
    int32_t written = -1;
    int32_t read = -1;
    ReceivedObject back;
};

Trip RoundTrip(int32_t format, int32_t kind, const Zorvex::ImageManager* picture)
{
    Trip t;
    t.job.format = format;
    t.job.kind = kind;
    t.job.body = BodyFor(kind);
    t.job.fileName = "ab c.jpg";
    t.job.summary = "赤 と-青";
    t.job.title = "空 1";
    t.job.time = kTime;
    t.job.redistributionForbidden = 1;
    t.job.position = 1;
    t.job.picture = picture;
    std::unique_ptr<OutgoingObject> object;
    t.written = BuildOutgoingObject(t.job, nullptr, &object);
    if (t.written != 0) return t;
    t.name = object->name;
    const int32_t obexTime = t.job.time;  // the send worker's Time header
    t.read = ParseReceivedObject(object->body.GetData(), object->body.GetSize(), t.name.c_str(),
                                 &obexTime, &t.back);
    return t;
}

std::string Opt(const std::optional<std::string>& s) { return s ? *s : "(none)"; }

}  // namespace

TEST(VNoteRoundTrip, EveryFormatAndKind)
{
    const std::vector<uint8_t> gif = TinyGif();
    Zorvex::ImageManager picture(gif.data(), (uint32_t)gif.size());
    const int32_t kinds[] = {MEDIA_JPEG, MEDIA_MOVIE, MEDIA_GIF, MEDIA_BMP, MEDIA_IMELODY, MEDIA_SMF};
    int trips = 0;
    for (int32_t format = FORMAT_DOCOMO; format <= FORMAT_DIRECT; ++format) {
        for (int32_t kind : kinds) {
            // JPEG and BMP bodies cannot be decoded as the P504i format needs; those kinds are
            // covered below with real pictures.
            if (format == FORMAT_P504I && kind != MEDIA_IMELODY) continue;
            Trip t = RoundTrip(format, kind, &picture);
            if (t.written == SEND_BAD_JOB) continue;  // kinds the format does not take
            SCOPED_TRACE("format " + std::to_string(format) + " kind " + std::to_string(kind));
            ++trips;
            ASSERT_EQ(0, t.written);
            ASSERT_EQ(0, t.read);
            const ReceivedObject& r = t.back;
            EXPECT_EQ(format, r.format) << t.name;
            EXPECT_EQ(kind, r.kind);  // the Fujitsu corrections restore GIF and SMF
            EXPECT_EQ(Text(t.job.body), Text(r.body));

            switch (format) {
            case FORMAT_DOCOMO:
                EXPECT_EQ("abc.jpg", Opt(r.fileName));    // every text loses its spaces
                EXPECT_EQ("赤と-青", Opt(r.summary));      // decoded, but the space is lost
                EXPECT_EQ(kTime, r.time);                 // from DATE
                EXPECT_EQ(0, r.redistributionForbidden);  // the docomo object has no flag
                EXPECT_EQ(0, r.position);
                break;
            case FORMAT_NEC:
            case FORMAT_P2102V: {
                const bool picturesKind = kind == MEDIA_JPEG || kind == MEDIA_GIF;
                EXPECT_EQ("abc.jpg", Opt(r.fileName));
                EXPECT_EQ("赤と-青", Opt(r.summary));
                EXPECT_EQ(kTime, r.time);
                EXPECT_EQ(picturesKind ? 1 : 0, r.position);
                EXPECT_EQ(picturesKind ? 0 : 1, r.redistributionForbidden);
                break;
            }
            case FORMAT_FUJITSU:
                EXPECT_EQ("空1", Opt(r.title));
                EXPECT_EQ(1, r.redistributionForbidden);
                EXPECT_EQ(kTime, r.time);
                EXPECT_FALSE(r.fileName.has_value());
                break;
            case FORMAT_P504I:
                EXPECT_EQ(0, r.time);
                EXPECT_EQ(0, r.redistributionForbidden);
                break;
            case FORMAT_JN51_JPEG:
            case FORMAT_JN51_DCF:
                EXPECT_EQ("abc.jpg", Opt(r.fileName));  // the encoded text; plain here
                EXPECT_EQ(kTime, r.time);
                EXPECT_FALSE(r.summary.has_value());
                break;
            case FORMAT_DIRECT:
                // The bare file carries nothing but itself.
                EXPECT_FALSE(r.fileName.has_value());
                EXPECT_EQ(0, r.time);
                break;
            }
        }
    }
    // docomo 5 kinds, NEC 5, Fujitsu 5, P2102V 5, P504i melody 1, J-N51 1 + 1, direct 2.
    EXPECT_EQ(25, trips);
}

TEST(VNoteRoundTrip, NecShortNamesComeBackAsP2102v)
{
    for (int32_t kind : {MEDIA_JPEG, MEDIA_MOVIE, MEDIA_IMELODY}) {
        Trip t = RoundTrip(FORMAT_P2102V, kind, nullptr);
        ASSERT_EQ(0, t.read);
        EXPECT_EQ(FORMAT_P2102V, t.back.format) << t.name;
        t = RoundTrip(FORMAT_NEC, kind, nullptr);
        ASSERT_EQ(0, t.read);
        EXPECT_EQ(FORMAT_NEC, t.back.format) << t.name;
    }
}

TEST(VNoteRoundTrip, Jn51ShiftJisNameComesBackAsWritten)
{
    SendJob job;
    job.format = FORMAT_JN51_JPEG;
    job.kind = MEDIA_JPEG;
    job.body = FakeJpeg(20, 0);
    job.fileName = "写真2008-03.jpg";
    std::unique_ptr<OutgoingObject> object;
    ASSERT_EQ(0, BuildOutgoingObject(job, nullptr, &object));
    ReceivedObject back;
    ASSERT_EQ(0, ParseReceivedObject(object->body.GetData(), object->body.GetSize(), "nec.vnt",
                                     nullptr, &back));
    // The soft break is undone and the name decoded.
    EXPECT_EQ("写真2008-03.jpg", Opt(back.fileName));
    EXPECT_EQ(0, back.time);
}

TEST(VNoteRoundTrip, P504iPicturesComeBackAsSixteenBitBitmaps)
{
    struct Case {
        int32_t kind;
        std::vector<uint8_t> body;
    } cases[] = {
        {MEDIA_BMP, Bmp24(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080})},
        {MEDIA_GIF, TinyGif()},
    };
    for (const Case& c : cases) {
        SendJob job;
        job.format = FORMAT_P504I;
        job.kind = c.kind;
        job.body = c.body;
        std::unique_ptr<OutgoingObject> object;
        ASSERT_EQ(0, BuildOutgoingObject(job, nullptr, &object));
        ReceivedObject back;
        ASSERT_EQ(0, ParseReceivedObject(object->body.GetData(), object->body.GetSize(),
                                         "scln.vnt", nullptr, &back));
        EXPECT_EQ(FORMAT_P504I, back.format);
        EXPECT_EQ(MEDIA_BMP, back.kind);
        const std::vector<uint8_t> file =
            c.kind == MEDIA_BMP ? c.body
                                : Zorvex::ImageManager(c.body.data(), (uint32_t)c.body.size()).GetBmp();
        const BitmapManager original(file.data(), (uint32_t)file.size());
        const BitmapManager received(back.body.data(), (uint32_t)back.body.size());
        ASSERT_EQ(original.GetWidth(), received.GetWidth());
        ASSERT_EQ(original.GetHeight(), received.GetHeight());
        // 5-6-5 keeps the top bits of each component.
        for (int32_t y = 0; y < original.GetHeight(); ++y) {
            for (int32_t x = 0; x < original.GetWidth(); ++x) {
                const uint32_t a = (uint32_t)original.GetPixel(x, y);
                const uint32_t b = (uint32_t)received.GetPixel(x, y);
                EXPECT_EQ(a & 0xF8FCF8, b & 0xF8FCF8) << x << "," << y;
            }
        }
    }
}

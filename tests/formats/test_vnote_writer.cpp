// The vNote writer: golden objects per format (texts written out by hand), the three Base64
// layouts, refusals and conversion failures with their progress phases.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "core/MediaObject.h"
#include "formats/ImageManager.h"
#include "formats/VNoteWriter.h"
#include "VNoteFixtures.h"

using namespace vnote_test;

namespace {

SendJob Job(int32_t format, int32_t kind, std::vector<uint8_t> body)
{
    SendJob job;
    job.format = format;
    job.kind = kind;
    job.body = std::move(body);
    return job;
}

struct Built {
    int32_t result = -1;
    std::vector<int32_t> phases;
    std::unique_ptr<OutgoingObject> object;
    std::string text;
};

Built Build(const SendJob& job)
{
    Built b;
    RecordingSink sink;
    b.result = BuildOutgoingObject(job, &sink, &b.object);
    b.phases = sink.phases;
    if (b.object) b.text = BodyText(*b.object);
    return b;
}

// The body of a built object without its first lines (everything from `from` on).
std::string From(const std::string& text, const std::string& from)
{
    const size_t at = text.find(from);
    return at == std::string::npos ? std::string() : text.substr(at);
}

const std::vector<int32_t> kBuiltPhases = {PHASE_INITIALISING, PHASE_STARTING};
const std::vector<int32_t> kFailedPhases = {PHASE_INITIALISING, PHASE_FAILED};

}  // namespace

// --- Golden objects ---------------------------------------------------------------------------

TEST(VNoteWriterGolden, DocomoGifPicture)
{
    const std::vector<uint8_t> gif = TinyGif();
    Zorvex::ImageManager picture(gif.data(), (uint32_t)gif.size());
    SendJob job = Job(FORMAT_DOCOMO, MEDIA_GIF, gif);
    job.fileName = "red.gif";
    job.summary = "赤 と-青";
    job.time = kTime;
    job.picture = &picture;
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ(kBuiltPhases, b.phases);
    EXPECT_EQ("mypic.vnt", b.object->name);
    EXPECT_FALSE(b.object->type.has_value());
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-DOCOMO-TYPE:GIF\r\n"
              "X-DOCOMO-SIZE:2X1\r\n"
              "X-DOCOMO-FILESIZE:41byte\r\n"
              "X-DOCOMO-FILENAME:red.gif\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=90=D4 =82=C6=2D=90=C2\r\n"
              "DATE:20080309T140507Z\r\n"
              "X-DOCOMO-BODY;ENCODING=BASE64:R0lGODlhAgABAIEAAP8AAAAA/wAAAAAAACwAAAAAAgABAAACAkQKADs=\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, DocomoMovieWithFrameSize)
{
    SendJob job = Job(FORMAT_DOCOMO, MEDIA_MOVIE, TinyMovie(176, 144));
    job.fileName = "clip.3gp";
    job.summary = "Trip";
    job.time = kTime;
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("myvideo.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-DOCOMO-TYPE:MP4\r\n"
              "X-DOCOMO-SIZE:176X144\r\n"
              "X-DOCOMO-FILESIZE:92byte\r\n"
              "X-DOCOMO-FILENAME:clip.3gp\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:Trip\r\n"
              "DATE:20080309T140507Z\r\n"
              "X-DOCOMO-BODY;ENCODING=BASE64:AAAAXG1vb3YAAABUdHJhawAAAExtZGlhAAAARG1pbmYAAAA8c3RibAAAADRzdHNkAAAAAAAA\r\n"
              "AAEAAAAkbXA0dgAAAAAAAAABAAAAAAAAAAAAAAAAAAAAAACwAJA=\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, DocomoThreeByteMelody)
{
    SendJob job = Job(FORMAT_DOCOMO, MEDIA_IMELODY, Bytes("mel"));
    job.fileName = "tune.mld";
    job.summary = "メロ";
    job.time = kTime;
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("mymldy.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-DOCOMO-TYPE:MFI\r\n"
              "X-DOCOMO-FILESIZE:3byte\r\n"
              "X-DOCOMO-FILENAME:tune.mld\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=83=81=83=8D\r\n"
              "DATE:20080309T140507Z\r\n"
              "X-DOCOMO-BODY;ENCODING=BASE64:bWVs\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, NecJpegPicture)
{
    SendJob job = Job(FORMAT_NEC, MEDIA_JPEG, FakeJpeg(42, 0x10));
    job.fileName = "photo.jpg";
    job.summary = "赤 と青";
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("nec_pic.vnt", b.object->name);
    EXPECT_FALSE(b.object->type.has_value());
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS:\x90\xD4 \x82\xC6\x90\xC2\r\n"
              "BODY;ENCODING=BASE64:/9j/4BAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy\r\n"
              " MzQ1\r\n"
              "\r\n"
              "X-NEC-TYPE:JPEG\r\n"
              "X-NEC-POSITION:CENTER\r\n"
              "X-NEC-FILENAME;CHARSET=SHIFT_JIS:photo.jpg\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, P2102vMovieForbiddenToRedistribute)
{
    SendJob job = Job(FORMAT_P2102V, MEDIA_MOVIE, TinyMovie(176, 144));
    job.fileName = "clip.3gp";
    job.summary = "Trip";
    job.redistributionForbidden = 1;
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("vcp.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS:Trip\r\n"
              "BODY;ENCODING=BASE64:AAAAXG1vb3YAAABUdHJhawAAAExtZGlhAAAARG1pbmYAAAA8c3Ri\r\n"
              " bAAAADRzdHNkAAAAAAAAAAEAAAAkbXA0dgAAAAAAAAABAAAAAAAAAAAAAAAAAAAAAACwAJA=\r\n"
              "\r\n"
              "X-NEC-COPYRIGHT:1\r\n"
              "X-NEC-FORMAT:MP4\r\n"
              "X-NEC-FILENAME;CHARSET=SHIFT_JIS:clip.3gp\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, NecStandardMidiMelody)
{
    SendJob job = Job(FORMAT_NEC, MEDIA_SMF, SmfHeader());
    job.fileName = "song.mid";
    job.summary = "";
    job.position = 3;  // melodies carry no position line, whatever the position
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("nec_msc.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS:\r\n"
              "BODY;ENCODING=BASE64:TVRoZAAAAAYAAAABAGA=\r\n"
              "\r\n"
              "X-NEC-COPYRIGHT:0\r\n"
              "X-NEC-FORMAT:MIDI\r\n"
              "X-NEC-FILENAME;CHARSET=SHIFT_JIS:song.mid\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, NecAndP2102vDifferOnlyInObjectNames)
{
    struct Case {
        int32_t kind;
        std::vector<uint8_t> body;
        const char* nec;
        const char* p2102v;
    } cases[] = {{MEDIA_JPEG, FakeJpeg(42, 0x10), "nec_pic.vnt", "pic.vnt"},
                 {MEDIA_MOVIE, TinyMovie(176, 144), "nec_vcp.vnt", "vcp.vnt"},
                 {MEDIA_IMELODY, MldHeader(), "nec_msc.vnt", "msc.vnt"}};
    for (const Case& c : cases) {
        SendJob job = Job(FORMAT_NEC, c.kind, c.body);
        job.fileName = "f";
        job.summary = "s";
        job.redistributionForbidden = 1;
        Built nec = Build(job);
        job.format = FORMAT_P2102V;
        Built p2102v = Build(job);
        ASSERT_EQ(0, nec.result);
        ASSERT_EQ(0, p2102v.result);
        EXPECT_EQ(c.nec, nec.object->name);
        EXPECT_EQ(c.p2102v, p2102v.object->name);
        EXPECT_EQ(nec.text, p2102v.text);
    }
}

TEST(VNoteWriterGolden, FujitsuJpegPicture)
{
    SendJob job = Job(FORMAT_FUJITSU, MEDIA_JPEG, FakeJpeg(60, 0x40));
    job.title = "空";
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("fj_img.vnt", b.object->name);
    ASSERT_TRUE(b.object->type.has_value());
    EXPECT_EQ("text/x-FJ-Image", *b.object->type);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.0\r\n"
              "X-FJ-FORMAT:2\r\n"
              "X-FJ-PICTYPE:1\r\n"
              "X-FJ-COPYRIGHT:0\r\n"
              "X-FJ-TITLE;CHARSET=SHIFT_JIS:\x8B\xF3\r\n"
              "X-FJ-BODY;ENCODING=BASE64:\r\n"
              "    /9j/4EBBQkNERUZHSElKS0xNTk9QUVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWpr\r\n"
              "    bG1ub3BxcnN0dXZ3\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, FujitsuMovieAndMelody)
{
    SendJob movie = Job(FORMAT_FUJITSU, MEDIA_MOVIE, TinyMovie(176, 144));
    movie.title = "Trip";
    movie.redistributionForbidden = 1;
    Built b = Build(movie);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("fj_mov.vnt", b.object->name);
    EXPECT_EQ("text/x-FJ-Movie", b.object->type.value_or(""));
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.0\r\n"
              "X-FJ-FORMAT:3\r\n"
              "X-FJ-MOVIETYPE:0\r\n"
              "X-FJ-COPYRIGHT:1\r\n"
              "X-FJ-TITLE;CHARSET=SHIFT_JIS:Trip\r\n"
              "X-FJ-BODY;ENCODING=BASE64:\r\n"
              "    AAAAXG1vb3YAAABUdHJhawAAAExtZGlhAAAARG1pbmYAAAA8c3RibAAAADRzdHNk\r\n"
              "    AAAAAAAAAAEAAAAkbXA0dgAAAAAAAAABAAAAAAAAAAAAAAAAAAAAAACwAJA=\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);

    SendJob melody = Job(FORMAT_FUJITSU, MEDIA_IMELODY, MldHeader());
    melody.title = "";
    b = Build(melody);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("fj_mld.vnt", b.object->name);
    EXPECT_EQ("text/x-FJ-Melody", b.object->type.value_or(""));
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.0\r\n"
              "X-FJ-FORMAT:1\r\n"
              "X-FJ-TELTYPE:F2051\r\n"
              "X-FJ-COPYRIGHT:0\r\n"
              "X-FJ-TITLE;CHARSET=SHIFT_JIS:\r\n"
              "X-FJ-BODY;ENCODING=BASE64:\r\n"
              "    bWVsbwAAABAAAAAA\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, P504iBitmapRedAndBlue)
{
    Built b = Build(Job(FORMAT_P504I, MEDIA_BMP, Bmp24(2, 1, {0xFF0000, 0x0000FF})));
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("scln.vnt", b.object->name);
    // Red 0xF800 and blue 0x001F, each low byte first: 00 F8 1F 00.
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-BMPTYPE:04\r\n"
              "X-HPICLR:0\r\n"
              "X-WIDTH:2\r\n"
              "X-HEIGHT:1\r\n"
              "X-BODY;ENCODING=BASE64:APgfAA==\r\n"
              "\r\n"
              "X-COPYRIGHT:0\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, P504iGifGoesThroughTheDecoder)
{
    Built b = Build(Job(FORMAT_P504I, MEDIA_GIF, TinyGif()));
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("scln.vnt", b.object->name);
    EXPECT_EQ("X-WIDTH:2\r\n"
              "X-HEIGHT:1\r\n"
              "X-BODY;ENCODING=BASE64:APgfAA==\r\n"
              "\r\n"
              "X-COPYRIGHT:0\r\n"
              "END:VNOTE\r\n",
              From(b.text, "X-WIDTH:"));
}

TEST(VNoteWriterGolden, P504iMelody)
{
    Built b = Build(Job(FORMAT_P504I, MEDIA_IMELODY, MldHeader()));
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("mld.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-FORMAT:1\r\n"
              "X-BODY;ENCODING=BASE64:bWVsbwAAABAAAAAA\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, Jn51JpegAndCamera)
{
    SendJob job = Job(FORMAT_JN51_JPEG, MEDIA_JPEG, FakeJpeg(42, 0x10));
    job.fileName = "photo.jpg";
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("nec.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-JPGNE-TYPE:JPEG\r\n"
              "X-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:photo.jpg\r\n"
              "BODY;ENCODING=BASE64:/9j/4BAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy\r\n"
              " MzQ1\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);

    job.format = FORMAT_JN51_DCF;
    job.fileName = "写真2008-03.jpg";  // 23 encoded characters: broken after the 13th
    b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("nec.vnt", b.object->name);
    EXPECT_EQ("BEGIN:VNOTE\r\n"
              "VERSION:1.1\r\n"
              "X-JPGNE-TYPE:DCF\r\n"
              "X-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=CA=90^200=\r\n"
              "8=2D03.jpg\r\n"
              "BODY;ENCODING=BASE64:/9j/4BAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy\r\n"
              " MzQ1\r\n"
              "\r\n"
              "END:VNOTE\r\n",
              b.text);
}

TEST(VNoteWriterGolden, DirectSendsTheFileItself)
{
    const std::vector<uint8_t> gif = TinyGif();
    SendJob job = Job(FORMAT_DIRECT, MEDIA_GIF, gif);
    job.fileName = "red.gif";
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ(kBuiltPhases, b.phases);
    EXPECT_EQ("red.gif", b.object->name);
    EXPECT_FALSE(b.object->type.has_value());
    EXPECT_EQ(Text(gif), b.text);
}

// --- Base64 layouts ---------------------------------------------------------------------------

TEST(VNoteWriterLayout, LayoutABreaksAfter72Characters)
{
    SendJob job = Job(FORMAT_P504I, MEDIA_IMELODY, std::vector<uint8_t>(54, 0));
    Built b = Build(job);  // 72 characters: one content line
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("X-BODY;ENCODING=BASE64:" + std::string(72, 'A') + "\r\n\r\nEND:VNOTE\r\n",
              From(b.text, "X-BODY"));

    job.body.assign(57, 0);  // 76 characters: a second line of four, no leading space
    b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("X-BODY;ENCODING=BASE64:" + std::string(72, 'A') + "\r\nAAAA\r\n\r\nEND:VNOTE\r\n",
              From(b.text, "X-BODY"));

    job.body.assign(54 * 3 + 3, 0);  // 220 characters: 72 + 72 + 72 + 4
    b = Build(job);
    ASSERT_EQ(0, b.result);
    const std::string line(72, 'A');
    EXPECT_EQ("X-BODY;ENCODING=BASE64:" + line + "\r\n" + line + "\r\n" + line + "\r\nAAAA\r\n\r\nEND:VNOTE\r\n",
              From(b.text, "X-BODY"));
}

TEST(VNoteWriterLayout, LayoutBContinuesWithOneSpace)
{
    SendJob job = Job(FORMAT_JN51_JPEG, MEDIA_JPEG, std::vector<uint8_t>(39, 0));
    job.fileName = "a.jpg";
    Built b = Build(job);  // 52 characters fit the property line
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("BODY;ENCODING=BASE64:" + std::string(52, 'A') + "\r\n\r\nEND:VNOTE\r\n",
              From(b.text, "BODY;"));

    job.body.assign(39 + 54 + 3, 0);  // 52 + 72 + 4
    b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("BODY;ENCODING=BASE64:" + std::string(52, 'A') + "\r\n " + std::string(72, 'A') +
                  "\r\n AAAA\r\n\r\nEND:VNOTE\r\n",
              From(b.text, "BODY;"));
}

TEST(VNoteWriterLayout, LayoutCIndentsEveryLineByFour)
{
    SendJob job = Job(FORMAT_FUJITSU, MEDIA_GIF, std::vector<uint8_t>(48 * 2 + 1, 0));
    job.title = "t";
    Built b = Build(job);  // 132 characters: 64 + 64 + 4
    ASSERT_EQ(0, b.result);
    EXPECT_EQ("X-FJ-BODY;ENCODING=BASE64:\r\n    " + std::string(64, 'A') + "\r\n    " +
                  std::string(64, 'A') + "\r\n    AA==\r\n\r\nEND:VNOTE\r\n",
              From(b.text, "X-FJ-BODY"));
}

// --- Fields and their edge cases --------------------------------------------------------------

TEST(VNoteWriterFields, DocomoMovieWithoutMp4vHasNoSizeLine)
{
    SendJob job = Job(FORMAT_DOCOMO, MEDIA_MOVIE, TinyMovie(176, 144, "s263"));
    job.fileName = "clip.3gp";
    job.summary = "s";
    job.time = kTime;
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_EQ(std::string::npos, b.text.find("X-DOCOMO-SIZE"));
    EXPECT_EQ(0u, b.text.find("BEGIN:VNOTE\r\nVERSION:1.1\r\nX-DOCOMO-TYPE:MP4\r\n"
                              "X-DOCOMO-FILESIZE:92byte\r\n"));
}

TEST(VNoteWriterFields, DocomoSizeComesFromTheDecodedPicture)
{
    // The size line reports the job's decoded picture, whatever the body.
    const std::vector<uint8_t> bmp = Bmp24(3, 5, std::vector<uint32_t>(15, 0x808080));
    Zorvex::ImageManager picture(bmp.data(), (uint32_t)bmp.size());
    SendJob job = Job(FORMAT_DOCOMO, MEDIA_JPEG, FakeJpeg(10, 0));
    job.fileName = "";
    job.summary = "";
    job.time = kTime;
    job.picture = &picture;
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_NE(std::string::npos, b.text.find("\r\nX-DOCOMO-TYPE:JPEG\r\nX-DOCOMO-SIZE:3X5\r\n"));
    EXPECT_NE(std::string::npos, b.text.find("\r\nX-DOCOMO-FILENAME:\r\n"));
}

TEST(VNoteWriterFields, DocomoDateIsUtcWhateverTheZone)
{
    ScopedTimeZone zone("JST-9");
    SendJob job = Job(FORMAT_DOCOMO, MEDIA_SMF, SmfHeader());
    job.fileName = "f";
    job.summary = "s";
    job.time = 1167609600 - 1;  // 2006-12-31 23:59:59 UTC, already 2007 in Japan
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_NE(std::string::npos, b.text.find("\r\nX-DOCOMO-TYPE:SMF\r\n"));
    EXPECT_NE(std::string::npos, b.text.find("\r\nDATE:20061231T235959Z\r\n"));

    // A time before 1970 is a time like any other (only 0 means none), and so are the ends of
    // the 32-bit range.
    const struct {
        int32_t time;
        const char* date;
    } cases[] = {
        {-1, "19691231T235959Z"},
        {-86400 * 366, "19681231T000000Z"},
        {INT32_MIN, "19011213T204552Z"},
        {INT32_MAX, "20380119T031407Z"},
    };
    for (const auto& c : cases) {
        job.time = c.time;
        b = Build(job);
        ASSERT_EQ(0, b.result) << c.time;
        EXPECT_NE(std::string::npos, b.text.find(std::string("\r\nDATE:") + c.date + "\r\n"))
            << c.time;
    }
}

TEST(VNoteWriterFields, NecPicturePositions)
{
    SendJob job = Job(FORMAT_P2102V, MEDIA_GIF, TinyGif());
    job.fileName = "g";
    job.summary = "a b";
    const char* expected[] = {"LEFT", "CENTER", "RIGHT"};
    for (int32_t position = 1; position <= 3; ++position) {
        job.position = position;
        Built b = Build(job);
        ASSERT_EQ(0, b.result);
        EXPECT_EQ("pic.vnt", b.object->name);
        EXPECT_NE(std::string::npos, b.text.find(std::string("\r\nX-NEC-TYPE:GIF\r\nX-NEC-POSITION:") +
                                                 expected[position - 1] + "\r\n"));
        EXPECT_NE(std::string::npos, b.text.find("\r\nSUMMARY;CHARSET=SHIFT_JIS:a b\r\n"));
        EXPECT_EQ(std::string::npos, b.text.find("COPYRIGHT"));
    }
}

TEST(VNoteWriterFields, Jn51SoftBreakOnlyPastTheSeventyFourthCharacter)
{
    SendJob job = Job(FORMAT_JN51_JPEG, MEDIA_JPEG, FakeJpeg(6, 0));
    const std::string prefix = "X-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:";
    ASSERT_EQ(61u, prefix.size());

    job.fileName = "abcdefghi.jpg";  // 13 characters: a 74-character line
    Built b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_NE(std::string::npos, b.text.find("\r\n" + prefix + "abcdefghi.jpg\r\nBODY;"));

    job.fileName = "abcdefghij.jpg";  // 14: one character moves to the next line
    b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_NE(std::string::npos, b.text.find("\r\n" + prefix + "abcdefghij.jp=\r\ng\r\nBODY;"));

    // 51 encoded characters: still one break, even inside an escape (after "=" of the fifth).
    job.fileName = "=================";
    b = Build(job);
    ASSERT_EQ(0, b.result);
    EXPECT_NE(std::string::npos,
              b.text.find("\r\n" + prefix + "=3D=3D=3D=3D==\r\n" +
                          "3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D=3D\r\nBODY;"));
}

TEST(VNoteWriterFields, ObjectNamesAndTypes)
{
    struct Case {
        int32_t format, kind;
        const char* name;
        const char* type;
    } cases[] = {
        {FORMAT_DOCOMO, MEDIA_SMF, "mymldy.vnt", nullptr},
        {FORMAT_NEC, MEDIA_GIF, "nec_pic.vnt", nullptr},
        {FORMAT_NEC, MEDIA_MOVIE, "nec_vcp.vnt", nullptr},
        {FORMAT_NEC, MEDIA_IMELODY, "nec_msc.vnt", nullptr},
        {FORMAT_FUJITSU, MEDIA_GIF, "fj_img.vnt", "text/x-FJ-Image"},
        {FORMAT_FUJITSU, MEDIA_SMF, "fj_mld.vnt", "text/x-FJ-Melody"},
        {FORMAT_P2102V, MEDIA_JPEG, "pic.vnt", nullptr},
        {FORMAT_P2102V, MEDIA_IMELODY, "msc.vnt", nullptr},
        {FORMAT_P2102V, MEDIA_SMF, "msc.vnt", nullptr},
    };
    for (const Case& c : cases) {
        SendJob job = Job(c.format, c.kind, c.kind == MEDIA_GIF ? TinyGif() : SmfHeader());
        job.fileName = "f";
        job.summary = "s";
        job.title = "t";
        job.time = kTime;
        Built b = Build(job);
        ASSERT_EQ(0, b.result) << c.name;
        EXPECT_EQ(c.name, b.object->name);
        EXPECT_EQ(c.type != nullptr, b.object->type.has_value()) << c.name;
        if (c.type) {
            EXPECT_EQ(c.type, *b.object->type);
        }
    }
}

// --- Refusals and conversion failures ---------------------------------------------------------

TEST(VNoteWriterRefusal, BadJobsAreRefusedWithNothingBuilt)
{
    SendJob ok = Job(FORMAT_DOCOMO, MEDIA_SMF, SmfHeader());
    ok.fileName = "f";
    ok.summary = "s";
    ok.time = kTime;
    ASSERT_EQ(0, Build(ok).result);

    std::vector<std::pair<const char*, SendJob>> bad;
    SendJob j = ok;
    j.time = 0;
    bad.emplace_back("docomo without time", j);
    j = ok;
    j.summary.reset();
    bad.emplace_back("docomo without summary", j);
    j = ok;
    j.fileName.reset();
    bad.emplace_back("docomo without file name", j);
    j = ok;
    j.kind = MEDIA_GIF;
    j.body = TinyGif();
    bad.emplace_back("docomo GIF without decoded picture", j);
    j = ok;
    j.body.clear();
    bad.emplace_back("empty body", j);
    j = ok;
    j.format = 0;
    bad.emplace_back("format 0", j);
    j = ok;
    j.format = FORMAT_LOCAL_FILE;
    bad.emplace_back("format 9", j);
    j = ok;
    j.kind = MEDIA_BMP;
    bad.emplace_back("BMP in docomo", j);
    j = ok;
    j.kind = 5;
    bad.emplace_back("kind 5", j);
    j = ok;
    j.format = FORMAT_DIRECT;
    j.kind = MEDIA_BMP;
    bad.emplace_back("BMP in direct", j);
    j = ok;
    j.format = FORMAT_JN51_JPEG;
    j.kind = MEDIA_MOVIE;
    bad.emplace_back("MP4 in J-N51", j);
    j = ok;
    j.format = FORMAT_JN51_DCF;
    j.kind = MEDIA_GIF;
    bad.emplace_back("GIF in J-N51 camera", j);
    j = ok;
    j.format = FORMAT_P504I;
    j.kind = MEDIA_SMF;
    bad.emplace_back("SMF in P504i", j);
    j = ok;
    j.format = FORMAT_P504I;
    j.kind = MEDIA_MOVIE;
    bad.emplace_back("movie in P504i", j);
    j = ok;
    j.format = FORMAT_FUJITSU;
    j.title.reset();
    bad.emplace_back("Fujitsu without title", j);
    j = ok;
    j.format = FORMAT_NEC;
    j.fileName.reset();
    bad.emplace_back("NEC without file name", j);
    j = ok;
    j.format = FORMAT_P2102V;
    j.summary.reset();
    bad.emplace_back("P2102V without summary", j);
    j = ok;
    j.format = FORMAT_NEC;
    j.kind = MEDIA_JPEG;
    j.position = 0;
    bad.emplace_back("NEC picture at position 0", j);
    j.position = 4;
    bad.emplace_back("NEC picture at position 4", j);
    // The position is checked for every format, not only where it is written.
    j = ok;
    j.position = 0;
    bad.emplace_back("docomo melody at position 0", j);
    j = ok;
    j.format = FORMAT_P504I;
    j.kind = MEDIA_IMELODY;
    j.position = 4;
    bad.emplace_back("P504i melody at position 4", j);
    j = ok;
    j.format = FORMAT_DIRECT;
    j.kind = MEDIA_JPEG;
    j.position = -1;
    bad.emplace_back("direct picture at position -1", j);
    j = ok;
    j.format = FORMAT_DIRECT;
    j.kind = MEDIA_JPEG;
    j.fileName.reset();
    bad.emplace_back("direct without file name", j);

    for (auto& c : bad) {
        Built b = Build(c.second);
        EXPECT_EQ(SEND_BAD_JOB, b.result) << c.first;
        EXPECT_EQ(kFailedPhases, b.phases) << c.first;
        EXPECT_EQ(nullptr, b.object) << c.first;
    }
}

TEST(VNoteWriterRefusal, ContentThatCannotBeConvertedGivesSix)
{
    SendJob movie = Job(FORMAT_DOCOMO, MEDIA_MOVIE, TinyMovie(176, 144));
    movie.body.push_back(0);
    movie.body.push_back(0);  // two stray bytes after the last atom
    movie.fileName = "f";
    movie.summary = "s";
    movie.time = kTime;
    Built b = Build(movie);
    EXPECT_EQ(SEND_UNCONVERTIBLE, b.result);
    EXPECT_EQ(kFailedPhases, b.phases);
    EXPECT_EQ(nullptr, b.object);

    // The same movie is not parsed for the other formats.
    movie.format = FORMAT_NEC;
    EXPECT_EQ(0, Build(movie).result);

    for (int32_t kind : {MEDIA_JPEG, MEDIA_GIF, MEDIA_BMP}) {
        b = Build(Job(FORMAT_P504I, kind, FakeJpeg(40, 0)));
        EXPECT_EQ(SEND_UNCONVERTIBLE, b.result) << kind;
        EXPECT_EQ(kFailedPhases, b.phases) << kind;
    }
    std::vector<uint8_t> truncated = Bmp24(2, 2, {0, 0, 0, 0});
    truncated.pop_back();
    EXPECT_EQ(SEND_UNCONVERTIBLE, Build(Job(FORMAT_P504I, MEDIA_BMP, truncated)).result);
}

TEST(VNoteWriterRefusal, BodyAboveTheLargestMediaBody)
{
    std::vector<uint8_t> body(kMaxMediaBody + 1, 'x');
    for (auto [format, kind] : {std::pair{FORMAT_DOCOMO, MEDIA_IMELODY}, {FORMAT_DIRECT, MEDIA_JPEG}}) {
        SendJob job = Job(format, kind, body);
        job.summary = "s";
        job.fileName = "a.mld";
        job.time = 1;
        job.position = 2;
        EXPECT_EQ(SEND_UNCONVERTIBLE, Build(job).result) << format;
    }
}

TEST(VNoteWriterRefusal, WorksWithoutAProgressSink)
{
    SendJob job = Job(FORMAT_P504I, MEDIA_IMELODY, MldHeader());
    std::unique_ptr<OutgoingObject> object;
    EXPECT_EQ(0, BuildOutgoingObject(job, nullptr, &object));
    EXPECT_NE(nullptr, object);
    job.body.clear();
    EXPECT_EQ(SEND_BAD_JOB, BuildOutgoingObject(job, nullptr, &object));
    EXPECT_EQ(nullptr, object);  // a failed build leaves no object behind
}

TEST(VNoteWriterFields, ResetKeepsCentrePosition)
{
    SendJob job = Job(FORMAT_NEC, MEDIA_JPEG, FakeJpeg(5, 0));
    job.position = 3;
    job.summary = "s";
    job.Reset();
    EXPECT_EQ(2, job.position);
    EXPECT_EQ(0, job.format);
    EXPECT_TRUE(job.body.empty());
    EXPECT_FALSE(job.summary.has_value());
}

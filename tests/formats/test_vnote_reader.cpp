// The vNote reader: the line layer, the recognition of each maker's object, DATE, the content
// and its corrections, the P504i bitmap, and hostile input.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/MediaObject.h"
#include "formats/PropertyList.h"
#include "formats/VNoteReader.h"
#include "VNoteFixtures.h"

using namespace vnote_test;

namespace {

PropertyList List(const std::string& text)
{
    return PropertyList(reinterpret_cast<const uint8_t*>(text.data()), (uint32_t)text.size());
}

std::string Get(const PropertyList& list, const char* name)
{
    const char* v = list.Get(name);
    return v ? v : "(none)";
}

struct Parsed {
    int32_t result = -1;
    ReceivedObject object;
};

Parsed Parse(const std::string& text, const char* name = nullptr, const int32_t* time = nullptr)
{
    Parsed p;
    p.object.kind = 99;  // must be reset by the reader
    p.result = ParseReceivedObject(reinterpret_cast<const uint8_t*>(text.data()),
                                   (uint32_t)text.size(), name, time, &p.object);
    return p;
}

std::string Opt(const std::optional<std::string>& s) { return s ? *s : "(none)"; }

// A P504i picture object with the given size lines and content.
std::string P504i(const std::string& width, const std::string& height, const std::string& base64)
{
    return "BEGIN:VNOTE\r\nVERSION:1.1\r\nX-BMPTYPE:04\r\nX-HPICLR:0\r\n" + width + height +
           "X-BODY;ENCODING=BASE64:" + base64 + "\r\n\r\nX-COPYRIGHT:0\r\nEND:VNOTE\r\n";
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

}  // namespace

// --- Line layer -------------------------------------------------------------------------------

TEST(PropertyListLines, NamesUpperCasedWithParametersAndLaterValueWins)
{
    PropertyList list = List("begin:VNOTE\r\nSummary;Charset=Shift_JIS:ab:cd\r\nx-a:1\r\nX-A:2\r\n");
    EXPECT_EQ("VNOTE", Get(list, "BEGIN"));
    EXPECT_EQ("ab:cd", Get(list, "SUMMARY;CHARSET=SHIFT_JIS"));  // value after the first colon
    EXPECT_EQ("(none)", Get(list, "SUMMARY"));
    EXPECT_EQ("2", Get(list, "X-A"));
    EXPECT_EQ(3, list.GetCount());
    list.Set("X-A", "3");
    EXPECT_EQ("3", Get(list, "X-A"));
    EXPECT_EQ(3, list.GetCount());
}

TEST(PropertyListLines, WhitespaceAndControlBytesAreRemovedEverywhere)
{
    const std::string text("X-B ;\tP=1 : a b\x01\x1F\x7F\x80\xFF c\r\nZ:\0z\r\n", 31);
    PropertyList list = List(text);
    EXPECT_EQ("ab\x7F\x80\xFF" "c", Get(list, "X-B;P=1"));
    EXPECT_EQ("z", Get(list, "Z"));
}

TEST(PropertyListLines, LinesWithoutColonContinueThePreviousOne)
{
    // Base64 folded with leading spaces and tabs, an empty line, and a last line without LF.
    PropertyList list = List("BODY;ENCODING=BASE64:YWJj\r\n ZGVm\r\n\tZ2hp\r\n\r\n-=+/\r\nEND:VNOTE");
    EXPECT_EQ("YWJjZGVmZ2hp-=+/", Get(list, "BODY;ENCODING=BASE64"));
    EXPECT_EQ("VNOTE", Get(list, "END"));
}

TEST(PropertyListLines, QuotedPrintableSoftBreak)
{
    PropertyList list = List("SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=82=A0=\r\n"
                             "=82=A2\r\n"
                             "X-A;ENCODING=QUOTED-PRINTABLE:abc=\r\n"
                             "d:e\r\n"
                             "X-PLAIN:ab=\r\n"
                             "cd\r\n");
    // Joined with the "=" and CR of the soft break dropped.
    EXPECT_EQ("=82=A0=82=A2", Get(list, "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE"));
    // A line with a colon after a soft break starts a new property.
    EXPECT_EQ("abc", Get(list, "X-A;ENCODING=QUOTED-PRINTABLE"));
    EXPECT_EQ("e", Get(list, "D"));
    // Without the encoding parameter the "=" stays.
    EXPECT_EQ("ab=cd", Get(list, "X-PLAIN"));
}

TEST(PropertyListLines, QuotedPrintableMarkerIsMatchedAsReceived)
{
    // Lower case marker: no soft break, the "=" stays.
    PropertyList lower = List("X-A;encoding=quoted-printable:ab=\r\ncd\r\n");
    EXPECT_EQ("ab=cd", Get(lower, "X-A;ENCODING=QUOTED-PRINTABLE"));
    // The marker must stand in the name part, not in the value.
    PropertyList inValue = List("X-A:;ENCODING=QUOTED-PRINTABLE=\r\ncd\r\n");
    EXPECT_EQ(";ENCODING=QUOTED-PRINTABLE=cd", Get(inValue, "X-A"));
}

TEST(PropertyListLines, ColonlessLinesThrow)
{
    try {
        List("just some text\r\n");
        FAIL() << "no exception";
    } catch (const Zorvex::CVSeriesException& e) {
        EXPECT_STREQ("パース対象の１行の形式が不正です。", e.GetMessageText());
        const Zorvex::CVSeriesException copy = e;
        EXPECT_STREQ(e.GetMessageText(), copy.GetMessageText());
    }
    // A first line without a colon is held and joined to the next colonless one; a line with a
    // colon then makes it a logical line of its own, which is invalid.
    EXPECT_THROW(List("abc\r\ndef\r\nBEGIN:VNOTE\r\n"), Zorvex::CVSeriesException);
    EXPECT_NO_THROW(List(""));
    EXPECT_EQ(0, List("").GetCount());
}

// --- Recognition and fields -------------------------------------------------------------------

TEST(VNoteReaderDetect, BareJpegAndGif)
{
    const std::string jpeg("\xFF\xD8\xFF\xE0junk", 8);
    Parsed p = Parse(jpeg);
    EXPECT_EQ(0, p.result);
    EXPECT_EQ(MEDIA_JPEG, p.object.kind);
    EXPECT_EQ(FORMAT_DIRECT, p.object.format);
    EXPECT_EQ(jpeg, Text(p.object.body));

    p = Parse("GIF");
    EXPECT_EQ(0, p.result);
    EXPECT_EQ(MEDIA_GIF, p.object.kind);
    EXPECT_EQ(FORMAT_DIRECT, p.object.format);
    EXPECT_EQ("GIF", Text(p.object.body));

    // Two bytes of a JPEG signature are not enough, and are no vNote either.
    EXPECT_EQ(RECEIVE_BAD_DATA, Parse(std::string("\xFF\xD8", 2)).result);

    // A bare picture is a media body: above the largest it is refused.
    std::string huge(kMaxMediaBody + 1, 'x');
    huge.replace(0, 3, jpeg.substr(0, 3));
    EXPECT_EQ(RECEIVE_BAD_DATA, Parse(huge).result);
}

TEST(VNoteReaderDetect, NoBodyGivesThree)
{
    ReceivedObject out;
    EXPECT_EQ(RECEIVE_NO_DATA, ParseReceivedObject(nullptr, 10, nullptr, nullptr, &out));
    const uint8_t b = 'x';
    EXPECT_EQ(RECEIVE_NO_DATA, ParseReceivedObject(&b, 0, nullptr, nullptr, &out));
    // Content that decodes to nothing carries no data either.
    EXPECT_EQ(RECEIVE_NO_DATA, Parse("X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:\r\n").result);
}

TEST(VNoteReaderDetect, MarkerOrderDecidesTheFormat)
{
    const std::string body = "BODY;ENCODING=BASE64:YWJj\r\nX-DOCOMO-BODY;ENCODING=BASE64:YWJj\r\n"
                             "X-FJ-BODY;ENCODING=BASE64:YWJj\r\nX-BODY;ENCODING=BASE64:YWJj\r\n";
    struct Case {
        std::string markers;
        int32_t format, kind;
    } cases[] = {
        {"X-JPGNE-TYPE:JPEG\r\nX-FORMAT:1\r\nX-NEC-TYPE:GIF\r\nX-DOCOMO-TYPE:SMF\r\n", FORMAT_DOCOMO, MEDIA_SMF},
        {"X-NEC-FORMAT:MP4\r\nX-NEC-TYPE:GIF\r\n", FORMAT_NEC, MEDIA_GIF},
        {"X-FJ-FORMAT:1\r\nX-NEC-FORMAT:MFI\r\n", FORMAT_NEC, MEDIA_IMELODY},
        {"X-WIDTH:1\r\nX-FJ-FORMAT:1\r\n", FORMAT_FUJITSU, MEDIA_IMELODY},
        {"X-FORMAT:1\r\nX-WIDTH:1\r\nX-HEIGHT:1\r\n", FORMAT_P504I, MEDIA_BMP},
        {"X-JPGNE-TYPE:DCF\r\nX-FORMAT:1\r\n", FORMAT_P504I, MEDIA_IMELODY},
        {"X-JPGNE-TYPE:DCF\r\nX-FORMAT:2\r\n", FORMAT_JN51_DCF, MEDIA_JPEG},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.markers + body);
        EXPECT_EQ(0, p.result) << c.markers;
        EXPECT_EQ(c.format, p.object.format) << c.markers;
        EXPECT_EQ(c.kind, p.object.kind) << c.markers;
    }
    EXPECT_EQ(RECEIVE_UNKNOWN_OBJECT, Parse("BEGIN:VNOTE\r\nVERSION:1.1\r\n" + body).result);
}

TEST(VNoteReaderDetect, P504iMelodyAndOtherXFormat)
{
    const std::string melody = "BEGIN:VNOTE\r\nVERSION:1.1\r\nX-FORMAT:1\r\n"
                               "X-BODY;ENCODING=BASE64:bWVsbwAAABAAAAAA\r\n\r\nEND:VNOTE\r\n";
    Parsed p = Parse(melody);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_P504I, p.object.format);
    EXPECT_EQ(MEDIA_IMELODY, p.object.kind);
    EXPECT_EQ(Text(MldHeader()), Text(p.object.body));

    std::string other = melody;
    other.replace(other.find("X-FORMAT:1"), 10, "X-FORMAT:2");
    EXPECT_EQ(RECEIVE_UNKNOWN_OBJECT, Parse(other).result);
}

TEST(VNoteReaderDetect, TypeValues)
{
    struct Case {
        std::string marker;
        int32_t kind;
    } docomo[] = {{"JPEG", 1}, {"GIF", 3}, {"MFI", 6}, {"SMF", 7}, {"MP4", 2}, {"WAV", 2}, {"jpeg", 2}};
    for (const Case& c : docomo) {
        Parsed p = Parse("X-DOCOMO-TYPE:" + c.marker + "\r\nX-DOCOMO-BODY;ENCODING=BASE64:YWJj\r\n");
        EXPECT_EQ(0, p.result) << c.marker;
        EXPECT_EQ(c.kind, p.object.kind) << c.marker;
    }
    // NEC unknown types are kind 0 without failing here.
    Case nec[] = {{"X-NEC-TYPE:JPEG", 1}, {"X-NEC-TYPE:GIF", 3}, {"X-NEC-TYPE:BMP", 0},
                  {"X-NEC-FORMAT:MP4", 2}, {"X-NEC-FORMAT:MFI", 6}, {"X-NEC-FORMAT:MIDI", 7},
                  {"X-NEC-FORMAT:SMF", 0}};
    for (const Case& c : nec) {
        Parsed p = Parse(c.marker + "\r\nBODY;ENCODING=BASE64:YWJj\r\n");
        EXPECT_EQ(0, p.result) << c.marker;
        EXPECT_EQ(c.kind, p.object.kind) << c.marker;
    }
    // Fujitsu: 0 GIF, 1 melody, 2 JPEG, 3 movie; anything else fails.
    Case fj[] = {{"0", 3}, {"1", 6}, {"2", 1}, {"3", 2}, {"x", 3}};
    for (const Case& c : fj) {
        Parsed p = Parse("X-FJ-FORMAT:" + c.marker + "\r\nX-FJ-BODY;ENCODING=BASE64:YWJj\r\n");
        EXPECT_EQ(0, p.result) << c.marker;
        EXPECT_EQ(c.kind, p.object.kind) << c.marker;
    }
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse("X-FJ-FORMAT:4\r\nX-FJ-BODY;ENCODING=BASE64:YWJj\r\n").result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse("X-JPGNE-TYPE:PNG\r\nBODY;ENCODING=BASE64:YWJj\r\n").result);
}

TEST(VNoteReaderDetect, NecFormatFollowsTheObjectName)
{
    const std::string picture = "X-NEC-TYPE:JPEG\r\nBODY;ENCODING=BASE64:YWJj\r\n";
    EXPECT_EQ(FORMAT_P2102V, Parse(picture, "pic.vnt").object.format);
    EXPECT_EQ(FORMAT_NEC, Parse(picture, "nec_pic.vnt").object.format);
    EXPECT_EQ(FORMAT_NEC, Parse(picture, "PIC.VNT").object.format);
    EXPECT_EQ(FORMAT_NEC, Parse(picture).object.format);

    const std::string melody = "X-NEC-FORMAT:MFI\r\nBODY;ENCODING=BASE64:YWJj\r\n";
    EXPECT_EQ(FORMAT_P2102V, Parse(melody, "msc.vnt").object.format);
    EXPECT_EQ(FORMAT_P2102V, Parse(melody, "abc.def").object.format);  // any 7 characters
    EXPECT_EQ(FORMAT_NEC, Parse(melody, "nec_msc.vnt").object.format);
    EXPECT_EQ(FORMAT_NEC, Parse(melody).object.format);
}

TEST(VNoteReaderFields, Docomo)
{
    ScopedTimeZone zone("JST-9");
    Parsed p = Parse("BEGIN:VNOTE\r\nVERSION:1.1\r\nX-DOCOMO-TYPE:JPEG\r\nX-DOCOMO-SIZE:2X1\r\n"
                     "X-DOCOMO-FILENAME;CHARSET=SHIFT_JIS:second.jpg\r\n"
                     "X-DOCOMO-FILENAME:first.jpg\r\n"
                     "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=90=D4 =82=C6=\r\n"
                     "=2D=90=C2\r\n"
                     "DATE:20070101T000000Z\r\n"
                     "X-DOCOMO-BODY;ENCODING=BASE64:/9j/\r\n4A==\r\n\r\nEND:VNOTE\r\n",
                     "mypic.vnt", &kTime);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_DOCOMO, p.object.format);
    EXPECT_EQ(MEDIA_JPEG, p.object.kind);
    EXPECT_EQ("first.jpg", Opt(p.object.fileName));
    EXPECT_EQ("赤と-青", Opt(p.object.summary));  // decoded; the space went with the line layer
    EXPECT_EQ(1167609600, p.object.time);  // from DATE, not from the OBEX time
    EXPECT_EQ(std::string("\xFF\xD8\xFF\xE0", 4), Text(p.object.body));
    EXPECT_EQ(0, p.object.position);
    EXPECT_FALSE(p.object.title.has_value());

    // Only the parameterised file name; a malformed summary becomes empty; no DATE, no time.
    p = Parse("X-DOCOMO-TYPE:GIF\r\nX-DOCOMO-FILENAME;CHARSET=SHIFT_JIS:x.gif\r\n"
              "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8\r\n"
              "X-DOCOMO-BODY;ENCODING=BASE64:R0lG\r\n", "mypic.vnt", &kTime);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ("x.gif", Opt(p.object.fileName));
    EXPECT_EQ("", Opt(p.object.summary));
    EXPECT_EQ(0, p.object.time);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse("X-DOCOMO-TYPE:GIF\r\nBODY;ENCODING=BASE64:R0lG\r\n").result);
}

TEST(VNoteReaderFields, NecPictureAndMelody)
{
    Parsed p = Parse("BEGIN:VNOTE\r\nVERSION:1.1\r\nSUMMARY;CHARSET=SHIFT_JIS:赤 と青\r\n"
                     "BODY;ENCODING=BASE64:/9j/4BAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy\r\n"
                     " MzQ1\r\n\r\nX-NEC-TYPE:JPEG\r\nX-NEC-POSITION:RIGHT\r\n"
                     "X-NEC-COPYRIGHT:01\r\nX-NEC-FILENAME:photo.jpg\r\nEND:VNOTE\r\n",
                     "nec_pic.vnt", &kTime);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_NEC, p.object.format);
    EXPECT_EQ(MEDIA_JPEG, p.object.kind);
    EXPECT_EQ("赤と青", Opt(p.object.summary));  // spaces removed, not decoded
    EXPECT_EQ("photo.jpg", Opt(p.object.fileName));
    EXPECT_EQ(3, p.object.position);
    EXPECT_EQ(1, p.object.redistributionForbidden);
    EXPECT_EQ(kTime, p.object.time);
    EXPECT_EQ(Text(FakeJpeg(42, 0x10)), Text(p.object.body));

    const char* positions[] = {"LEFT", "CENTER", "RIGHT", "MIDDLE"};
    for (int i = 0; i < 4; ++i) {
        p = Parse(std::string("X-NEC-TYPE:GIF\r\nX-NEC-POSITION:") + positions[i] +
                  "\r\nBODY;ENCODING=BASE64:R0lG\r\n");
        EXPECT_EQ((i + 1) % 4, p.object.position) << positions[i];
        EXPECT_EQ(0, p.object.time);  // no OBEX time header
    }

    p = Parse("SUMMARY:plain\r\nX-NEC-FILENAME;CHARSET=SHIFT_JIS:a.mld\r\nX-NEC-FILENAME:b.mld\r\n"
              "X-NEC-COPYRIGHT:0\r\nX-NEC-POSITION:LEFT\r\nX-NEC-FORMAT:MFI\r\n"
              "BODY;ENCODING=BASE64:YWJj\r\n", "msc.vnt", &kTime);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_P2102V, p.object.format);
    EXPECT_EQ("plain", Opt(p.object.summary));
    EXPECT_EQ("a.mld", Opt(p.object.fileName));
    EXPECT_EQ(0, p.object.redistributionForbidden);
    EXPECT_EQ(0, p.object.position);  // melodies have no position
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse("X-NEC-FORMAT:MFI\r\nX-BODY;ENCODING=BASE64:YWJj\r\n").result);
}

TEST(VNoteReaderFields, FujitsuAndItsCorrections)
{
    Parsed p = Parse("BEGIN:VNOTE\r\nVERSION:1.0\r\nX-FJ-FORMAT:2\r\nX-FJ-PICTYPE:1\r\n"
                     "X-FJ-COPYRIGHT:1\r\nX-FJ-TITLE;CHARSET=SHIFT_JIS:空\r\nX-FJ-TITLE:other\r\n"
                     "X-FJ-BODY;ENCODING=BASE64:\r\n    R0lGODlh\r\n\r\nEND:VNOTE\r\n",
                     "fj_img.vnt", &kTime);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_FUJITSU, p.object.format);
    EXPECT_EQ(MEDIA_GIF, p.object.kind);  // declared JPEG, but the content is a GIF
    EXPECT_EQ("空", Opt(p.object.title));
    EXPECT_EQ(1, p.object.redistributionForbidden);
    EXPECT_EQ(kTime, p.object.time);

    p = Parse("X-FJ-FORMAT:1\r\nX-FJ-TITLE:t\r\nX-FJ-BODY;ENCODING=BASE64:TVRoZAAAAAY=\r\n");
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(MEDIA_SMF, p.object.kind);  // declared i-melody, content is a MIDI file
    EXPECT_EQ("t", Opt(p.object.title));

    p = Parse("X-FJ-FORMAT:1\r\nX-FJ-BODY;ENCODING=BASE64:TVRo\r\n");  // "MTh": too short
    EXPECT_EQ(MEDIA_IMELODY, p.object.kind);
    p = Parse("X-FJ-FORMAT:3\r\nX-FJ-BODY;ENCODING=BASE64:R0lG\r\n");  // a movie stays a movie
    EXPECT_EQ(MEDIA_MOVIE, p.object.kind);
}

TEST(VNoteReaderFields, Jn51FileNameIsDecodedWhenSound)
{
    Parsed p = Parse("BEGIN:VNOTE\r\nVERSION:1.1\r\nX-JPGNE-TYPE:DCF\r\n"
                     "X-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=CA=90^200=\r\n"
                     "8=2D03.jpg\r\nBODY;ENCODING=BASE64:/9j/\r\n\r\nEND:VNOTE\r\n",
                     "nec.vnt", &kTime);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_JN51_DCF, p.object.format);
    EXPECT_EQ(MEDIA_JPEG, p.object.kind);
    EXPECT_EQ("写真2008-03.jpg", Opt(p.object.fileName));
    EXPECT_EQ(kTime, p.object.time);

    // A name with a broken escape is kept as received.
    p = Parse("X-JPGNE-TYPE:JPEG\r\nX-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:"
              "a=ZZ=8.jpg\r\nBODY;ENCODING=BASE64:/9j/\r\n");
    ASSERT_EQ(0, p.result);
    EXPECT_EQ("a=ZZ=8.jpg", Opt(p.object.fileName));
}

TEST(VNoteReaderFields, DateForms)
{
    ScopedTimeZone zone("JST-9");
    EXPECT_EQ(1167609600, ParseVNoteDate("20070101T000000Z"));
    EXPECT_EQ(1167609600 - 9 * 3600, ParseVNoteDate("20070101T000000"));  // Japanese wall clock
    EXPECT_EQ(1205071507, ParseVNoteDate("20080309T140507Z"));
    EXPECT_EQ(0, ParseVNoteDate("2007-01-01"));
    EXPECT_EQ(0, ParseVNoteDate("20070101 000000Z"));   // 9th character not T
    EXPECT_EQ(0, ParseVNoteDate("20070101T0000000"));   // 16 characters without Z
    EXPECT_EQ(0, ParseVNoteDate("20070101T000000ZZ"));
    EXPECT_EQ(0, ParseVNoteDate(""));
    EXPECT_EQ(0, ParseVNoteDate("99990101T000000Z"));  // beyond 32-bit seconds

    ScopedTimeZone utc("UTC0");
    EXPECT_EQ(1167609600, ParseVNoteDate("20070101T000000Z"));
    EXPECT_EQ(1167609600, ParseVNoteDate("20070101T000000"));
}

// --- Content ----------------------------------------------------------------------------------

TEST(VNoteReaderContent, Base64LengthNotAMultipleOfFourGivesSeven)
{
    for (const char* content : {"Y", "YW", "YWJ", "YWJjZ"}) {
        Parsed p = Parse(std::string("X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:") + content + "\r\n");
        EXPECT_EQ(RECEIVE_BAD_DATA, p.result) << content;
        EXPECT_EQ(0, p.object.kind) << "a failure leaves nothing filled";
        EXPECT_EQ(0, p.object.format);
    }
    // Stray characters and inner padding decode to something without complaint: each group
    // yields its first byte always, "YWJj" three.
    Parsed p = Parse("X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:Y===YWJj!!!!\r\n");
    EXPECT_EQ(0, p.result);
    EXPECT_EQ(5u, p.object.body.size());
}

TEST(VNoteReaderContent, TextWithoutAnyLineEnd)
{
    Parsed p = Parse("X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:YWJj\r\n ZGVm");
    ASSERT_EQ(0, p.result);
    EXPECT_EQ("abcdef", Text(p.object.body));
    p = Parse("X-FORMAT:1");
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, p.result);
    EXPECT_EQ(RECEIVE_BAD_DATA, Parse("no colon anywhere, no line end").result);
    EXPECT_EQ(RECEIVE_BAD_DATA, Parse("one line\r\n").result);
}

TEST(VNoteReaderContent, P504iBitmapRebuild)
{
    // 3 x 2 pixels, 12 bytes: rows 01..06 and 11..16.
    Parsed p = Parse(P504i("X-WIDTH:3\r\n", "X-HEIGHT:2\r\n", "AQIDBAUGERITFBUW"));
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(FORMAT_P504I, p.object.format);
    EXPECT_EQ(MEDIA_BMP, p.object.kind);
    const std::vector<uint8_t>& b = p.object.body;
    ASSERT_EQ(82u, b.size());
    EXPECT_EQ('B', b[0]);
    EXPECT_EQ('M', b[1]);
    EXPECT_EQ(82u, Le32(b, 2));
    EXPECT_EQ(0u, Le32(b, 6));
    EXPECT_EQ(66u, Le32(b, 10));
    EXPECT_EQ(40u, Le32(b, 14));
    EXPECT_EQ(3u, Le32(b, 18));
    EXPECT_EQ(2u, Le32(b, 22));
    EXPECT_EQ(0x00100001u, Le32(b, 26));  // 1 plane, 16 bits
    EXPECT_EQ(3u, Le32(b, 30));
    EXPECT_EQ(16u, Le32(b, 34));  // stride 8 x 2 rows
    for (size_t at = 38; at < 54; at += 4) EXPECT_EQ(0u, Le32(b, at)) << at;
    EXPECT_EQ(0xF800u, Le32(b, 54));
    EXPECT_EQ(0x07E0u, Le32(b, 58));
    EXPECT_EQ(0x001Fu, Le32(b, 62));
    // Bottom-up: the second received row is stored first; two padding bytes per row.
    const std::vector<uint8_t> rows = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0, 0,
                                       0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0};
    EXPECT_EQ(rows, std::vector<uint8_t>(b.begin() + 66, b.end()));
}

TEST(VNoteReaderContent, P504iSizeLinesThatDoNotFit)
{
    const std::string twelve = "AQIDBAUGERITFBUW";
    const std::string w3 = "X-WIDTH:3\r\n", h2 = "X-HEIGHT:2\r\n";
    EXPECT_EQ(0, Parse(P504i(w3, h2, twelve + "AAAA")).result);  // spare bytes are ignored
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse(P504i(w3, "", twelve)).result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse(P504i(w3, "X-HEIGHT:3\r\n", twelve)).result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse(P504i("X-WIDTH:0\r\n", h2, twelve)).result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse(P504i(w3, "X-HEIGHT:abc\r\n", twelve)).result);
    // Negative sizes whose product is positive, and products beyond 32 bits.
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT, Parse(P504i("X-WIDTH:-3\r\n", "X-HEIGHT:-2\r\n", twelve)).result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT,
              Parse(P504i("X-WIDTH:65536\r\n", "X-HEIGHT:65536\r\n", twelve)).result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT,
              Parse(P504i("X-WIDTH:2147483648\r\n", "X-HEIGHT:2147483647\r\n", twelve)).result);
    EXPECT_EQ(RECEIVE_UNKNOWN_FORMAT,
              Parse(P504i("X-WIDTH:99999999999999999999\r\n", "X-HEIGHT:1\r\n", twelve)).result);
    // A bad Base64 length is found before the size lines are read.
    EXPECT_EQ(RECEIVE_BAD_DATA, Parse(P504i(w3, "", "AQI")).result);
}

// --- Hostile input ----------------------------------------------------------------------------

TEST(VNoteReaderHostile, EnormousLinesAndManyPropertiesStayLinear)
{
    // 4 MB of Base64 on one line, then 4 MB folded into 72-character lines.
    std::string one = "X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:" + std::string(4 << 20, 'A') + "\r\n";
    Parsed p = Parse(one);
    ASSERT_EQ(0, p.result);
    EXPECT_EQ(3u << 20, p.object.body.size());

    std::string folded = "X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:\r\n";
    for (int i = 0; i < (4 << 20) / 72; ++i) folded += " " + std::string(72, 'A') + "\r\n";
    const auto start = std::chrono::steady_clock::now();
    p = Parse(folded);
    EXPECT_EQ(0, p.result);

    // Distinct properties up to the limit; one more line, or 300 000, is a flood.
    std::string many = "X-FORMAT:1\r\nX-BODY;ENCODING=BASE64:YWJj\r\n";
    for (int i = 2; i < kMaxPropertyLines; ++i) many += "X-" + std::to_string(i) + ":v\r\n";
    EXPECT_EQ(0, Parse(many).result);
    for (int i = 0; i < 300000; ++i) many += "X:v\r\n";
    EXPECT_EQ(RECEIVE_BAD_DATA, Parse(many).result);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 20.0) << "parsing must not grow quadratically";

    // A logical line may hold the Base64 text of the largest body and a name, no more.
    EXPECT_NO_THROW(List("X:" + std::string(kMaxPropertyLine - 2, 'A')));
    EXPECT_THROW(List("X:" + std::string(kMaxPropertyLine - 1, 'A')), Zorvex::CVSeriesException);
}

TEST(VNoteReaderHostile, ResultIsResetOnEveryFailure)
{
    Parsed p = Parse("X-NEC-TYPE:JPEG\r\nSUMMARY:s\r\nX-NEC-FILENAME:f\r\nBODY;ENCODING=BASE64:YWJ\r\n",
                     "pic.vnt", &kTime);
    EXPECT_EQ(RECEIVE_BAD_DATA, p.result);
    EXPECT_EQ(0, p.object.kind);
    EXPECT_EQ(0, p.object.format);
    EXPECT_FALSE(p.object.summary.has_value());
    EXPECT_FALSE(p.object.fileName.has_value());
    EXPECT_EQ(0, p.object.time);
    EXPECT_TRUE(p.object.body.empty());
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "core/MediaObject.h"

namespace {

std::vector<uint8_t> Bytes(const char* head, size_t headLen, size_t total)
{
    std::vector<uint8_t> v(total, 'x');
    std::memcpy(v.data(), head, headLen);
    return v;
}

int32_t Kind(const char* head, size_t headLen)
{
    std::vector<uint8_t> v = Bytes(head, headLen, 30);
    return DetectMediaKind(v.data(), (uint32_t)v.size());
}

class LoadMediaFileTest : public ::testing::Test {
protected:
    ScopedTimeZone zone_{"JST-9"};
    std::string Make(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::string path = dir_.File(name);
        EXPECT_TRUE(WriteScratchFile(path, bytes)) << path;
        return path;
    }
    ScratchDir dir_;
};

}  // namespace

TEST(DetectMediaKind, SignaturesInOrder)
{
    EXPECT_EQ(MEDIA_JPEG, Kind("\xFF\xD8\xFF\xE0", 4));
    EXPECT_EQ(MEDIA_MOVIE, Kind("\xFF\xD8\xFE", 3)) << "all three JPEG bytes are needed";
    EXPECT_EQ(MEDIA_GIF, Kind("GIF89a", 6));
    EXPECT_EQ(MEDIA_BMP, Kind("BM", 2));
    EXPECT_EQ(MEDIA_IMELODY, Kind("melo\0\0", 6));
    EXPECT_EQ(MEDIA_MOVIE, Kind("melo\x01", 5)) << "a non-zero fifth byte falls through";
    EXPECT_EQ(MEDIA_SMF, Kind("MThd\0\0\0\x06", 8));
    EXPECT_EQ(MEDIA_MOVIE, Kind("\0\0\0\x14" "ftyp3gp4", 12));
    EXPECT_EQ(MEDIA_MOVIE, Kind("hello, this is only text", 24));
}

TEST(ContentMatchesKind, PicturesByTheirSignatureMoviesByAWholeFtypBox)
{
    const std::string ftyp("\0\0\0\x10" "ftyp3gp4\0\0\0\0", 16);
    const struct { int32_t kind; std::string bytes; bool matches; } cases[] = {
        {MEDIA_JPEG, "\xFF\xD8\xFF", true}, {MEDIA_JPEG, "GIF89a", false}, {MEDIA_GIF, "GIF89a", true},
        {MEDIA_GIF, "GIF", false}, {MEDIA_BMP, "BM", true}, {MEDIA_BMP, "\x01\0\0\0", false},
        {MEDIA_MOVIE, ftyp, true}, {MEDIA_MOVIE, ftyp.substr(0, 15), false},  // cut short
        {MEDIA_MOVIE, "\0\0\0\x08" + ftyp.substr(4), false},                  // no brand
        {MEDIA_MOVIE, "\0\0\0\x10moov" + ftyp.substr(8), false}, {MEDIA_IMELODY, "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.matches, ContentMatchesKind(c.kind, (const uint8_t*)c.bytes.data(), (uint32_t)c.bytes.size()))
            << c.kind << " " << c.bytes;
}

TEST(MediaObjectLabels, KindsAndFormats)
{
    EXPECT_STREQ("MP4", MediaKindLabel(MEDIA_MOVIE));
    EXPECT_STREQ("ｉメロディ", MediaKindLabel(MEDIA_IMELODY));
    EXPECT_STREQ("(予期しない値です)", MediaKindLabel(5));
    EXPECT_STREQ("(予期しない値です)", MediaKindLabel(-1));
    EXPECT_STREQ("ローカルファイル", PhoneFormatLabel(FORMAT_LOCAL_FILE));
    EXPECT_STREQ("J-N51(デジカメ)", PhoneFormatLabel(FORMAT_JN51_DCF));
    EXPECT_STREQ("(予期しない値です)", PhoneFormatLabel(10));
}

TEST(MediaObjectFields, FileNameKeepsAtMostEighteenBytes)
{
    MediaObject o;
    o.SetFileName("123456789012345678");
    ASSERT_NE(nullptr, o.GetFileName());
    EXPECT_STREQ("123456789012345678", o.GetFileName());
    o.SetFileName("1234567890123456789");
    EXPECT_EQ(nullptr, o.GetFileName()) << "a longer name is not kept at all";
    o.SetTitle("");
    ASSERT_NE(nullptr, o.GetTitle()) << "an empty title is a title";
    o.SetTitle(nullptr);
    EXPECT_EQ(nullptr, o.GetTitle());
}

TEST(FileNameFromPath, DoubleByteTrailBackslashIsNotASeparator)
{
    // 表 is 0x95 0x5C in Shift_JIS: its trail byte is a backslash.
    EXPECT_EQ("表.jpg", FileNameFromPath("C:\\写真\\表.jpg"));
    EXPECT_EQ("ソ表.jpg", FileNameFromPath("ソ表.jpg"));
    EXPECT_EQ("a.jpg", FileNameFromPath("C:\\dir\\a.jpg"));
    EXPECT_EQ("", FileNameFromPath("C:\\dir\\"));
    EXPECT_EQ("x", FileNameFromPath("\\x"));
}

TEST_F(LoadMediaFileTest, SizeLimitsAndKinds)
{
    std::string err;
    EXPECT_EQ(nullptr, LoadMediaFile(Make("short.bin", std::vector<uint8_t>(29, 'x')).c_str(), &err));
    EXPECT_EQ("ファイルが不正です。", err);

    auto gif = LoadMediaFile(Make("g.gif", Bytes("GIF", 3, 30)).c_str(), &err);
    ASSERT_NE(nullptr, gif);
    EXPECT_EQ(MEDIA_GIF, gif->GetKind());
    EXPECT_EQ(30u, gif->GetBodyLength());
    EXPECT_EQ(FORMAT_LOCAL_FILE, gif->GetFormat());
    EXPECT_EQ(nullptr, gif->GetTitle());
    EXPECT_EQ(nullptr, gif->GetSummary());
    EXPECT_EQ(0, gif->GetPosition());
    EXPECT_EQ(0, gif->GetRedistributionForbidden());

    auto text = LoadMediaFile(Make("t.txt", std::vector<uint8_t>(100, 'a')).c_str(), &err);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(MEDIA_MOVIE, text->GetKind()) << "anything unrecognised is taken as a movie";
}

TEST_F(LoadMediaFileTest, LargestBodyLoadsOneByteMoreIsRefused)
{
    std::vector<uint8_t> big(kMaxMediaBody, 'x');
    std::memcpy(big.data(), "GIF89a", 6);
    std::string err;
    auto largest = LoadMediaFile(Make("largest.gif", big).c_str(), &err);
    ASSERT_NE(nullptr, largest) << err;
    EXPECT_EQ(kMaxMediaBody, largest->GetBodyLength());
    big.push_back('x');
    EXPECT_EQ(nullptr, LoadMediaFile(Make("larger.gif", big).c_str(), &err));
    EXPECT_EQ("ファイルが大きすぎます。", err);
}

TEST_F(LoadMediaFileTest, BodyIsAnExactCopy)
{
    std::vector<uint8_t> bytes(70000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (uint8_t)(i * 7 + i / 256);
    bytes[0] = 0xFF, bytes[1] = 0xD8, bytes[2] = 0xFF;
    std::string err;
    auto o = LoadMediaFile(Make("big.jpg", bytes).c_str(), &err);
    ASSERT_NE(nullptr, o) << err;
    ASSERT_EQ(bytes.size(), o->GetBodyLength());
    EXPECT_EQ(0, std::memcmp(bytes.data(), o->GetBody(), bytes.size()));
}

TEST_F(LoadMediaFileTest, FileNameRules)
{
    std::string err;
    auto o18 = LoadMediaFile(Make("123456789012345678", Bytes("BM", 2, 40)).c_str(), &err);
    ASSERT_NE(nullptr, o18);
    EXPECT_STREQ("123456789012345678", o18->GetFileName());
    auto o19 = LoadMediaFile(Make("1234567890123456789", Bytes("BM", 2, 40)).c_str(), &err);
    ASSERT_NE(nullptr, o19);
    EXPECT_EQ(nullptr, o19->GetFileName());
    auto hyo = LoadMediaFile(Make("表.jpg", Bytes("\xFF\xD8\xFF", 3, 40)).c_str(), &err);
    ASSERT_NE(nullptr, hyo) << err;
    EXPECT_STREQ("表.jpg", hyo->GetFileName());
}

TEST_F(LoadMediaFileTest, TimeIsTheLastWriteTime)
{
    std::string path = Make("t.mld", Bytes("melo\0", 5, 64));
    ASSERT_TRUE(SetScratchFileTime(path, {2003, 3, 14, 13, 14, 20}));
    std::string err;
    auto o = LoadMediaFile(path.c_str(), &err);
    ASSERT_NE(nullptr, o) << err;
    // 2003-03-14 13:14:20 in Japan is 04:14:20 UTC.
    EXPECT_EQ(1047615260, o->GetTime());
    EXPECT_EQ(MEDIA_IMELODY, o->GetKind());
}

TEST_F(LoadMediaFileTest, MissingFileNamesThePath)
{
    std::string path = dir_.File("無い.jpg");
    std::string err;
    EXPECT_EQ(nullptr, LoadMediaFile(path.c_str(), &err));
    EXPECT_EQ("指定されたファイル〝" + path + "〟のオープンに失敗しました。", err);
}

#include <gtest/gtest.h>

#include "app/ObjectInfo.h"
#include "core/MediaObject.h"
#include "core/TimeConv.h"
#include "tests/support/Mp4Bytes.h"

namespace {

MediaObject Movie(const std::vector<uint8_t>& body)
{
    MediaObject o;
    o.SetKind(MEDIA_MOVIE);
    o.SetFormat(FORMAT_LOCAL_FILE);
    o.SetBody(body);
    return o;
}

}  // namespace

TEST(ObjectInfo, LocalFileWithoutTexts)
{
    MediaObject o;
    o.SetKind(MEDIA_JPEG);
    o.SetFormat(FORMAT_LOCAL_FILE);
    o.SetFileName("photo.jpg");
    o.SetBody(std::vector<uint8_t>(1234, 0xFF));
    CalendarTime t;
    t.year = 2003, t.month = 3, t.day = 14, t.hour = 9, t.minute = 5, t.second = 7;
    int32_t seconds = 0;
    ASSERT_TRUE(LocalCalendarToSeconds(t, &seconds));
    o.SetTime(seconds);

    const ObjectInfo info = DescribeObject(o, true, 640, 480);
    EXPECT_EQ("ローカルファイル", info.format);
    EXPECT_EQ("JPEG", info.kind);
    EXPECT_EQ("640x480", info.size);
    EXPECT_EQ("(設定されていません。)", info.title);
    EXPECT_EQ("(設定されていません。)", info.summary);
    EXPECT_EQ("photo.jpg", info.fileName);
    EXPECT_EQ("1234 バイト", info.bodySize);
    EXPECT_EQ("2003年3月14日 9時5分7秒", info.date);
    EXPECT_EQ("許可", info.redistribution);
}

TEST(ObjectInfo, PhoneObjectTextsAndFlags)
{
    MediaObject o;
    o.SetKind(MEDIA_IMELODY);
    o.SetFormat(FORMAT_FUJITSU);
    o.SetTitle("着信音");
    o.SetSummary("");
    o.SetRedistributionForbidden(1);
    const ObjectInfo info = DescribeObject(o, false, 0, 0);
    EXPECT_EQ("FOMA F2051/F2102V", info.format);
    EXPECT_EQ("ｉメロディ", info.kind);
    EXPECT_EQ("(無効)", info.size);
    EXPECT_EQ("着信音", info.title);
    EXPECT_EQ("", info.summary) << "an empty text is a text";
    EXPECT_EQ("(設定されていません。)", info.fileName);
    EXPECT_EQ("0 バイト", info.bodySize);
    EXPECT_EQ("(設定されていません。)", info.date);
    EXPECT_EQ("禁止", info.redistribution);
}

TEST(ObjectInfo, UnexpectedCodes)
{
    MediaObject o;
    o.SetKind(5);
    o.SetFormat(12);
    const ObjectInfo info = DescribeObject(o, false, 0, 0);
    EXPECT_EQ("(予期しない値です)", info.kind);
    EXPECT_EQ("(予期しない値です)", info.format);
}

TEST(ObjectInfo, MovieFrameSizeFromItsAtoms)
{
    EXPECT_EQ("176x144", DescribeObject(Movie(testing_mp4::Movie("mp4v", 176, 144)), false, 0, 0).size);
    EXPECT_EQ("(無効)", DescribeObject(Movie(testing_mp4::Movie("s263", 176, 144)), false, 0, 0).size);
    std::vector<uint8_t> truncated = testing_mp4::Movie("mp4v", 176, 144);
    truncated.resize(truncated.size() - 10);
    EXPECT_EQ("(未対応の形式)", DescribeObject(Movie(truncated), false, 0, 0).size);
    // A decoded picture's size wins over the body (a picture is never read as atoms).
    EXPECT_EQ("32x16", DescribeObject(Movie(truncated), true, 32, 16).size);
}

// The platform seams must agree between Windows and the Linux stand-ins.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

#include "tests/support/TestFiles.h"
#include "core/CodePage.h"
#include "core/Sync.h"
#include "core/TimeConv.h"

TEST(CodePage, ShiftJisWithBackslashTrailBytes)
{
    // 表 95 5C, ソ 83 5C, 能 94 5C: the trail byte is 0x5C.
    std::u16string w = AnsiToUtf16(std::string("表ソ能\\"));
    EXPECT_EQ(u"表ソ能\\", w);
    EXPECT_EQ(std::string("\x95\x5C\x83\x5C\x94\x5C\x5C"), Utf16ToAnsi(w));
    EXPECT_EQ("\xE8\xA1\xA8\xE3\x82\xBD\xE8\x83\xBD\\\xEF\xBD\xB1",
              AnsiToUtf8(std::string("表ソ能\\\xB1")));  // ｱ U+FF71
}

TEST(CodePage, WaveDashAndMinusFollowCodePage932)
{
    EXPECT_EQ(u"\xFF5E", AnsiToUtf16(std::string("\x81\x60")));
    EXPECT_EQ(u"\xFF0D", AnsiToUtf16(std::string("\x81\x7C")));
    EXPECT_EQ(u"\x2460", AnsiToUtf16(std::string("\x87\x40"))) << "NEC special characters";
    EXPECT_EQ(std::string("\x81\x60"), Utf16ToAnsi(std::u16string(u"\xFF5E")));
    EXPECT_EQ(std::string("\xB1"), Utf16ToAnsi(std::u16string(u"\xFF71"))) << "half-width katakana";
}

TEST(CodePage, BadInputNeverVanishesOrCrashes)
{
    // A lone lead byte at the end and an unmappable character still give some output.
    std::u16string w = AnsiToUtf16(std::string("A\x81"));
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(u'A', w[0]);
    std::string a = Utf16ToAnsi(std::u16string(u"x\x0E01y"));  // Thai: not in code page 932
    ASSERT_EQ(3u, a.size());
    EXPECT_EQ('x', a[0]);
    EXPECT_EQ('y', a[2]);
    EXPECT_TRUE(AnsiToUtf16(nullptr, 0).empty());

    // A lone surrogate is one unknown character; the unit after it is kept.
    const struct {
        std::u16string in;
        const char* out;
    } surrogates[] = {
        {{u'a', (char16_t)0xD800, u'b'}, "a?b"},
        {{u'a', (char16_t)0xD800, (char16_t)0xD800, u'b'}, "a??b"},
        {{u'a', (char16_t)0xDC00, u'b'}, "a?b"},
        {{u'a', (char16_t)0xD800}, "a?"},
    };
    for (const auto& c : surrogates) EXPECT_EQ(c.out, Utf16ToAnsi(c.in)) << c.out;
}

TEST(CodePage, LeadBytes)
{
    EXPECT_TRUE(IsAnsiLeadByte(0x81));
    EXPECT_TRUE(IsAnsiLeadByte(0x9F));
    EXPECT_TRUE(IsAnsiLeadByte(0xE0));
    EXPECT_TRUE(IsAnsiLeadByte(0xFC));
    EXPECT_FALSE(IsAnsiLeadByte(0x5C));
    EXPECT_FALSE(IsAnsiLeadByte(0xA0));
    EXPECT_FALSE(IsAnsiLeadByte(0xB1)) << "half-width katakana is single-byte";
    EXPECT_FALSE(IsAnsiLeadByte(0x80));
}

class TimeConvTest : public ::testing::Test {
protected:
    ScopedTimeZone zone_{"JST-9"};
};

TEST_F(TimeConvTest, LocalCalendarRoundTrip)
{
    int32_t t = 0;
    ASSERT_TRUE(LocalCalendarToSeconds({2008, 5, 9, 15, 43, 35}, &t));
    EXPECT_EQ(1210315415, t);  // 2008-05-09 06:43:35 UTC
    CalendarTime local, utc;
    ASSERT_TRUE(SecondsToLocalCalendar(t, &local));
    EXPECT_EQ(2008, local.year);
    EXPECT_EQ(15, local.hour);
    ASSERT_TRUE(SecondsToUtcCalendar(t, &utc));
    EXPECT_EQ(6, utc.hour);
    EXPECT_EQ(43, utc.minute);
    EXPECT_EQ(35, utc.second);
}

TEST_F(TimeConvTest, UtcCalendarCoversThe32BitRange)
{
    // Leap days, century years and times before 1970 (which the Windows C library's gmtime
    // refuses) all break down.
    const struct {
        int32_t seconds;
        CalendarTime utc;
    } cases[] = {
        {1204329599, {2008, 2, 29, 23, 59, 59}},
        {951868800, {2000, 3, 1, 0, 0, 0}},
        {-1, {1969, 12, 31, 23, 59, 59}},
        {INT32_MIN, {1901, 12, 13, 20, 45, 52}},
        {INT32_MAX, {2038, 1, 19, 3, 14, 7}},
    };
    for (const auto& c : cases) {
        CalendarTime utc;
        ASSERT_TRUE(SecondsToUtcCalendar(c.seconds, &utc)) << c.seconds;
        EXPECT_EQ(c.utc.year, utc.year) << c.seconds;
        EXPECT_EQ(c.utc.month, utc.month) << c.seconds;
        EXPECT_EQ(c.utc.day, utc.day) << c.seconds;
        EXPECT_EQ(c.utc.hour, utc.hour) << c.seconds;
        EXPECT_EQ(c.utc.minute, utc.minute) << c.seconds;
        EXPECT_EQ(c.utc.second, utc.second) << c.seconds;
        int32_t back = 0;
        EXPECT_TRUE(UtcCalendarToSeconds(c.utc, &back) && back == c.seconds) << c.seconds;
    }
    int32_t unused;
    EXPECT_FALSE(UtcCalendarToSeconds({2038, 1, 19, 3, 14, 8}, &unused)) << "past 32 bits";
}

TEST_F(TimeConvTest, OffsetIsSecondsWestOfUtc)
{
    EXPECT_EQ(-9 * 3600L, TimeZoneOffsetWest());
    ScopedTimeZone east("EST5");
    EXPECT_EQ(5 * 3600L, TimeZoneOffsetWest());
}

TEST_F(TimeConvTest, MonthsAreNormalisedLikeMktime)
{
    int32_t a = 0, b = 0;
    ASSERT_TRUE(LocalCalendarToSeconds({2004, 2, 30, 0, 0, 0}, &a));
    ASSERT_TRUE(LocalCalendarToSeconds({2004, 3, 1, 0, 0, 0}, &b));
    EXPECT_EQ(a, b);
}

TEST(CriticalSection, ExcludesAndIsRecursive)
{
    CriticalSection cs;
    {
        ScopedLock outer(cs);
        ScopedLock inner(cs);  // a critical section may be entered again by its owner
    }
    long counter = 0;
    std::atomic<bool> overlap{false};
    std::atomic<int> inside{0};
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            ScopedLock lock(cs);
            if (inside.fetch_add(1) != 0) overlap = true;
            ++counter;
            inside.fetch_sub(1);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_FALSE(overlap);
    EXPECT_EQ(40000, counter);
}

TEST(CriticalSection, ReleasedWhenAnExceptionUnwinds)
{
    CriticalSection cs;
    try {
        ScopedLock lock(cs);
        throw 1;
    } catch (int) {
    }
    std::atomic<bool> got{false};
    std::thread t([&] {
        ScopedLock lock(cs);
        got = true;
    });
    t.join();
    EXPECT_TRUE(got);
}

#include <gtest/gtest.h>

#include "app/ViewLayout.h"

TEST(StaffSequence, FollowsTheUnseededCrtGenerator)
{
    // The first outputs of the C runtime's rand() without srand: 41, 18467, 6334, 26500, ...
    CrtRandom r;
    EXPECT_EQ(41, r.Next());
    EXPECT_EQ(18467, r.Next());
    EXPECT_EQ(6334, r.Next());

    const StaffSequence s = GenerateStaff();
    EXPECT_EQ(StaffKind::Clef, s[0].kind);
    // 41 odd: two beats; pitch 18467 % 11.
    EXPECT_EQ(StaffKind::TwoBeat, s[1].kind);
    EXPECT_EQ(9, s[1].pitch);
    EXPECT_EQ(StaffKind::OneBeat, s[2].kind);  // 6334 even
    EXPECT_EQ(1, s[2].pitch);                  // 26500 % 11
    EXPECT_EQ(StaffKind::TwoBeat, s[3].kind);  // 19169
    EXPECT_EQ(5, s[3].pitch);                  // 15724 % 11
    EXPECT_EQ(StaffKind::OneBeat, s[4].kind);  // 11478
    EXPECT_EQ(10, s[4].pitch);                 // 29358 % 11
    EXPECT_EQ(StaffKind::OneBeat, s[5].kind);  // 26962
    EXPECT_EQ(0, s[5].pitch);                  // 24464 % 11
    // Beat 7 of the bar: one beat without drawing the bit; pitch from the next number, 5705.
    EXPECT_EQ(StaffKind::OneBeat, s[6].kind);
    EXPECT_EQ(7, s[6].pitch);
    EXPECT_EQ(StaffKind::BarLine, s[7].kind);
    EXPECT_EQ(StaffKind::TwoBeat, s[8].kind);  // 28145 odd
    EXPECT_EQ(5, s[8].pitch);                  // 23281 % 11
}

TEST(StaffSequence, EveryBarHoldsEightBeats)
{
    const StaffSequence s = GenerateStaff();
    int beats = 0, bars = 0;
    for (int i = 1; i < kStaffEntries; ++i) {
        if (s[i].kind == StaffKind::BarLine) {
            EXPECT_EQ(8, beats) << "entry " << i;
            beats = 0;
            ++bars;
            continue;
        }
        ASSERT_NE(StaffKind::Clef, s[i].kind);
        EXPECT_LE(s[i].pitch, 10);
        beats += s[i].kind == StaffKind::OneBeat ? 1 : 2;
        EXPECT_LE(beats, 8);
    }
    EXPECT_GT(bars, 5);
    EXPECT_EQ(GenerateStaff()[40].pitch, s[40].pitch);
}

TEST(StaffLayout, PlacesGlyphsByPitchGroup)
{
    const auto items = LayoutStaff(GenerateStaff(), 320, 200);
    const int base = 200 - 142 - 40;
    ASSERT_EQ(10u, items.size()) << "clef, four notes, five staff lines";
    EXPECT_EQ(StaffGlyph::Clef, items[0].glyph);
    EXPECT_EQ(0, items[0].x);
    EXPECT_EQ(base, items[0].y);
    // Two beats, pitch 9: high group.
    EXPECT_EQ(StaffGlyph::TwoBeatHigh, items[1].glyph);
    EXPECT_EQ(55 + 13, items[1].x);
    EXPECT_EQ(base + 25 + 90 - 90, items[1].y);
    // One beat, pitch 1: low group, after the two-beat advance of 90.
    EXPECT_EQ(StaffGlyph::OneBeatLow, items[2].glyph);
    EXPECT_EQ(145 + 13, items[2].x);
    EXPECT_EQ(base + 25 + 10 - 10, items[2].y);
    EXPECT_EQ(StaffGlyph::TwoBeatLow, items[3].glyph);
    EXPECT_EQ(198 + 13, items[3].x);
    EXPECT_EQ(StaffGlyph::OneBeatHigh, items[4].glyph);
    EXPECT_EQ(288 + 13, items[4].x);
    EXPECT_EQ(base + 25 + 100 - 90, items[4].y);
    for (int i = 0; i < 5; ++i) {
        const StaffItem& line = items[5 + i];
        EXPECT_EQ(StaffGlyph::Line, line.glyph);
        EXPECT_EQ(0, line.x);
        EXPECT_EQ(320, line.x2);
        EXPECT_EQ(base + 35 + 20 * i, line.y);
        EXPECT_EQ(line.y, line.y2);
    }
}

TEST(StaffLayout, BarLineMakesRoomAfterAWideNote)
{
    const auto items = LayoutStaff(GenerateStaff(), 100000, 400);
    // Entry 6 is a one-beat note of pitch 7 starting at x 394; the bar line after it moves 16.
    ASSERT_GT(items.size(), 7u);
    EXPECT_EQ(394 + 13, items[6].x);
    EXPECT_EQ(StaffGlyph::Line, items[7].glyph);
    EXPECT_EQ(394 + 53 + 16, items[7].x);
    EXPECT_EQ(items[7].x, items[7].x2);
    EXPECT_EQ(400 - 182 + 35, items[7].y);
    EXPECT_EQ(400 - 182 + 115, items[7].y2);
}

TEST(StaffLayout, WideWindowEndsNotesAtTheLastEntryButLinesSpanIt)
{
    const auto items = LayoutStaff(GenerateStaff(), 100000, 400);
    ASSERT_EQ((size_t)kStaffEntries + 5, items.size());
    EXPECT_EQ(100000, items.back().x2);
    EXPECT_LT(items[kStaffEntries - 1].x, 100000);
}

TEST(ViewPlacement, CentredItemsAndTheirSurroundings)
{
    Point p = CentreIn(320, 200, kStartupWidth, kStartupHeight);
    EXPECT_EQ(160 - 132, p.x);
    EXPECT_EQ(100 - 50, p.y);
    p = CentreIn(321, 201, 273, 72);  // integer halves, each taken on its own
    EXPECT_EQ(160 - 136, p.x);
    EXPECT_EQ(100 - 36, p.y);

    const Rect item{28, 50, 28 + 264, 150};
    const auto strips = StripsAround(320, 200, item);
    ASSERT_EQ(4u, strips.size());
    long area = 0;
    for (const Rect& r : strips) area += (long)(r.right - r.left) * (r.bottom - r.top);
    EXPECT_EQ(320L * 200 - 264L * 100, area) << "the strips cover exactly what the item does not";

    // A window smaller than the picture: nothing left to fill.
    EXPECT_TRUE(StripsAround(200, 80, Rect{-32, -10, 232, 90}).empty());
}

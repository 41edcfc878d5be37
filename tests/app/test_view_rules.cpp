#include <gtest/gtest.h>

#include "app/ViewRules.h"

namespace {

ScrollInput ScrollCase(int clientW, int clientH, int picW, int picH)
{
    ScrollInput in;
    in.clientWidth = clientW;
    in.clientHeight = clientH;
    in.hBarHeight = 16;
    in.vBarWidth = 16;
    in.scrollMode = true;
    in.hasPicture = true;
    in.pictureWidth = picW;
    in.pictureHeight = picH;
    return in;
}

}  // namespace

TEST(ScrollBars, PictureThatFitsNeedsNoBars)
{
    ScrollInput in = ScrollCase(320, 200, 200, 150);
    in.hPos = 5;
    in.vPos = 7;
    ScrollLayout out = ComputeScrollBars(in);
    EXPECT_FALSE(out.hBar);
    EXPECT_FALSE(out.vBar);
    EXPECT_EQ(0, out.hPos);
    EXPECT_EQ(0, out.vPos);
}

TEST(ScrollBars, OnlyScrollModeWithAPictureShowsBars)
{
    ScrollInput in = ScrollCase(320, 200, 2000, 1500);
    in.scrollMode = false;
    EXPECT_FALSE(ComputeScrollBars(in).hBar);
    EXPECT_FALSE(ComputeScrollBars(in).vBar);
    in.scrollMode = true;
    in.hasPicture = false;
    EXPECT_FALSE(ComputeScrollBars(in).hBar || ComputeScrollBars(in).vBar);
}

TEST(ScrollBars, BothBarsTakeTheirRoomFromTheRanges)
{
    ScrollLayout out = ComputeScrollBars(ScrollCase(320, 200, 400, 300));
    EXPECT_TRUE(out.hBar);
    EXPECT_TRUE(out.vBar);
    EXPECT_EQ(400 - (320 - 16), out.hMax);
    EXPECT_EQ(300 - (200 - 16), out.vMax);
}

TEST(ScrollBars, BarsAlreadyShownAreAddedBackFirst)
{
    // The same window with both bars showing has a smaller client area but the same layout.
    ScrollInput in = ScrollCase(304, 184, 400, 300);
    in.styleHBar = in.styleVBar = true;
    ScrollLayout out = ComputeScrollBars(in);
    EXPECT_TRUE(out.hBar && out.vBar);
    EXPECT_EQ(96, out.hMax);
    EXPECT_EQ(116, out.vMax);

    // Both bars showing but the picture fits the whole client area: both go.
    in = ScrollCase(304, 184, 310, 190);
    in.styleHBar = in.styleVBar = true;
    out = ComputeScrollBars(in);
    EXPECT_FALSE(out.hBar || out.vBar);
}

TEST(ScrollBars, VerticalOnly)
{
    ScrollInput in = ScrollCase(320, 200, 300, 600);
    in.hPos = 9;
    ScrollLayout out = ComputeScrollBars(in);
    EXPECT_FALSE(out.hBar);
    EXPECT_TRUE(out.vBar);
    EXPECT_EQ(0, out.hPos) << "a direction without a bar has position 0";
    EXPECT_EQ(400, out.vMax);
}

TEST(ScrollBars, BarNeededOnlyInSecondPassStillNarrowsTheOtherRange)
{
    // The picture is wider than the client only once the vertical bar is there: the horizontal
    // bar then appears and the vertical range must cover it, or the bottom rows stay hidden.
    ScrollInput in = ScrollCase(310, 290, 300, 300);
    in.hBarHeight = in.vBarWidth = 17;
    ScrollLayout out = ComputeScrollBars(in);
    EXPECT_TRUE(out.hBar);
    EXPECT_TRUE(out.vBar);
    EXPECT_EQ(300 - (310 - 17), out.hMax);
    EXPECT_EQ(300 - (290 - 17), out.vMax);
}

TEST(ScrollBars, PositionsStayWithinTheirRanges)
{
    ScrollInput in = ScrollCase(320, 200, 400, 300);
    in.hPos = 500;
    in.vPos = 50;
    ScrollLayout out = ComputeScrollBars(in);
    EXPECT_EQ(out.hMax, out.hPos) << "the final range, not the first pass's narrower one";
    EXPECT_EQ(50, out.vPos);
    in.hPos = 1;  // one past a maximum (after a line-down) comes back
    in.vPos = out.vMax + 1;
    out = ComputeScrollBars(in);
    EXPECT_EQ(1, out.hPos);
    EXPECT_EQ(out.vMax, out.vPos);
}

TEST(ViewFitting, LargePictureIsLimitedToThreeQuartersOfTheDesktop)
{
    Size s = FitToDesktop(2000, 1500, 1024, 768);
    EXPECT_EQ(768, s.width);
    EXPECT_EQ(576, s.height);
    s = FitToDesktop(200, 150, 1024, 768);
    EXPECT_EQ(200, s.width);
    EXPECT_EQ(150, s.height);
    s = FitToDesktop(2000, 100, 1023, 767);  // integer arithmetic, each side on its own
    EXPECT_EQ(767, s.width);
    EXPECT_EQ(100, s.height);
}

TEST(ViewFitting, ScrollModeClientNeverOutgrowsThePicture)
{
    Size s;
    EXPECT_FALSE(ClampClientToPicture(150, 100, 200, 150, &s));
    EXPECT_FALSE(ClampClientToPicture(200, 150, 200, 150, &s));
    ASSERT_TRUE(ClampClientToPicture(300, 120, 200, 150, &s));
    EXPECT_EQ(200, s.width);
    EXPECT_EQ(120, s.height);
    ASSERT_TRUE(ClampClientToPicture(100, 400, 200, 150, &s));
    EXPECT_EQ(100, s.width);
    EXPECT_EQ(150, s.height);
}

TEST(ViewSizing, SideDragKeepsProportionsThroughTheHeight)
{
    const Size nonClient{8, 46};
    Rect r{100, 50, 100 + 808, 50 + 100};  // right edge dragged: client width 800
    ASSERT_TRUE(KeepProportions(kEdgeRight, nonClient, 400, 300, &r));
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(50, r.top);
    EXPECT_EQ(908, r.right);
    EXPECT_EQ(50 + 600 + 46, r.bottom);

    r = Rect{0, 0, 608, 999};  // a corner drags like a side: the width leads
    ASSERT_TRUE(KeepProportions(kEdgeBottomRight, nonClient, 400, 300, &r));
    EXPECT_EQ(450 + 46, r.bottom);
}

TEST(ViewSizing, TopOrBottomDragKeepsProportionsThroughTheWidth)
{
    const Size nonClient{8, 46};
    for (int edge : {kEdgeTop, kEdgeBottom}) {
        Rect r{10, 20, 999, 20 + 346};  // client height 300
        ASSERT_TRUE(KeepProportions(edge, nonClient, 400, 300, &r));
        EXPECT_EQ(10, r.left);
        EXPECT_EQ(20, r.top);
        EXPECT_EQ(20 + 346, r.bottom);
        EXPECT_EQ(10 + 400 + 8, r.right);
    }
    Rect r{0, 0, 50, 50};
    EXPECT_FALSE(KeepProportions(kEdgeTop, nonClient, 0, 300, &r));
    EXPECT_EQ(50, r.right);
}

TEST(ViewScrolling, Requests)
{
    int p = 0;
    EXPECT_FALSE(ApplyScrollRequest(kLineUp, 0, 100, &p)) << "line up at the top does nothing";
    p = 5;
    ASSERT_TRUE(ApplyScrollRequest(kLineUp, 0, 100, &p));
    EXPECT_EQ(4, p);
    p = 100;
    ASSERT_TRUE(ApplyScrollRequest(kLineDown, 0, 100, &p));
    EXPECT_EQ(101, p);
    EXPECT_FALSE(ApplyScrollRequest(kLineDown, 0, 100, &p));
    p = 5;
    ASSERT_TRUE(ApplyScrollRequest(kPageUp, 0, 100, &p));
    EXPECT_EQ(0, p);
    p = 20;
    ASSERT_TRUE(ApplyScrollRequest(kPageUp, 0, 100, &p));
    EXPECT_EQ(8, p);
    ASSERT_TRUE(ApplyScrollRequest(kPageDown, 0, 100, &p));
    EXPECT_EQ(20, p);
    p = 95;
    ASSERT_TRUE(ApplyScrollRequest(kPageDown, 0, 100, &p));
    EXPECT_EQ(100, p);
    ASSERT_TRUE(ApplyScrollRequest(kThumbTrack, 37, 100, &p));
    EXPECT_EQ(37, p);
    ASSERT_TRUE(ApplyScrollRequest(kThumbPosition, 42, 100, &p));
    EXPECT_EQ(42, p);
    ASSERT_TRUE(ApplyScrollRequest(kBottom, 0, 100, &p));
    EXPECT_EQ(100, p);
    ASSERT_TRUE(ApplyScrollRequest(kTop, 0, 100, &p));
    EXPECT_EQ(0, p);
    p = 50;
    EXPECT_FALSE(ApplyScrollRequest(8, 0, 100, &p));  // SB_ENDSCROLL
    EXPECT_EQ(50, p);
}

TEST(ViewScrolling, Keys)
{
    EXPECT_EQ(kPageDown, ScrollForKey(0x22).vertical);  // Page Down
    EXPECT_EQ(-1, ScrollForKey(0x22).horizontal);
    EXPECT_EQ(kPageUp, ScrollForKey(0x21).vertical);
    EXPECT_EQ(kBottom, ScrollForKey(0x23).vertical);  // End: both directions
    EXPECT_EQ(kBottom, ScrollForKey(0x23).horizontal);
    EXPECT_EQ(kTop, ScrollForKey(0x24).vertical);
    EXPECT_EQ(kTop, ScrollForKey(0x24).horizontal);
    EXPECT_EQ(kLineUp, ScrollForKey(0x25).horizontal);  // Left
    EXPECT_EQ(-1, ScrollForKey(0x25).vertical);
    EXPECT_EQ(kLineDown, ScrollForKey(0x27).horizontal);
    EXPECT_EQ(kLineUp, ScrollForKey(0x26).vertical);
    EXPECT_EQ(kLineDown, ScrollForKey(0x28).vertical);
    EXPECT_EQ(-1, ScrollForKey('A').vertical);
    EXPECT_EQ(-1, ScrollForKey('A').horizontal);
}

#include <gtest/gtest.h>

#include "core/MulDiv.h"

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesWhatDoesNotFit)
{
    const struct {
        int32_t a, b, c, expected;
    } cases[] = {
        {3, 1, 2, 2},
        {-3, 1, 2, -2},
        {3, 1, -2, -2},
        {4, 1, 3, 1},
        {1, 1, 0, -1},                  // division by zero
        {300000, 60000, 30, 600000000}, // no 32-bit overflow in the product
        {0x7FFFFFFF, 4, 1, -1},         // result too large
        {-0x7FFFFFFF - 1, 1, 1, -0x7FFFFFFF - 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, MulDivRound(c.a, c.b, c.c)) << c.a << " * " << c.b << " / " << c.c;
    }
}

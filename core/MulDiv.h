// Scaling by a ratio without overflow in the product.
#pragma once
#include <cstdint>

// Windows' MulDiv: a × b / c rounded half away from zero, -1 when c is 0 or the result does not
// fit 32 bits.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);

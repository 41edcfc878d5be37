#include "core/MulDiv.h"

int32_t MulDivRound(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    int64_t n = (int64_t)a * b;
    int64_t d = c;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const int64_t q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return (int32_t)q;
}

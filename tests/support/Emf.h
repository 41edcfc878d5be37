// The smallest enhanced metafile a picture loader takes: a header record (bounds, a frame of
// 10 x 10 mm, " EMF", 108 bytes in 2 records) and an end record. No JPEG, GIF or BMP, which a
// phone may still label as one.
#pragma once
#include <cstdint>
#include <vector>

namespace testing_emf {

inline std::vector<uint8_t> TinyEmf()
{
    const uint32_t words[] = {1, 88, 0, 0, 31, 31, 0, 0, 1000, 1000, 0x464D4520, 0x10000, 108, 2, 1,
                              0, 0, 0, 640, 480, 320, 240, 14, 20, 0, 16, 20};
    std::vector<uint8_t> b;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(w >> (8 * i)));
    return b;
}

}  // namespace testing_emf

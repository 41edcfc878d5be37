// The smallest enhanced metafile a picture loader takes: a header record and an end record.
// A file that is no JPEG, GIF or BMP, which a phone may still label as one.
#pragma once
#include <cstdint>
#include <vector>

namespace testing_emf {

inline std::vector<uint8_t> TinyEmf()
{
    std::vector<uint8_t> b;
    auto put = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(v >> (8 * i)));
    };
    put(1), put(88);                         // EMR_HEADER, its size
    put(0), put(0), put(31), put(31);        // bounds in device units
    put(0), put(0), put(1000), put(1000);    // frame in 0.01 mm
    put(0x464D4520), put(0x10000), put(108); // " EMF", version, bytes in all
    put(2), put(1);                          // records; handles (16 bits) and reserved
    put(0), put(0), put(0);                  // no description, no palette
    put(640), put(480), put(320), put(240);  // reference device in pixels and millimetres
    put(14), put(20), put(0), put(16), put(20);  // EMR_EOF
    return b;
}

}  // namespace testing_emf

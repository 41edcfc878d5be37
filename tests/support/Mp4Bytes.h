// Builds small 3GP files and atoms as bytes: ftyp + moov/trak/mdia/minf/stbl/stsd with one
// visual sample entry.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_mp4 {

inline std::vector<uint8_t> Atom(const char* type, const std::vector<uint8_t>& payload)
{
    const uint32_t size = (uint32_t)payload.size() + 8;
    std::vector<uint8_t> b(size);
    for (int i = 0; i < 4; ++i) {
        b[i] = (uint8_t)(size >> (24 - 8 * i));
        b[4 + i] = (uint8_t)type[i];
    }
    std::copy(payload.begin(), payload.end(), b.begin() + 8);
    return b;
}

inline std::vector<uint8_t> Concat(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    std::vector<uint8_t> out(a.size() + b.size());
    std::copy(a.begin(), a.end(), out.begin());
    std::copy(b.begin(), b.end(), out.begin() + (std::ptrdiff_t)a.size());
    return out;
}

// An stsd atom holding one visual sample entry of `codec` ("mp4v", "s263") sized w × h.
inline std::vector<uint8_t> Stsd(const char* codec, uint16_t width, uint16_t height)
{
    // Visual sample entry: 6 reserved, data ref index, 16 bytes predefined/reserved, then size.
    std::vector<uint8_t> entryPayload(78, 0);
    entryPayload[7] = 1;
    entryPayload[24] = (uint8_t)(width >> 8);
    entryPayload[25] = (uint8_t)width;
    entryPayload[26] = (uint8_t)(height >> 8);
    entryPayload[27] = (uint8_t)height;
    const std::vector<uint8_t> stsdHeader = {0, 0, 0, 0, 0, 0, 0, 1};
    return Atom("stsd", Concat(stsdHeader, Atom(codec, entryPayload)));
}

// A 3GP file whose only track has a sample entry of `codec` sized w × h.
inline std::vector<uint8_t> Movie(const char* codec, uint16_t width, uint16_t height)
{
    std::vector<uint8_t> ftypPayload = {'3', 'g', 'p', '4', 0, 0, 2, 0, '3', 'g', 'p', '4'};
    std::vector<uint8_t> tree = Stsd(codec, width, height);
    for (const char* t : {"stbl", "minf", "mdia", "trak", "moov"}) tree = Atom(t, tree);
    return Concat(Atom("ftyp", ftypPayload), tree);
}

}  // namespace testing_mp4

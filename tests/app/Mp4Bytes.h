// Builds small 3GP files as bytes: ftyp + moov/trak/mdia/minf/stbl/stsd with one visual entry.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testing_mp4 {

inline void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) b.push_back((uint8_t)(v >> s));
}

inline std::vector<uint8_t> Atom(const char* type, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> b;
    Put32(b, (uint32_t)(payload.size() + 8));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

// A 3GP file whose only track has a sample entry of `codec` ("mp4v", "s263") sized w × h.
inline std::vector<uint8_t> Movie(const char* codec, uint16_t width, uint16_t height)
{
    std::vector<uint8_t> ftypPayload = {'3', 'g', 'p', '4', 0, 0, 2, 0, '3', 'g', 'p', '4'};
    // Visual sample entry: 6 reserved, data ref index, 16 bytes predefined/reserved, then size.
    std::vector<uint8_t> entryPayload(78, 0);
    entryPayload[7] = 1;
    entryPayload[24] = (uint8_t)(width >> 8);
    entryPayload[25] = (uint8_t)width;
    entryPayload[26] = (uint8_t)(height >> 8);
    entryPayload[27] = (uint8_t)height;
    std::vector<uint8_t> stsdPayload = {0, 0, 0, 0, 0, 0, 0, 1};
    std::vector<uint8_t> entry = Atom(codec, entryPayload);
    stsdPayload.insert(stsdPayload.end(), entry.begin(), entry.end());
    std::vector<uint8_t> tree = Atom("stsd", stsdPayload);
    for (const char* t : {"stbl", "minf", "mdia", "trak", "moov"}) tree = Atom(t, tree);
    std::vector<uint8_t> file = Atom("ftyp", ftypPayload);
    file.insert(file.end(), tree.begin(), tree.end());
    return file;
}

}  // namespace testing_mp4

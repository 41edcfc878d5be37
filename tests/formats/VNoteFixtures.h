// Small media files and helpers shared by the vNote writer and reader tests.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "formats/ProgressSink.h"
#include "formats/VNoteWriter.h"
#include "tests/support/Bmp24.h"
#include "tests/support/TestFiles.h"

namespace vnote_test {

inline std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
inline std::string Text(const std::vector<uint8_t>& v) { return {v.begin(), v.end()}; }

// A 2 x 1 GIF: a red pixel, then a blue one (4-colour palette, LZW by hand).
inline std::vector<uint8_t> TinyGif()
{
    return {'G',  'I',  'F',  '8',  '9',  'a',  2,    0,    1,    0,    0x81, 0,    0,    0xFF,
            0,    0,    0,    0,    0xFF, 0,    0,    0,    0,    0,    0,    0x2C, 0,    0,
            0,    0,    2,    0,    1,    0,    0,    2,    2,    0x44, 0x0A, 0,    0x3B};
}

// A 24-bit bottom-up BMP; `rgb` holds 0xRRGGBB values, rows top to bottom.
inline std::vector<uint8_t> Bmp24(int w, int h, const std::vector<uint32_t>& rgb)
{
    return testing_bmp::Bmp24(w, h, [&](int x, int y) { return rgb[(size_t)y * w + x]; });
}

inline void PutBe32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 3; i >= 0; --i) v.push_back((uint8_t)(x >> (8 * i)));
}

inline std::vector<uint8_t> Atom(const char* type, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> a;
    PutBe32(a, (uint32_t)(8 + payload.size()));
    a.insert(a.end(), type, type + 4);
    a.insert(a.end(), payload.begin(), payload.end());
    return a;
}

// moov/trak/mdia/minf/stbl/stsd with one visual sample entry cut after its height: 92 bytes.
inline std::vector<uint8_t> TinyMovie(uint16_t width, uint16_t height, const char* entry = "mp4v")
{
    std::vector<uint8_t> stsd(8, 0);
    stsd[7] = 1;  // one entry
    PutBe32(stsd, 36);
    stsd.insert(stsd.end(), entry, entry + 4);
    stsd.insert(stsd.end(), 6, 0);
    stsd.push_back(0);
    stsd.push_back(1);  // data reference index
    stsd.insert(stsd.end(), 16, 0);
    stsd.push_back((uint8_t)(width >> 8));
    stsd.push_back((uint8_t)width);
    stsd.push_back((uint8_t)(height >> 8));
    stsd.push_back((uint8_t)height);
    return Atom("moov", Atom("trak", Atom("mdia", Atom("minf", Atom("stbl", Atom("stsd", stsd))))));
}

// JPEG-looking bytes for formats that never decode the picture: FF D8 FF E0 and a count-up.
inline std::vector<uint8_t> FakeJpeg(size_t n, uint8_t first)
{
    std::vector<uint8_t> v = {0xFF, 0xD8, 0xFF, 0xE0};
    for (size_t i = 4; i < n; ++i) v.push_back((uint8_t)(first + i - 4));
    return v;
}

inline std::vector<uint8_t> SmfHeader() { return Bytes(std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14)); }
inline std::vector<uint8_t> MldHeader() { return Bytes(std::string("melo\0\0\0\x10\0\0\0\0", 12)); }

// 2008-03-09 14:05:07 UTC.
constexpr int32_t kTime = 1205071507;

class RecordingSink : public ProgressSink {
public:
    void SetPhase(int32_t phase) override { phases.push_back(phase); }
    std::vector<int32_t> phases;
};

inline std::string BodyText(OutgoingObject& object)
{
    const uint8_t* data = object.body.GetData();
    return std::string(reinterpret_cast<const char*>(data), object.body.GetSize());
}

}  // namespace vnote_test

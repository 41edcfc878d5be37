// Where the view draws what it has no picture for: the start-up picture, the movie emblem on
// its film band, and the melody staff with its fixed run of notes.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "app/ViewRules.h"

// Sizes of the resource bitmaps the layout places.
constexpr int kStartupWidth = 264, kStartupHeight = 100;
constexpr int kBandTileWidth = 132, kBandTileHeight = 128;
constexpr int kMovieEmblemWidth = 273, kMovieEmblemHeight = 72;
constexpr int kClefWidth = 54, kClefHeight = 142;
constexpr int kMelodyEmblemWidth = 278, kMelodyEmblemHeight = 64;
constexpr int kMidiEmblemWidth = 316, kMidiEmblemHeight = 65;

// The msvcrt rand() sequence (never seeded): the staff looks the same in every run.
class CrtRandom {
public:
    int Next()
    {
        state_ = state_ * 214013u + 2531011u;
        return (int)((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_ = 1;
};

enum class StaffKind : uint8_t { Clef = 0, BarLine = 1, OneBeat = 2, TwoBeat = 3 };

struct StaffEntry {
    StaffKind kind = StaffKind::Clef;
    uint8_t pitch = 0;  // 0 (highest) to 10; 0 for clef and bar lines
};

constexpr int kStaffEntries = 73;
using StaffSequence = std::array<StaffEntry, kStaffEntries>;

StaffSequence GenerateStaff();

// One drawing step of the staff: a glyph bitmap at (x, y) or a grey line.
enum class StaffGlyph { Clef, OneBeatLow, OneBeatHigh, TwoBeatLow, TwoBeatHigh, Line };

struct StaffItem {
    StaffGlyph glyph;
    int x, y;
    int x2 = 0, y2 = 0;  // lines only
};

// Glyphs, bar lines and the five staff lines for a client area of W × H (emblem not included).
std::vector<StaffItem> LayoutStaff(const StaffSequence& sequence, int width, int height);

// Top-left corner that centres an item of the given size in W × H (integer halves).
struct Point {
    int x = 0, y = 0;
};
Point CentreIn(int width, int height, int itemWidth, int itemHeight);

// The four window-coloured strips around a centred bitmap (above, below, left, right); strips
// of no area are left out.
std::vector<Rect> StripsAround(int width, int height, const Rect& item);

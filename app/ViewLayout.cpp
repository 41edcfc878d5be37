#include "app/ViewLayout.h"

StaffSequence GenerateStaff()
{
    StaffSequence s{};
    CrtRandom random;
    s[0].kind = StaffKind::Clef;
    int beats = 0;
    for (int i = 1; i < kStaffEntries; ++i) {
        if (beats == 8) {
            s[i].kind = StaffKind::BarLine;
            beats = 0;
            continue;
        }
        // The last beat of a bar only has room for a one-beat note.
        int length = beats == 7 ? 1 : 1 + (random.Next() & 1);
        s[i].kind = length == 1 ? StaffKind::OneBeat : StaffKind::TwoBeat;
        s[i].pitch = (uint8_t)(random.Next() % 11);
        beats += length;
    }
    return s;
}

std::vector<StaffItem> LayoutStaff(const StaffSequence& seq, int width, int height)
{
    std::vector<StaffItem> items;
    const int base = height - kClefHeight - 40;
    int x = 0;
    for (int i = 0; i < kStaffEntries && x < width; ++i) {
        const StaffEntry& e = seq[i];
        const bool high = e.pitch >= 6;
        // Notes from the middle line down have their stem up and a wider glyph.
        const int y = base + 25 + 10 * e.pitch - (high ? 90 : 10);
        switch (e.kind) {
        case StaffKind::Clef:
            items.push_back({StaffGlyph::Clef, x, base});
            x += 55;
            break;
        case StaffKind::BarLine:
            if (i > 0 && seq[i - 1].kind == StaffKind::OneBeat && seq[i - 1].pitch >= 6) x += 16;
            items.push_back({StaffGlyph::Line, x, base + 35, x, base + 115});
            x += 4;
            break;
        case StaffKind::OneBeat:
            items.push_back({high ? StaffGlyph::OneBeatHigh : StaffGlyph::OneBeatLow, x + 13, y});
            x += 53;
            break;
        case StaffKind::TwoBeat:
            items.push_back({high ? StaffGlyph::TwoBeatHigh : StaffGlyph::TwoBeatLow, x + 13, y});
            x += 90;
            break;
        }
    }
    for (int line = 0; line < 5; ++line) {
        const int y = base + 35 + 20 * line;
        items.push_back({StaffGlyph::Line, 0, y, width, y});
    }
    return items;
}

Point CentreIn(int width, int height, int itemWidth, int itemHeight)
{
    return Point{width / 2 - itemWidth / 2, height / 2 - itemHeight / 2};
}

std::vector<Rect> StripsAround(int width, int height, const Rect& item)
{
    std::vector<Rect> out;
    auto add = [&out](int l, int t, int r, int b) {
        if (r > l && b > t) out.push_back(Rect{l, t, r, b});
    };
    add(0, 0, width, item.top);
    add(0, item.bottom, width, height);
    add(0, item.top, item.left, item.bottom);
    add(item.right, item.top, width, item.bottom);
    return out;
}

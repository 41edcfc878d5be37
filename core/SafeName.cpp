#include "core/SafeName.h"

#include <cstring>

#include "core/CodePage.h"

namespace {

bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

bool IsUnsafeSingle(unsigned char c)
{
    // 0x80, 0xA0 and 0xFD-0xFF are no character in code page 932; A1-DF are half-width kana.
    return c < 0x20 || c == 0x7F || c == 0x80 || c == 0xA0 || c >= 0xFD ||
           std::strchr("<>:\"/\\|?*", (char)c) != nullptr;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9 and LPT0-9 name devices whatever extension
// follows them.
bool IsReservedDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = AsciiUpper(c);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (stem == device) return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

std::string SafeFileName(const std::string& received)
{
    std::string out;
    for (size_t i = 0; i < received.size();) {
        const unsigned char c = (unsigned char)received[i];
        size_t width = 1;
        // A double-byte character is kept only when it maps to a character and back.
        if (IsShiftJisLeadByte(c)) {
            const bool whole = i + 1 < received.size() &&
                               IsTrailByte((unsigned char)received[i + 1]) &&
                               IsShiftJisCharacter(received.data() + i);
            if (whole) width = 2;
        }
        if (out.size() + width > kMaxSafeNameBytes) break;
        if (width == 2) {
            out.append(received, i, 2);
        } else {
            out.push_back(IsShiftJisLeadByte(c) || IsUnsafeSingle(c) ? '_' : (char)c);
        }
        i += width;
    }
    // Only ASCII dots and spaces are stripped, and neither is ever a trail byte.
    const size_t first = out.find_first_not_of(". ");
    if (first == std::string::npos) return std::string();
    out.erase(0, first);
    out.erase(out.find_last_not_of(". ") + 1);
    if (IsReservedDeviceName(out)) out.insert(0, 1, '_');
    return out;
}

#include "core/CodePage.h"

std::u16string AnsiToUtf16(const std::string& text)
{
    return AnsiToUtf16(text.data(), text.size());
}

std::string Utf16ToAnsi(const std::u16string& text)
{
    return Utf16ToAnsi(text.data(), text.size());
}

std::string AnsiToUtf8(const std::string& text)
{
    std::string out;
    for (char16_t unit : AnsiToUtf16(text)) {  // code page 932 has no character beyond the BMP
        const unsigned c = unit;
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool IsShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

#include "cli/Text.h"

#include "core/CodePage.h"

std::string AnsiToUtf8(const std::string& text)
{
    const std::u16string wide = AnsiToUtf16(text);
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t c = wide[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t)(wide[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xF0 | (c >> 18));
            out += (char)(0x80 | ((c >> 12) & 0x3F));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool Utf8ToAnsi(const std::string& utf8, std::string* text)
{
    std::u16string wide;
    bool ok = true;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = (unsigned char)utf8[i];
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        uint32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool valid = extra >= 0 && i + (size_t)extra < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = (unsigned char)utf8[i + (size_t)k];
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid || c > 0x10FFFF) {
            ok = false;
            wide += u'?';
            ++i;
            continue;
        }
        i += (size_t)extra + 1;
        if (c >= 0x10000) {
            wide += (char16_t)(0xD800 + ((c - 0x10000) >> 10));
            wide += (char16_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            wide += (char16_t)c;
        }
    }
    *text = Utf16ToAnsi(wide);
    // Characters the code page lacks come back as '?': more of them than were asked for is a loss.
    size_t asked = 0, got = 0;
    for (char16_t unit : wide) asked += unit == u'?';
    for (char byte : *text) got += byte == '?';
    return ok && got == asked;
}

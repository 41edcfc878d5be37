#include "cli/Text.h"

#include "core/CodePage.h"

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

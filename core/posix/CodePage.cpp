// Linux stand-in for the ANSI code page: iconv's CP932, which matches Windows code page 932
// (NEC and IBM extensions, U+FF5E for 0x8160) better than plain Shift_JIS.
#include "core/posix/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == (iconv_t)-1) throw std::runtime_error("iconv_open failed");
    }
    ~Converter() { iconv_close(cd_); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts as much as iconv accepts; on an invalid or incomplete sequence appends `bad` to the
// output, skips `skip(in)` input bytes and clears *ok.
template <typename Out, typename Skip>
Out Convert(const char* to, const char* from, const char* in, size_t inBytes,
            const Out& bad, Skip skip, bool* ok = nullptr)
{
    Converter conv(to, from);  // one per call: iconv descriptors are not thread-safe
    using Unit = typename Out::value_type;
    Out out;
    char buf[512];
    char* src = const_cast<char*>(in);
    size_t left = inBytes;
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(conv.get(), &src, &left, &dst, &room);
        out.append(reinterpret_cast<const Unit*>(buf), (size_t)(dst - buf) / sizeof(Unit));
        if (r == (size_t)-1 && errno != E2BIG) {
            out += bad;
            if (ok) *ok = false;
            size_t n = skip(src, left);
            src += n;
            left -= n;
            iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

// A high surrogate with its low surrogate is one character; a lone one is a unit of its own.
size_t Utf16Character(const char* p, size_t left)
{
    auto unit = [p](size_t at) {
        return (unsigned)(unsigned char)p[at] | ((unsigned)(unsigned char)p[at + 1] << 8);
    };
    if (left < 2) return left;
    const bool pair = left >= 4 && unit(0) >= 0xD800 && unit(0) < 0xDC00 && unit(2) >= 0xDC00 &&
                      unit(2) < 0xE000;
    return pair ? 4 : 2;
}

std::string FromUtf16(const char* to, const char16_t* text, size_t length, bool* ok)
{
    return Convert<std::string>(to, "UTF-16LE", reinterpret_cast<const char*>(text), length * 2,
                                std::string(1, '?'), Utf16Character, ok);
}

}  // namespace

std::u16string AnsiToUtf16(const char* text, size_t length)
{
    if (length == 0) return std::u16string();
    return Convert<std::u16string>("UTF-16LE", "CP932", text, length, std::u16string(1, u'\x30FB'),
                                   [](const char* p, size_t left) -> size_t {
                                       return (IsAnsiLeadByte((unsigned char)*p) && left >= 2) ? 2 : 1;
                                   });
}

std::string Utf16ToAnsi(const char16_t* text, size_t length)
{
    if (length == 0) return std::string();
    return FromUtf16("CP932", text, length, nullptr);
}

std::string Recode(const char* to, const char* from, const std::string& text, bool* ok)
{
    try {
        // Through UTF-16, so that a character `to` lacks becomes one '?' whatever its length.
        const std::u16string wide =
            Convert<std::u16string>("UTF-16LE", from, text.data(), text.size(),
                                    std::u16string(1, u'?'), [](const char*, size_t) { return 1; }, ok);
        return FromUtf16(to, wide.data(), wide.size(), ok);
    } catch (const std::runtime_error&) {  // an encoding iconv does not know
        if (ok) *ok = false;
        return text;
    }
}

bool IsAnsiLeadByte(unsigned char c) { return IsShiftJisLeadByte(c); }

bool IsShiftJisCharacter(const char* pair)
{
    // iconv's CP932 is the ANSI code page here.
    const std::u16string wide = AnsiToUtf16(pair, 2);
    return wide.size() == 1 && Utf16ToAnsi(wide) == std::string(pair, 2);
}

#include "core/Codecs.h"

#include <cstring>
#include <stdexcept>

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHex[] = "0123456789ABCDEF";

// Value of a Base64 character; 255 for anything outside the alphabet, padding included.
struct Base64Table {
    uint8_t v[256];
    Base64Table()
    {
        std::memset(v, 255, sizeof v);
        for (int i = 0; i < 64; ++i) v[(uint8_t)kAlphabet[i]] = (uint8_t)i;
    }
};
const Base64Table kBase64;

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower-case digits are not accepted
}

bool QpPlain(uint8_t c)
{
    if (c == 0x20 || c == 0x09) return true;
    if (c >= 0x21 && c <= 0x5E) return c != 0x2D && c != 0x3D;
    return c >= 0x60 && c <= 0x7E;
}

}  // namespace

uint32_t Base64EncodedLength(uint32_t n)
{
    const uint64_t len = ((uint64_t)n + 2) / 3 * 4;
    if (len > UINT32_MAX) throw std::length_error("Base64EncodedLength");
    return (uint32_t)len;
}

char* Base64Encode(char* out, const uint8_t* in, uint32_t n)
{
    char* p = out;
    uint32_t i = 0;
    for (; n - i >= 3; i += 3) {
        uint8_t b1 = in[i], b2 = in[i + 1], b3 = in[i + 2];
        *p++ = kAlphabet[b1 >> 2];
        *p++ = kAlphabet[((b1 & 3) << 4) + (b2 >> 4)];
        *p++ = kAlphabet[((b2 & 15) << 2) + (b3 >> 6)];
        *p++ = kAlphabet[b3 & 63];
    }
    if (n - i == 1) {
        uint8_t b1 = in[i];
        *p++ = kAlphabet[b1 >> 2];
        *p++ = kAlphabet[(b1 & 3) << 4];
        *p++ = '=';
        *p++ = '=';
    } else if (n - i == 2) {
        uint8_t b1 = in[i], b2 = in[i + 1];
        *p++ = kAlphabet[b1 >> 2];
        *p++ = kAlphabet[((b1 & 3) << 4) + (b2 >> 4)];
        *p++ = kAlphabet[(b2 & 15) << 2];
        *p++ = '=';
    }
    return out;
}

uint32_t Base64DecodedLength(uint32_t m)
{
    if (m % 4 != 0) return 0;
    return m / 4 * 3;
}

uint8_t* Base64Decode(uint8_t* out, uint32_t* outLength, const char* text, uint32_t m)
{
    if (m % 4 != 0) return nullptr;
    uint32_t written = 0;
    for (uint32_t i = 0; i < m; i += 4) {
        unsigned w = kBase64.v[(uint8_t)text[i]];
        unsigned x = kBase64.v[(uint8_t)text[i + 1]];
        unsigned y = kBase64.v[(uint8_t)text[i + 2]];
        unsigned z = kBase64.v[(uint8_t)text[i + 3]];
        out[written++] = (uint8_t)((w << 2) + (x >> 4));
        if (y != 255) out[written++] = (uint8_t)(((x & 15) << 4) + (y >> 2));
        if (z != 255) out[written++] = (uint8_t)(((y & 3) << 6) + z);
    }
    if (outLength) *outLength = written;
    return out;
}

uint32_t QpEncodedLength(const uint8_t* bytes, uint32_t n)
{
    uint64_t len = 0;
    for (uint32_t i = 0; i < n; ++i) len += QpPlain(bytes[i]) ? 1 : 3;
    if (len > UINT32_MAX) throw std::length_error("QpEncodedLength");
    return (uint32_t)len;
}

uint32_t QpEncodedLength(const char* text)
{
    const size_t n = std::strlen(text);
    if (n > UINT32_MAX) throw std::length_error("QpEncodedLength");
    const uint32_t len = QpEncodedLength(reinterpret_cast<const uint8_t*>(text), (uint32_t)n);
    if (len == UINT32_MAX) throw std::length_error("QpEncodedLength");
    return len + 1;
}

char* QpEncode(char* out, const uint8_t* bytes, uint32_t n)
{
    char* p = out;
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t c = bytes[i];
        if (QpPlain(c)) {
            *p++ = (char)c;
        } else {
            *p++ = '=';
            *p++ = kHex[c >> 4];
            *p++ = kHex[c & 15];
        }
    }
    return out;
}

char* QpEncode(char* out, const char* text)
{
    uint32_t n = (uint32_t)std::strlen(text);
    QpEncode(out, reinterpret_cast<const uint8_t*>(text), n);
    out[QpEncodedLength(reinterpret_cast<const uint8_t*>(text), n)] = '\0';
    return out;
}

uint32_t QpDecodedLength(const char* text, uint32_t m)
{
    uint32_t count = 0;
    for (uint32_t i = 0; i < m; ++count) {
        if (text[i] == '=') {
            if (m - i < 3) return 0;
            i += 3;
        } else {
            ++i;
        }
    }
    return count;
}

uint32_t QpDecodedLength(const char* text)
{
    uint32_t m = (uint32_t)std::strlen(text);
    uint32_t count = QpDecodedLength(text, m);
    // A text ending inside an escape decodes to nothing but the terminator.
    if (count == 0) return 1;
    return count + 1;
}

uint8_t* QpDecode(uint8_t* out, uint32_t* outLength, const char* text, uint32_t m)
{
    // Check every escape before writing: a caller may have sized `out` for a text that ends
    // inside an escape (QpDecodedLength gives 1 then), so a failure must write nothing.
    for (uint32_t i = 0; i < m; ++i) {
        if (text[i] != '=') continue;
        if (m - i < 3 || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0) return nullptr;
        i += 2;
    }
    uint32_t written = 0;
    for (uint32_t i = 0; i < m;) {
        if (text[i] == '=') {
            out[written++] = (uint8_t)(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 3;
        } else {
            out[written++] = (uint8_t)text[i++];
        }
    }
    if (outLength) *outLength = written;
    return out;
}

char* QpDecode(char* out, const char* text)
{
    uint32_t n = 0;
    if (!QpDecode(reinterpret_cast<uint8_t*>(out), &n, text, (uint32_t)std::strlen(text))) {
        out[0] = '\0';
        return nullptr;
    }
    out[n] = '\0';
    return out;
}

// Builders of raw OBEX packets and headers for the engine's tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "obex/ObexException.h"
#include "tests/support/ExpectError.h"
#include "tests/support/ObexTestTransport.h"

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes Word(uint32_t v) { return {(uint8_t)(v >> 8), (uint8_t)v}; }
inline Bytes DoubleWord(uint32_t v) { return {(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v}; }
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A packet: code, 16-bit length of the whole, then the rest.
inline Bytes Packet(uint8_t code, const Bytes& rest = {})
{
    return Cat({{code}, Word((uint32_t)rest.size() + 3), rest});
}
inline Bytes ConnectPacket(uint8_t code, uint16_t maxPacket, const Bytes& headers = {})
{
    return Packet(code, Cat({{0x10, 0x00}, Word(maxPacket), headers}));
}
inline Bytes BytesHeader(uint8_t id, const Bytes& payload)
{
    return Cat({{id}, Word((uint32_t)payload.size() + 3), payload});
}
// Unicode header with its 0x0000 terminator.
inline Bytes UnicodeHeader(uint8_t id, const std::u16string& text)
{
    Bytes h{id};
    Bytes len = Word((uint32_t)(2 * text.size() + 5));
    h.insert(h.end(), len.begin(), len.end());
    for (char16_t c : text) {
        h.push_back((uint8_t)(c >> 8));
        h.push_back((uint8_t)c);
    }
    h.push_back(0);
    h.push_back(0);
    return h;
}
inline Bytes DoubleWordHeader(uint8_t id, uint32_t v) { return Cat({{id}, DoubleWord(v)}); }

// Bytes from pairs of hexadecimal digits: a known digest written as it is published.
inline Bytes Hex(const char* digits)
{
    Bytes b;
    for (; digits[0] && digits[1]; digits += 2) {
        b.push_back((uint8_t)std::stoi(std::string(digits, 2), nullptr, 16));
    }
    return b;
}


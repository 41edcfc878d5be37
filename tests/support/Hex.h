// Bytes as upper-case hex pairs, the way the test peers take and report OBEX headers.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

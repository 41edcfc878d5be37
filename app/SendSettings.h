// What the send settings dialog chose: the format and the texts and time the phone object carries.
#pragma once
#include <cstdint>

struct SendSettings {
    int32_t format = 0;          // PhoneFormat, 1 to 8
    char title[25] = {};         // at most 24 bytes, NUL-terminated Shift_JIS
    char summary[25] = {};       // at most 24 bytes
    char fileName[19] = {};      // at most 18 bytes
    int32_t time = 0;            // the pickers' date and time, seconds since 1970 UTC
    int32_t redistributionForbidden = 0;  // 1 when "禁止(&I)" is checked
};

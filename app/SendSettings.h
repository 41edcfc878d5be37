// What the send settings dialog hands to the send progress dialog and its worker. It lives in the
// settings dialog while the progress dialog runs.
#pragma once
#include <cstdint>

struct SendSettings {
    int32_t format = 0;          // PhoneFormat, 1 to 8
    char title[25] = {};         // at most 24 bytes, NUL-terminated Shift_JIS
    char summary[25] = {};       // at most 24 bytes
    char fileName[19] = {};      // at most 18 bytes
    int32_t time = 0;            // the pickers' date and time, seconds since 1970 UTC
    int32_t redistributionForbidden = 0;  // 1 when "禁止(&I)" is checked
    // Window handles (HWND), kept opaque so that the record stays portable.
    void* progressDialog = nullptr;  // filled by the progress dialog when it opens
    void* mainWindow = nullptr;      // the settings dialog's parent
};

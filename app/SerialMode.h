// The port and speed the serial settings dialog chose. Active only while a serial command runs;
// every transfer goes over that port then, and over infrared otherwise.
#pragma once
#include <cstdint>

struct SerialSelection {
    bool active = false;
    int32_t portNumber = 0;  // n of "COMn"
    uint32_t speed = 0;      // bits per second
};

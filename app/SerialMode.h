// The port and speed the serial settings dialog chose. Active only while a serial command runs;
// every transfer goes over that port then, and over infrared otherwise.
#pragma once
#include <cstdint>

struct SerialSelection {
    bool active = false;
    int32_t portNumber = 0;  // n of "COMn"
    uint32_t speed = 0;      // bits per second
};

// The selection in force. The serial commands set it on the user-interface thread and clear it
// when they end; a progress dialog reads it once, when it starts its transfer.
SerialSelection CurrentSerialSelection();
void SetCurrentSerialSelection(const SerialSelection& selection);

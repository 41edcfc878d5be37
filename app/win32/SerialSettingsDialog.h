// Serial mode: the Serial send and Serial receive commands let the user pick a port and speed,
// then run the ordinary command, whose transfer goes over that port while the selection is active.
#pragma once
#include <windows.h>

#include "app/SerialMode.h"
#include "app/SerialSettingsRules.h"

// The port and speed of the running serial command; inactive at any other time.
const SerialSelection& CurrentSerialSelection();

// Discovers the ports and opens the serial port settings dialog over `owner`. Warns when there
// is no port. True when the user chose a port and speed with OK; `chosen` is then active.
bool ChooseSerialPort(HWND owner, SerialDirection direction, SerialSelection& chosen);

// Runs `command` (the infrared command id) over the chosen port, with the selection active
// only while it runs.
void RunSerialCommand(HWND main, SerialDirection direction, int command);

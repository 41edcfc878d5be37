// The serial port settings dialog: before a serial send or receive the user picks the port and
// the line speed.
#pragma once
#include <windows.h>

#include <optional>

#include "app/SerialSettingsRules.h"
#include "app/TransferRequest.h"

// Discovers the ports and opens the dialog over `owner`; warns instead when there is none. The
// port (by its name) and speed chosen with OK, or nothing.
std::optional<SerialLine> ChooseSerialPort(HWND owner, SerialDirection direction);

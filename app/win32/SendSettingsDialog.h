// Communication > Infrared send and Serial send: the send settings dialog over the main window.
#pragma once
#include <windows.h>

void SendCommand(HWND main);
// Chooses the serial port first, then opens the send settings dialog for a send over it.
void SerialSendCommand(HWND main);

// The main window's four communication commands: infrared and serial send (the send settings
// dialog over the current object) and receive (the progress dialog, then the playback offer).
// The serial ones ask for the port first.
#pragma once
#include <windows.h>

void SendCommand(HWND main);
void SerialSendCommand(HWND main);
void ReceiveCommand(HWND main);
void SerialReceiveCommand(HWND main);

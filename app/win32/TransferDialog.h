// The modal progress dialog of a transfer and the worker thread it starts, for both directions,
// and the receive commands of the main window.
#pragma once
#include <windows.h>

#include "app/SendSettings.h"
#include "app/SerialMode.h"

// Private messages from the worker to its progress dialog.
constexpr UINT MSG_TRANSFER_DONE = WM_USER + 3;      // lParam 1 on success, else 0
constexpr UINT MSG_TRANSFER_ACTIVE = WM_USER + 4;    // lParam the TransferState, or 0
constexpr UINT MSG_RECEIVE_PROGRESS = WM_USER + 5;   // wParam done, lParam total (0: none)
constexpr UINT MSG_SEND_PROGRESS = WM_USER + 6;      // wParam done, lParam total

// Sends the current object as `settings` say, over the serial port when serial mode is on and
// over infrared otherwise. Fills settings.progressDialog. 1 on success, 0 on failure or cancel.
// The current object must not change while it runs (the caller is modal over the main window).
INT_PTR RunSendProgressDialog(HWND owner, SendSettings& settings);

// The port and speed of the running serial command; inactive at any other time.
const SerialSelection& CurrentSerialSelection();

// Communication > Infrared receive; also the second half of Serial receive.
void ReceiveCommand(HINSTANCE instance, HWND mainWindow);

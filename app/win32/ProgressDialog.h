// The modal progress dialog of a transfer and its worker thread, for both directions.
#pragma once
#include <windows.h>

#include "app/TransferRequest.h"

// Private messages from the worker to its progress dialog.
constexpr UINT MSG_TRANSFER_DONE = WM_USER + 3;      // lParam 1 on success, else 0
constexpr UINT MSG_TRANSFER_ACTIVE = WM_USER + 4;    // lParam 1 while the transfer runs, 0 after
constexpr UINT MSG_RECEIVE_PROGRESS = WM_USER + 5;   // wParam done, lParam total (0: none)
constexpr UINT MSG_SEND_PROGRESS = WM_USER + 6;      // wParam done, lParam total

// Runs `request` in the progress dialog, modal over `owner`, and returns once both the dialog
// and its worker have ended: true when the transfer succeeded. A received object goes to the
// view of `mainWindow`, which installs it.
bool RunTransferDialog(HWND owner, HWND mainWindow, TransferRequest request);

// At exit: cancels every transfer that still runs and waits until its worker has ended.
void EndTransfers();

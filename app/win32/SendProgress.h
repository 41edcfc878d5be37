// The send progress dialog (resource 130), run modally over the send settings dialog. Its worker
// sends the current object as `settings` describe; returns 1 after a successful send, 0 after a
// failed or cancelled one.
#pragma once
#include <windows.h>

#include "app/SendSettings.h"

INT_PTR RunSendProgressDialog(HWND owner, SendSettings& settings);

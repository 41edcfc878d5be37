// The send settings dialog over the main window: the format and entries of a send of the
// current object, then the send itself in the progress dialog.
#pragma once
#include <windows.h>

#include <optional>

#include "app/TransferRequest.h"

// Caption of the send's message boxes.
extern const char kSendCaption[];

// `serial`: the line chosen for a serial send, or none for infrared.
void RunSendSettings(HWND main, std::optional<SerialLine> serial);

// The main window: its class, creation, message loop and the routing of its messages.
#pragma once
#include <windows.h>

namespace MainWindow {

// Loads the title and class name (strings 103 and 109) and registers the window class.
void Register(HINSTANCE instance);

// Creates the main window with a 320 × 200 client area and shows it; nullptr on failure.
HWND Create(HINSTANCE instance, int show);

// Runs the message loop with the accelerator table until WM_QUIT; returns its code.
int RunMessageLoop(HINSTANCE instance);

}  // namespace MainWindow

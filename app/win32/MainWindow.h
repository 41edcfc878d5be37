// The main window: its class, creation, message loop and the routing of its messages.
#pragma once
#include <windows.h>

namespace MainWindow {

// Loads the title and class name (strings 103 and 109) and registers the window class.
void Register(HINSTANCE instance);
// The values Register keeps for the whole process.
HINSTANCE Instance();
const char* Title();        // string resource 103
const char* WindowClass();  // string resource 109

// Creates the main window with a 320 × 200 client area and shows it; nullptr on failure.
HWND Create(HINSTANCE instance, int show);

// Opens the files named on the program's command line as dropped files are opened.
void OpenCommandLine(HWND main, const char* commandLine);

// A second copy started with files hands its command line to the running copy's window, which
// opens them the same way.
void HandOver(HWND running, const char* commandLine);

// Runs the message loop with the accelerator table until WM_QUIT; returns its code.
int RunMessageLoop(HINSTANCE instance);

}  // namespace MainWindow

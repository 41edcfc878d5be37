// Communication > Continuous receive: the line and the folder asked for, then a window that
// waits for phones session after session and saves every object they push into the folder.
#pragma once
#include <windows.h>

void ContinuousReceiveCommand(HWND mainWindow);

// At exit: ends the wait, if any, and waits until its worker has ended.
void EndContinuousReceive();

// The one way the program starts a thread.
#pragma once
#include <windows.h>

#include <functional>

// Starts a thread that runs `body` with COM initialised, as picture decoding needs. An exception
// from `body` ends the thread quietly instead of the process. Returns the thread's handle (the
// caller waits for it and closes it), or nullptr when no thread could be started.
HANDLE StartWorker(std::function<void()> body);

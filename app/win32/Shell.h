// Process-wide values of the program, written once at start-up.
#pragma once
#include <windows.h>

namespace Shell {

HINSTANCE Instance();
const char* Title();        // string resource 103
const char* WindowClass();  // string resource 109

}  // namespace Shell

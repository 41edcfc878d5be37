// The system's folder picker for the receive folder. Kept apart: the shell's headers declare a
// Shell of their own.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

// The folder chosen with OK, starting at the remembered one, and remembered in turn; none when
// the user cancelled or chose something that is not a folder of the file system.
std::optional<std::string> ChooseReceiveFolder(HWND owner);

// A file name that came from outside (a phone's object, an OBEX Name header) made safe to use as
// the name of a file on disk, on Windows and elsewhere.
#pragma once
#include <cstddef>
#include <string>

// Longest safe name made (bytes); longer names are cut at a whole character.
constexpr size_t kMaxSafeNameBytes = 128;

// `received` is Shift_JIS (code page 932), read whole characters at a time, so the 5C trail byte
// of a character such as 表 (95 5C) is never taken for a separator. The result:
// - path separators, drive colons, the characters <>:"/\|?* and control bytes become '_';
// - bytes that form no Shift_JIS character become '_';
// - leading and trailing dots and spaces are removed (no "..", no hidden files, and Windows
//   would drop trailing ones itself);
// - a reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension)
//   gets a leading '_'.
// Empty when nothing usable is left; the caller chooses a name then.
std::string SafeFileName(const std::string& received);

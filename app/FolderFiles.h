// Files saved into a folder under a new name, as small seams that app/posix and app/win32
// implement. Names are program texts (Shift_JIS); folders and paths stay as the system spells
// them (the bytes a Linux command line gives, the ANSI code page on Windows).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A file name within the file system's limit once converted to its encoding.
bool NameFits(const std::string& name);
// The path of a file called `name` in `dir`.
std::string PathInDirectory(const std::string& dir, const std::string& name);
// Writes `bytes` to a new file of a name of its own in `dir`, synced, last written at `time`
// (0: now). Empty on failure.
std::string WriteTemporary(const std::string& dir, const std::vector<uint8_t>& bytes, int32_t time);
enum class PlaceResult { Placed, Exists, Failed };
// Gives the temporary file the name `path` unless a file of that name exists.
PlaceResult PlaceFile(const std::string& temporary, const std::string& path);
void RemoveFile(const std::string& path);

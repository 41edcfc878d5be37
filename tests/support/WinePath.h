// Paths as the Windows tests under Wine see them.
#pragma once
#include <string>

namespace testing_wine {

// A Unix path (as the build knows it) as a path on Wine's Z: drive, the Linux root.
inline std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace testing_wine

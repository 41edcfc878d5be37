// Wine sees the Linux root as drive Z:, so a Linux path names the same file as Z:\path.
#pragma once
#include <string>

inline std::string WinePath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

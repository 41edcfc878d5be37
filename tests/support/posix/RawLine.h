// A pseudo-terminal end opened as a raw serial line, emptied of whatever an earlier run left on it.
#pragma once
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

inline int OpenRawLine(const char* path)
{
    int fd = open(path, O_RDWR | O_NOCTTY);
    if (fd < 0) return -1;
    termios settings;
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    tcflush(fd, TCIOFLUSH);
    return fd;
}

// Any line speed, not only the B-constants of <termios.h>: Linux's termios2 with BOTHER. Kept in
// a file of its own because the kernel's termios headers clash with the C library's.
#pragma once
#include <cstdint>

// Sets both directions of the open terminal `fd` to `speed` bits per second; false when the
// driver refuses.
bool SetLineSpeed(int fd, uint32_t speed);

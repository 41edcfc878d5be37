#include "transport/posix/LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool SetLineSpeed(int fd, uint32_t speed)
{
    struct termios2 line;
    if (ioctl(fd, TCGETS2, &line) != 0) return false;
    line.c_cflag &= ~(tcflag_t)(CBAUD | CIBAUD);
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = speed;
    line.c_ospeed = speed;
    return ioctl(fd, TCSETS2, &line) == 0;
}

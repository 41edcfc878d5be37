// A pseudo-terminal as a serial cable: the program opens `path` (the terminal end) as its port,
// the peer talks on `master`. A raw terminal end stays open here throughout, so that nothing the
// peer writes early is echoed or edited and the master sees no hang-up between the program's
// opens. Drop() pulls the cable out. Nothing here is inherited by a child process.
#pragma once
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "tests/support/posix/RawLine.h"

struct PtyPair {
    PtyPair()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) path = ptsname(master);
        keep = path.empty() ? -1 : OpenRawLine(path.c_str());
        if (keep >= 0) fcntl(keep, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair()
    {
        Drop();
        if (keep >= 0) close(keep);
    }
    void Drop()
    {
        if (master >= 0) close(master);
        master = -1;
    }
    int master = -1;
    int keep = -1;
    std::string path;
};

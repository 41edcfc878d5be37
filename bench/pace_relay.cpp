// A serial line between two pseudo-terminals, paced like a real one: each byte takes
// (1 start + 8 data + 1 stop) bits at the given speed, in each direction independently.
//
//   pace_relay <linkA> <linkB> <bits-per-second>
//
// Makes two ptys, points the symlinks at their terminal ends, prints "ready" and relays until
// SIGTERM or SIGINT. Each side opens its link as it would a serial device (Wine maps a COM port
// to one). On the way out it prints what crossed the line:
//   bytes <A to B> <B to A> seconds <from the first byte read to the last byte delivered>
//   idle <s the line stood idle for A to answer> <the same for B>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t stopping = 0;
void Stop(int) { stopping = 1; }

struct Pty {
    int master = -1;
    int slave = -1;  // held open so the master never sees a hang-up between the peers' opens
};

bool MakePty(const char* link, Pty* pty)
{
    pty->master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty->master < 0 || grantpt(pty->master) != 0 || unlockpt(pty->master) != 0) return false;
    const char* name = ptsname(pty->master);
    if (!name) return false;
    pty->slave = open(name, O_RDWR | O_NOCTTY);
    if (pty->slave < 0) return false;
    termios t;
    if (tcgetattr(pty->slave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(pty->slave, TCSANOW, &t);
    }
    fcntl(pty->master, F_SETFL, fcntl(pty->master, F_GETFL) | O_NONBLOCK);
    unlink(link);
    return symlink(name, link) == 0;
}

// One direction of the line: bytes wait in `queue` until the line has had time to send them.
struct Direction {
    int from, to;
    std::deque<unsigned char> queue;
    double credit = 0;  // bytes the line may send now; an idle line banks at most one byte
    unsigned long long delivered = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <linkA> <linkB> <bits-per-second>\n", argv[0]);
        return 2;
    }
    const double bytesPerSecond = std::atof(argv[3]) / 10.0;
    if (bytesPerSecond <= 0) {
        std::fprintf(stderr, "pace_relay: bad speed %s\n", argv[3]);
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    struct sigaction stop = {};
    stop.sa_handler = Stop;  // no SA_RESTART: poll returns at once
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    Pty a, b;
    if (!MakePty(argv[1], &a) || !MakePty(argv[2], &b)) {
        std::perror("pace_relay");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    Direction dirs[2] = {{a.master, b.master, {}, 0, 0}, {b.master, a.master, {}, 0, 0}};
    auto last = Clock::now();
    Clock::time_point firstIn, lastOut;
    bool started = false;
    // Time the whole line stood idle after a delivery, by the side that got it last (whose turn
    // it was to answer): 0 = A, 1 = B.
    double idle[2] = {0, 0}, idleAtLastOut[2] = {0, 0};
    int turn = -1;
    while (!stopping) {
        pollfd fds[2] = {{a.master, POLLIN, 0}, {b.master, POLLIN, 0}};
        const bool busy = !dirs[0].queue.empty() || !dirs[1].queue.empty();
        // Wake when the line is due a few more bytes (or the last few of a short packet), so
        // that the pacing, not the wake-ups, decides when a turn ends.
        double wait = 0.05;
        for (const Direction& d : dirs) {
            if (d.queue.empty()) continue;
            const double want = (double)std::min<size_t>(d.queue.size(), 8);
            wait = std::min(wait, std::max(0.0, (want - d.credit) / bytesPerSecond));
        }
        const timespec timeout = {0, (long)(wait * 1e9)};
        ppoll(fds, 2, &timeout, nullptr);
        const auto now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - last).count();
        last = now;
        if (!busy && turn >= 0) idle[turn] += elapsed;
        for (int i = 0; i < 2; ++i) {
            Direction& d = dirs[i];
            // The time since the last turn belongs to what was queued then: an idle line does
            // not save it up for bytes that arrive now.
            d.credit += elapsed * bytesPerSecond;
            if (d.queue.empty()) d.credit = std::min(d.credit, 1.0);
            unsigned char buf[4096];
            for (;;) {
                const ssize_t n = read(d.from, buf, sizeof buf);
                if (n <= 0) break;
                if (!started) {
                    started = true;
                    firstIn = Clock::now();
                }
                d.queue.insert(d.queue.end(), buf, buf + n);
            }
            const size_t due = std::min(d.queue.size(), (size_t)d.credit);
            if (due == 0) continue;
            unsigned char out[4096];
            const size_t k = std::min(due, sizeof out);
            std::copy(d.queue.begin(), d.queue.begin() + (long)k, out);
            const ssize_t w = write(d.to, out, k);
            if (w > 0) {
                d.queue.erase(d.queue.begin(), d.queue.begin() + w);
                d.credit -= (double)w;
                d.delivered += (unsigned long long)w;
                lastOut = Clock::now();
                turn = 1 - i;
                idleAtLastOut[0] = idle[0];
                idleAtLastOut[1] = idle[1];
            }
        }
    }
    // The wait after the last delivery is nobody's turn: the session has ended.
    const double seconds = started ? std::chrono::duration<double>(lastOut - firstIn).count() : 0;
    std::printf("bytes %llu %llu seconds %.3f idle %.3f %.3f\n", dirs[0].delivered, dirs[1].delivered,
                seconds, idleAtLastOut[0], idleAtLastOut[1]);
    return 0;
}

#include "transport/posix/ObexSerialSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "transport/TransportException.h"
#include "transport/posix/LineSpeed.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

const char kOpenFailed[] = "Open:ポートのオープンに失敗しました。";
const char kReceiveFailed[] = "ObexSerialSocket::Receive:データの受信に失敗しました。";
const char kSendFailed[] = "ObexSerialSocket::Send:データの送信に失敗しました。";

constexpr int64_t kIntervalMs = 500;  // a read ends this long after its last byte,
constexpr int64_t kPerByteMs = 10;    // and after this long a byte
constexpr int64_t kConstantMs = 500;  // plus this in all; so does a write
constexpr int kDrainMs = 1000;        // closing waits at most this long for queued output

// Errors after which the device will never carry another byte: it went away under us (a USB
// cable pulled out) or the far end of a pseudo-terminal closed. Reporting these as "no data"
// would have the engine call again for ever.
bool IsPortGone(int error)
{
    return error == EIO || error == ENODEV || error == ENXIO || error == EBADF || error == EPIPE;
}

}  // namespace

ObexSerialSocket::ObexSerialSocket(const char* devicePath, std::atomic<int>* openError)
    : path_(devicePath ? devicePath : ""), inert_(devicePath == nullptr), openError_(openError)
{
}

ObexSerialSocket::~ObexSerialSocket()
{
    Close();
    for (int fd : wake_) {
        if (fd >= 0) ::close(fd);
    }
}

void ObexSerialSocket::Open()
{
    if (inert_) return;
    ScopedLock hold(lock_);
    if (openError_) *openError_ = 0;
    // A cancel that came before the engine opened the port still ends the transfer.
    if (closed_) throw TransportException(TRANSPORT_ERR_OPEN, kOpenFailed);
    if (fd_ >= 0) return;
    // Non-blocking: neither the open nor a read waits for a carrier or for data.
    int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios line;
    bool ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 && tcgetattr(fd, &line) == 0;
    int error = ok ? 0 : errno;  // the cause a user can act on: kept for the message
    if (ok) {
        saved_ = line;
        cfmakeraw(&line);  // no echo, no line editing, no XON/XOFF, 8 bits
        line.c_cflag &= ~(tcflag_t)(CSTOPB | PARENB);
        line.c_cflag |= CLOCAL | CREAD;
        line.c_cc[VMIN] = 1;  // with O_NONBLOCK: EAGAIN while empty, 0 only after a hang-up
        line.c_cc[VTIME] = 0;
        ok = tcsetattr(fd, TCSANOW, &line) == 0;
        if (ok && wake_[0] < 0) ok = pipe2(wake_, O_CLOEXEC | O_NONBLOCK) == 0;
        if (ok) {
            ioctl(fd, TIOCEXCL);
        } else {
            error = errno;
            tcsetattr(fd, TCSANOW, &saved_);
        }
    }
    if (!ok) {
        if (openError_) *openError_ = error;
        if (fd >= 0) ::close(fd);
        throw TransportException(TRANSPORT_ERR_OPEN, kOpenFailed);
    }
    fd_ = fd;
}

void ObexSerialSocket::Close()
{
    if (inert_) return;
    ScopedLock hold(lock_);
    if (closed_) return;
    closed_ = true;
    if (wake_[1] >= 0) {
        const char byte = 1;
        if (::write(wake_[1], &byte, 1) < 0) {
            // The pipe is never full (one byte, never read): nothing to do.
        }
    }
    // A read or write in progress is being cancelled: what it queued is dropped, not awaited.
    Release(busy_ > 0);
}

void ObexSerialSocket::Release(bool discardOutput)
{
    if (fd_ < 0) return;
    // The last answer may still be leaving: let it go before the old speed comes back. Output
    // that cannot leave (a line held up by flow control) would make close() wait; a cancel does
    // not wait for it at all. Flushing only then also keeps a pseudo-terminal's last answer,
    // which its far end may not have read yet.
    int queued = 0;
    for (int waited = 0; !discardOutput && waited < kDrainMs; waited += 10) {
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        poll(nullptr, 0, 10);
    }
    if (discardOutput || queued > 0) tcflush(fd_, TCOFLUSH);
    ioctl(fd_, TIOCNXCL);
    tcsetattr(fd_, TCSANOW, &saved_);
    ::close(fd_);  // also drops the lock on the device
    fd_ = -1;
}

int32_t ObexSerialSocket::Transfer(Direction direction, uint8_t* buffer, int32_t count)
{
    const bool reading = direction == Direction::Read;
    const char* failure = reading ? kReceiveFailed : kSendFailed;
    if (count < 0) count = 0;
    const Clock::time_point end = Clock::now() + Ms(kPerByteMs * count + kConstantMs);
    Clock::time_point last{};
    int32_t done = 0;
    for (;;) {
        int fd;
        {
            ScopedLock hold(lock_);
            if (closed_ || fd_ < 0) throw TransportException(TRANSPORT_ERR_IO, failure);
            if (count == 0) return 0;
            const size_t want = (size_t)(count - done);
            const ssize_t n = reading ? ::read(fd_, buffer + done, want)
                                      : ::write(fd_, buffer + done, want);
            if (n > 0) {
                done += (int32_t)n;
                // Done is done, even when a cancel comes right after.
                if (done == count) return done;
                last = Clock::now();
                continue;
            }
            if (n == 0 && reading) throw TransportException(TRANSPORT_ERR_IO, failure);  // hung up
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                if (IsPortGone(errno)) throw TransportException(TRANSPORT_ERR_IO, failure);
                return done;  // line errors (framing, overrun) look like a time-out, as on Windows
            }
            fd = fd_;
        }
        Clock::time_point deadline = end;
        if (reading && done > 0) deadline = std::min(end, last + Ms(kIntervalMs));
        const int64_t left = std::chrono::ceil<Ms>(deadline - Clock::now()).count();
        if (left <= 0) return done;
        pollfd waits[2] = {{fd, (short)(reading ? POLLIN : POLLOUT), 0}, {wake_[0], POLLIN, 0}};
        {
            ScopedLock hold(lock_);
            if (closed_) continue;  // reported at the top of the loop
            ++busy_;
        }
        poll(waits, 2, (int)left);
        ScopedLock hold(lock_);
        --busy_;
    }
}

bool ObexSerialSocket::SetUpLine(uint32_t speed)
{
    ScopedLock hold(lock_);
    if (closed_ || fd_ < 0 || speed == 0) return false;
    termios line;
    bool ok = tcgetattr(fd_, &line) == 0;
    if (ok) {
        line.c_cflag = (line.c_cflag & ~(tcflag_t)CSIZE) | CS8;
        ok = tcsetattr(fd_, TCSANOW, &line) == 0;
    }
    ok = SetLineSpeed(fd_, speed) && ok;
    int modemLines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd_, TIOCMBIS, &modemLines);  // a pseudo-terminal has none: not a failure
    return ok;
}

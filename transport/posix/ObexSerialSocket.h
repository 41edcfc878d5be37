// OBEX over a Linux serial device (/dev/ttyUSB0, /dev/ttyACM0, a /dev/serial/by-id link, a
// pseudo-terminal).
//
// The port is held exclusively (an advisory lock, which binds root too, and TIOCEXCL), put into
// raw 8N1 when it opens and given back with the settings it had when it closes. Reads and writes
// follow the Windows line's time-outs: a read of n bytes returns when they have arrived, 500 ms
// after the last byte, or after 10 ms a byte plus 500 ms; a write gives up after 10 ms a byte
// plus 500 ms. Close from another thread wakes a blocked read or write at once; the call then
// throws. A closed port stays closed: Open after Close fails.
#pragma once
#include <termios.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "core/Sync.h"
#include "transport/SerialLineSocket.h"

class ObexSerialSocket : public SerialLineSocket {
public:
    // `devicePath` such as "/dev/ttyUSB0"; nullptr makes an inert object that never touches a
    // device. `openError`, when given, gets the errno of the step at which each Open failed
    // (ENOENT, EACCES, EBUSY, EWOULDBLOCK from the lock, ENOTTY for a device that is no
    // terminal...), 0 when it opened.
    explicit ObexSerialSocket(const char* devicePath, std::atomic<int>* openError = nullptr);
    ~ObexSerialSocket() override;
    ObexSerialSocket(const ObexSerialSocket&) = delete;
    ObexSerialSocket& operator=(const ObexSerialSocket&) = delete;

    void Open() override;
    void Close() override;

    // The line the transfers use: `speed` bits per second (any value the driver takes), 8 data
    // bits, DTR and RTS on. False when the driver refused something; the transfers go ahead
    // regardless, as on Windows, since a line that cannot be set shows itself in the exchange.
    bool SetUpLine(uint32_t speed);

    const std::string& GetDevicePath() const { return path_; }

private:
    int32_t Transfer(Direction direction, uint8_t* buffer, int32_t count) override;
    // Under lock_: gives the line back as it was and closes it.
    void Release(bool discardOutput);

    std::string path_;
    bool inert_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};  // Close writes to [1]; blocked reads and writes also wait on [0]
    termios saved_{};
    std::atomic<int>* openError_;
    bool closed_ = false;     // guarded by lock_
    int busy_ = 0;            // reads and writes in progress, guarded by lock_
    // Keeps Close from releasing the descriptor between a check and the read or write.
    CriticalSection lock_;
};

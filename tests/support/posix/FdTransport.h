// Our transport interface over a connected file descriptor (one end of a socketpair), for the
// tests and the benchmark that put our engine next to libopenobex. Close shuts the socket down,
// which wakes a read blocked on another thread.
#pragma once
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "transport/TransportException.h"
#include "transport/ObexSocket.h"

class FdTransport : public ObexServerSocket, public ObexClientSocket {
public:
    FdTransport(int fd, int32_t maxPacket) : fd_(fd), maxPacket_(maxPacket) {}
    ~FdTransport() override
    {
        Close();
        ::close(fd_);
    }
    int32_t GetMaxPacketSize() override { return maxPacket_; }
    void Open() override {}
    void Close() override
    {
        if (!closed_.exchange(true)) ::shutdown(fd_, SHUT_RDWR);
    }
    void Accept() override {}
    void Connect() override {}
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override
    {
        for (;;) {
            if (closed_) throw TransportException(TRANSPORT_ERR_IO, "FdTransport::Receive:closed");
            ssize_t n = ::read(fd_, buffer + offset, (size_t)count);
            if (n > 0) {
                received += (uint64_t)n;
                return (int32_t)n;
            }
            if (n < 0 && errno == EINTR) continue;
            throw TransportException(TRANSPORT_ERR_IO, "FdTransport::Receive:link closed");
        }
    }
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override
    {
        for (;;) {
            if (closed_) throw TransportException(TRANSPORT_ERR_IO, "FdTransport::Send:closed");
            ssize_t n = ::send(fd_, buffer + offset, (size_t)count, MSG_NOSIGNAL);
            if (n >= 0) {
                sent += (uint64_t)n;
                return (int32_t)n;
            }
            if (errno == EINTR) continue;
            throw TransportException(TRANSPORT_ERR_IO, "FdTransport::Send:failed");
        }
    }
    std::atomic<uint64_t> sent{0}, received{0};

private:
    int fd_;
    int32_t maxPacket_;
    std::atomic<bool> closed_{false};
};

// What every serial transport shares. A serial line has no connection set-up, so the one object
// serves both roles: Accept and Connect do nothing and the exchange starts on the open port.
// Reads and writes are one loop per platform.
#pragma once
#include "transport/ObexSocket.h"

class SerialLineSocket : public ObexServerSocket, public ObexClientSocket {
public:
    static constexpr int32_t kMaxPacketSize = 8192;

    int32_t GetMaxPacketSize() override { return kMaxPacketSize; }
    void Accept() override {}
    void Connect() override {}
    // One read: what arrived before the line's time-outs, possibly 0.
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override
    {
        return Transfer(Direction::Read, buffer + offset, count);
    }
    // One write: what the driver took, possibly 0 after the write time-out.
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override
    {
        // A write does not change the buffer; the cast only lets both directions share code.
        return Transfer(Direction::Write, const_cast<uint8_t*>(buffer) + offset, count);
    }

protected:
    enum class Direction { Read, Write };
    virtual int32_t Transfer(Direction direction, uint8_t* buffer, int32_t count) = 0;
};

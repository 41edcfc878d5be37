// Transports for the engine's tests: a scripted one (bytes in, bytes captured, one thread) and
// an in-memory pair for a client and a server on two threads. Both hand over bytes in small,
// uneven pieces (and now and then none at all), as a serial line does.
#pragma once
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "transport/TransportException.h"
#include "transport/ObexSocket.h"

using Bytes = std::vector<uint8_t>;

// Uneven piece sizes: 1, 2, 3, ... up to `limit`, then again; every seventh call moves nothing.
class PieceSizer {
public:
    explicit PieceSizer(int32_t limit) : limit_(limit) {}
    int32_t Next(int32_t wanted)
    {
        ++calls_;
        if (limit_ <= 0) return wanted;
        if (calls_ % 7 == 0) return 0;
        step_ = step_ % limit_ + 1;
        return std::min(wanted, step_);
    }

private:
    int32_t limit_;
    int32_t step_ = 0;
    int64_t calls_ = 0;
};

// Plays back `input` to Receive and records everything sent; running out of input throws like a
// transport whose peer has gone.
class ScriptedTransport : public ObexServerSocket, public ObexClientSocket {
public:
    explicit ScriptedTransport(int32_t maxPacket = 8192, int32_t piece = 5)
        : maxPacket_(maxPacket), receiveSizer_(piece), sendSizer_(piece) {}

    void AddInput(const Bytes& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
    const Bytes& Sent() const { return sent_; }
    void ClearSent() { sent_.clear(); }
    size_t InputLeft() const { return input_.size() - inputPos_; }

    int32_t GetMaxPacketSize() override { return maxPacket_; }
    // Like the real transports, a closed one stays closed.
    void Open() override
    {
        if (closes) throw TransportException(TRANSPORT_ERR_OPEN, "ScriptedTransport::Open:closed");
        ++opens;
    }
    void Close() override { ++closes; }
    void Accept() override { ++accepts; }
    void Connect() override { ++connects; }
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override
    {
        if (inputPos_ >= input_.size())
            throw TransportException(TRANSPORT_ERR_IO, "ScriptedTransport::Receive:no more input");
        int32_t n = std::min<int32_t>(receiveSizer_.Next(count), (int32_t)(input_.size() - inputPos_));
        std::memcpy(buffer + offset, input_.data() + inputPos_, (size_t)n);
        inputPos_ += (size_t)n;
        return n;
    }
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override
    {
        int32_t n = sendSizer_.Next(count);
        sent_.insert(sent_.end(), buffer + offset, buffer + offset + n);
        return n;
    }

    int opens = 0, closes = 0, accepts = 0, connects = 0;

private:
    int32_t maxPacket_;
    PieceSizer receiveSizer_, sendSizer_;
    Bytes input_;
    size_t inputPos_ = 0;
    Bytes sent_;
};

// One direction of an in-memory link.
struct MemoryPipe {
    std::deque<uint8_t> bytes;
    bool writerGone = false;
    uint64_t total = 0;
};

// Two ends share one lock; each end reads its own pipe and writes the other's.
class MemoryLink {
public:
    std::mutex lock;
    std::condition_variable changed;
    MemoryPipe pipes[2];
};

class MemoryEnd : public ObexServerSocket, public ObexClientSocket {
public:
    MemoryEnd(std::shared_ptr<MemoryLink> link, int side, int32_t maxPacket, int32_t piece)
        : link_(std::move(link)), side_(side), maxPacket_(maxPacket), sizer_(piece) {}
    ~MemoryEnd() override { Close(); }

    int32_t GetMaxPacketSize() override { return maxPacket_; }
    void Open() override { CheckOpen("MemoryEnd::Open", TRANSPORT_ERR_OPEN); }
    // Safe from any thread: wakes a blocked call on this end, which then throws, and lets the
    // peer's reads fail once the bytes already sent are used up.
    void Close() override
    {
        std::lock_guard<std::mutex> g(link_->lock);
        if (closed_) return;
        closed_ = true;
        link_->pipes[1 - side_].writerGone = true;
        link_->changed.notify_all();
    }
    void Accept() override { CheckOpen("MemoryEnd::Accept"); }
    void Connect() override { CheckOpen("MemoryEnd::Connect"); }
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override
    {
        std::unique_lock<std::mutex> g(link_->lock);
        MemoryPipe& in = link_->pipes[side_];
        link_->changed.wait(g, [&] { return closed_ || !in.bytes.empty() || in.writerGone; });
        if (closed_) throw TransportException(TRANSPORT_ERR_IO, "MemoryEnd::Receive:closed");
        if (in.bytes.empty()) throw TransportException(TRANSPORT_ERR_IO, "MemoryEnd::Receive:peer closed");
        int32_t n = std::min<int32_t>(sizer_.Next(count), (int32_t)in.bytes.size());
        std::copy(in.bytes.begin(), in.bytes.begin() + n, buffer + offset);
        in.bytes.erase(in.bytes.begin(), in.bytes.begin() + n);
        return n;
    }
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override
    {
        std::lock_guard<std::mutex> g(link_->lock);
        if (closed_) throw TransportException(TRANSPORT_ERR_IO, "MemoryEnd::Send:closed");
        int32_t n = sizer_.Next(count);
        MemoryPipe& out = link_->pipes[1 - side_];
        out.bytes.insert(out.bytes.end(), buffer + offset, buffer + offset + n);
        out.total += (uint64_t)n;
        link_->changed.notify_all();
        return n;
    }
    uint64_t BytesSent()
    {
        std::lock_guard<std::mutex> g(link_->lock);
        return link_->pipes[1 - side_].total;
    }

private:
    void CheckOpen(const char* what, int32_t code = TRANSPORT_ERR_CONNECT)
    {
        std::lock_guard<std::mutex> g(link_->lock);
        if (closed_) throw TransportException(code, what);
    }

    std::shared_ptr<MemoryLink> link_;
    int side_;
    int32_t maxPacket_;
    PieceSizer sizer_;
    bool closed_ = false;
};

struct MemoryPair {
    MemoryPair(int32_t clientMax, int32_t serverMax, int32_t piece = 7)
        : link(std::make_shared<MemoryLink>()),
          client(link, 0, clientMax, piece),
          server(link, 1, serverMax, piece + 4) {}
    std::shared_ptr<MemoryLink> link;
    MemoryEnd client;
    MemoryEnd server;
};

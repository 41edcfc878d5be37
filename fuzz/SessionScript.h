// The phone of the session fuzz targets: a transport that plays the fuzzer's input as what the
// phone sends, and the transfer's surroundings around it (a factory for that transport and a
// dialog that only counts what it is shown).
//
// Input, after the targets' own first byte: records, each a 16-bit big-endian length n and then
// n bytes the phone sends as they are (OBEX framing included, so broken framing is reachable);
// n = 0xFFFF instead repeats the previous record as many times as the next 16-bit number says.
// At most kMaxPlayed bytes are played, then the phone is gone, as when input runs out.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/TransferUi.h"
#include "transport/TransportException.h"

namespace fuzz_session {

constexpr uint64_t kMaxPlayed = 256u << 10;

class Script {
public:
    Script(const uint8_t* data, size_t size)
    {
        size_t at = 0;
        while (at + 2 <= size) {
            const uint32_t n = (uint32_t)data[at] << 8 | data[at + 1];
            at += 2;
            if (n == 0xFFFF) {
                if (at + 2 > size) break;
                if (!records_.empty()) records_.back().times += (uint32_t)data[at] << 8 | data[at + 1];
                at += 2;
                continue;
            }
            const uint32_t take = (uint32_t)std::min<size_t>(n, size - at);
            records_.push_back(Record{data + at, take, 1});
            at += take;
        }
    }

    // Up to `count` of the next bytes; 0 when the script is over.
    int32_t Play(uint8_t* out, int32_t count)
    {
        // Past a record played in full: again while it is to be repeated, else the next one.
        while (record_ < records_.size() && offset_ == records_[record_].length) {
            offset_ = 0;
            if (++played_ >= records_[record_].times || records_[record_].length == 0) {
                ++record_;
                played_ = 0;
            }
        }
        if (record_ == records_.size() || total_ >= kMaxPlayed) return 0;
        const Record& r = records_[record_];
        const int32_t n = (int32_t)std::min<uint32_t>((uint32_t)count, r.length - offset_);
        std::memcpy(out, r.bytes + offset_, (size_t)n);
        offset_ += (uint32_t)n;
        total_ += (uint64_t)n;
        return n;
    }

private:
    struct Record {
        const uint8_t* bytes;
        uint32_t length;
        uint32_t times;  // played this often in a row
    };
    std::vector<Record> records_;
    size_t record_ = 0;
    uint32_t played_ = 0;  // times the current record has been played in full
    uint32_t offset_ = 0;
    uint64_t total_ = 0;
};

// The program's end of the line; the phone is the script.
class Phone : public ObexServerSocket, public ObexClientSocket {
public:
    Phone(Script& script, int32_t maxPacket) : script_(script), maxPacket_(maxPacket) {}
    int32_t GetMaxPacketSize() override { return maxPacket_; }
    void Open() override {}
    void Close() override { closed_ = true; }
    void Accept() override { Check("Phone::Accept"); }
    void Connect() override { Check("Phone::Connect"); }
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override
    {
        Check("Phone::Receive");
        ++receives;
        const int32_t n = script_.Play(buffer + offset, count);
        if (n == 0) throw TransportException(TRANSPORT_ERR_IO, "Phone::Receive:gone");
        return n;
    }
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override
    {
        Check("Phone::Send");
        // Taken whole, so each call is one packet: its first byte is the response code.
        if (count > 0) answers.push_back(buffer[offset]);
        return count;
    }
    static inline int64_t receives = 0;
    static inline std::vector<uint8_t> answers;  // what the phone heard, a code per packet

private:
    void Check(const char* what)
    {
        if (closed_) throw TransportException(TRANSPORT_ERR_IO, what);
    }
    Script& script_;
    int32_t maxPacket_;
    bool closed_ = false;
};

class Transports : public TransportFactory {
public:
    Transports(Script& script, bool serial) : script_(script), serial_(serial) {}
    bool IsSerial() const override { return serial_; }
    std::unique_ptr<ObexServerSocket> CreateServerSocket() override { return Make(); }
    std::unique_ptr<ObexClientSocket> CreateClientSocket() override { return Make(); }
    void SetUpLine(ObexSocket&) override {}
    std::string PeerName(ObexSocket&) override { return serial_ ? "" : "P900i"; }
    void Pause(uint32_t) override {}

private:
    std::unique_ptr<Phone> Make() { return std::make_unique<Phone>(script_, serial_ ? 8192 : 2048); }
    Script& script_;
    bool serial_;
};

class CountingUi : public TransferUi {
public:
    void SetStatus(const std::string& text) override { status = text; }
    void SetCaption(const std::string& text) override { caption = text; }
    void EnableButton(bool) override {}
    void SetButtonText(const std::string&) override {}
    void SetTransferActive(bool) override {}
    void ReportProgress(uint32_t done, uint32_t total) override
    {
        ++progress;
        lastDone = done;
        lastTotal = total;
    }
    void Done(bool) override {}
    std::string status, caption;
    int64_t progress = 0;
    uint32_t lastDone = 0, lastTotal = 0;
};

}  // namespace fuzz_session

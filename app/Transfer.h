// The state a transfer worker owns and its progress dialog may cancel, and the two transfers:
// receiving one object from a phone and sending one to it.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BodyCollector.h"
#include "app/TransferSeams.h"
#include "app/TransferTexts.h"
#include "core/Sync.h"
#include "formats/ImageManager.h"
#include "formats/ProgressSink.h"
#include "formats/VNoteReader.h"
#include "formats/VNoteWriter.h"
#include "core/ByteBuffer.h"
#include "obex/ObexObject.h"

class TransferState : public ProgressSink {
public:
    TransferState(Direction direction, TransferUi& ui, TransportFactory& transports);
    ~TransferState() override;
    TransferState(const TransferState&) = delete;
    TransferState& operator=(const TransferState&) = delete;

    // Worker thread: shows the phase's text and, over infrared, names the phone in the caption.
    void SetPhase(int32_t phase) override;
    int32_t GetPhase() const { return phase_; }
    int32_t GetTransportKind() const { return transportKind_; }

    // User-interface thread: closes the active transport, so that the call blocked on it fails
    // and Run ends with a failure. Does nothing before a transport exists or after it is gone.
    void Cancel();

protected:
    // Run's bracket around the transport: the transport is active (cancellable) from its
    // creation until it is released, and released on every path.
    template <typename Socket>
    struct ActiveTransport {
        ActiveTransport(TransferState& state, std::unique_ptr<Socket> socket);
        ~ActiveTransport();
        TransferState& state;
        std::unique_ptr<Socket> socket;
    };
    // A transport made active after a cancel is closed at once, so that the cancel still ends
    // the transfer when it came before the transport existed.
    void SetActive(ObexSocket* transport);
    bool IsCancelled();
    // Applies the line set-up and records the transport kind.
    void SetUpLine(ObexSocket& transport);

    Direction direction_;
    TransferUi& ui_;
    TransportFactory& transports_;
    std::atomic<int32_t> phase_{PHASE_NONE};

private:
    CriticalSection lock_;
    ObexSocket* activeTransport_ = nullptr;  // guarded by lock_; not owned
    bool cancelled_ = false;                 // guarded by lock_
    int32_t transportKind_ = TRANSPORT_NONE;
};

// The collected body of a PUT; reports to the dialog what each packet brought. A packet of many
// Body headers is reported once, and a packet that brought nothing not at all, so a phone
// cannot make the worker and the dialog trade a message per empty header.
class ProgressBodyReceiver : public ObexBodyReceiver {
public:
    explicit ProgressBodyReceiver(TransferUi& ui) : ui_(ui) {}
    void Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool endOfBody) override;
    // After the request: reports what came after the last report, if anything.
    void Flush(ObexObject* owner);
    BodyCollector& Body() { return body_; }

private:
    TransferUi& ui_;
    BodyCollector body_{kMaxReceivedObject};
    bool reported_ = false;
    uint32_t reportedDone_ = 0, reportedTotal_ = 0;
};

// The bytes to send; reports how far it has got before each piece it hands out.
class ProgressBodySource : public MemoryBodySource {
public:
    ProgressBodySource(TransferUi& ui, const void* data, uint32_t size)
        : MemoryBodySource(data, size), ui_(ui) {}
    int32_t Read(ObexObject* owner, uint8_t* buffer, int32_t maximum) override;

private:
    TransferUi& ui_;
};

class ReceiveTransfer : public TransferState {
public:
    ReceiveTransfer(TransferUi& ui, TransportFactory& transports)
        : TransferState(Direction::Receive, ui, transports) {}
    // Waits for a phone, takes one PUT and its DISCONNECT and reads the object. 0 with the
    // object in Received(), or a receive result with nothing kept.
    int32_t Run();
    void Reset() { received_.Reset(); }
    const ReceivedObject& Received() const { return received_; }

private:
    ReceivedObject received_;
};

class SendTransfer : public TransferState {
public:
    SendTransfer(TransferUi& ui, TransportFactory& transports)
        : TransferState(Direction::Send, ui, transports) {}
    // Builds the phone object and PUTs it. 0, or a send result.
    int32_t Run();
    void Reset() { job_.Reset(); picture_.reset(); }
    // The job's fields; its picture is set through SetPicture only.
    SendJob& Job() { return job_; }
    // A decoded picture of the body that the transfer owns, so that nothing the view frees can
    // pull it away from the writer.
    void SetPicture(std::unique_ptr<Zorvex::ImageManager> picture);

private:
    SendJob job_;
    std::unique_ptr<Zorvex::ImageManager> picture_;
};

// Stops the service, when it runs, for the life of the bracket and starts it again afterwards.
// Service failures only change the status line; the transfer goes ahead.
class InfraredMonitorBracket {
public:
    // `monitor` nullptr: over a serial port, nothing to do.
    InfraredMonitorBracket(InfraredMonitor* monitor, TransferUi& ui, TransportFactory& timing);
    // The second half: restarts the service if the first half stopped it.
    void Restore();

private:
    InfraredMonitor* monitor_;
    TransferUi& ui_;
    TransportFactory& timing_;
    bool wasRunning_ = false;
};

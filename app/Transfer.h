// The state a transfer worker owns and its progress dialog may cancel, and the two transfers:
// receiving one object from a phone and sending one to it.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BodyCollector.h"
#include "app/TransferRequest.h"
#include "app/TransferUi.h"
#include "app/ProgressTexts.h"
#include "core/Sync.h"
#include "core/Watchdog.h"
#include "formats/ImageManager.h"
#include "formats/ProgressSink.h"
#include "formats/VNoteReader.h"
#include "formats/VNoteWriter.h"
#include "core/ByteBuffer.h"
#include "obex/ObexObject.h"
#include "obex/ObexServer.h"

// A transfer's cancellation, shared by its worker and whoever may cancel it. Once given it stays
// given: it closes the transport the transfer uses at that moment and any transport made later as
// soon as it is made, so that a cancel ends the transfer at whatever moment it comes.
class CancelSignal {
public:
    CancelSignal() = default;
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;

    // Any thread.
    void Cancel();
    bool IsCancelled() const;
    // Worker: the transport the transfer uses from now on (not owned), nullptr before it goes.
    void SetActive(ObexSocket* transport);
    // Worker: while set, a cancel calls `soft` instead of closing the transport at once, so that
    // the transfer can end itself (an ABORT to the phone); nullptr: closing again.
    void SetSoftCancel(std::function<void()> soft);
    // Closes the active transport now, whatever a soft cancel would do.
    void CloseActive();
    // Calls `use` with the active transport (or nullptr) while nobody can close or clear it.
    template <typename Use>
    void WithActive(Use&& use)
    {
        ScopedLock hold(lock_);
        use(active_);
    }

private:
    mutable CriticalSection lock_;
    ObexSocket* active_ = nullptr;  // guarded by lock_
    bool cancelled_ = false;        // guarded by lock_
    std::function<void()> soft_;    // guarded by lock_
};

class TransferState : public ProgressSink {
public:
    TransferState(Direction direction, TransferUi& ui, TransportFactory& transports,
                  CancelSignal& cancel);
    ~TransferState() override;
    TransferState(const TransferState&) = delete;
    TransferState& operator=(const TransferState&) = delete;

    // Worker thread: shows the phase's text and, over infrared, names the phone in the caption.
    void SetPhase(int32_t phase) override;
    int32_t GetPhase() const { return phase_; }
    int32_t GetTransportKind() const { return transportKind_; }
    // How long a phone may take to connect, and stay silent in the middle of the transfer
    // (0: for ever). Past a limit the line is closed, and the step that waited fails as on a
    // line that went dead.
    void SetLimits(uint32_t connectMs, uint32_t silenceMs)
    {
        connectLimitMs_ = connectMs;
        silenceLimitMs_ = silenceMs;
    }

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
    // Applies the line set-up and records the transport kind.
    void SetUpLine(ObexSocket& transport);
    // The infrared phone's device name once a link is up; empty over a serial line.
    std::string PeerName();

    Direction direction_;
    TransferUi& ui_;
    TransportFactory& transports_;
    CancelSignal& cancel_;
    std::atomic<int32_t> phase_{PHASE_NONE};
    uint32_t connectLimitMs_ = 0, silenceLimitMs_ = 0;
    Watchdog limit_{[this] { cancel_.CloseActive(); }};

private:
    std::atomic<int32_t> transportKind_{TRANSPORT_NONE};
};

// The collected body of a request; reports to the dialog what each packet brought. A packet of
// many Body headers is reported once, and a packet that brought nothing not at all, so a phone
// cannot make the worker and the dialog trade a message per empty header. Only a PUT brings an
// object: any other request may carry a little body, no more.
class ProgressBodyReceiver : public ObexBodyReceiver {
public:
    // `state` is told when an object's body starts to come, also after an earlier object.
    ProgressBodyReceiver(TransferUi& ui, ObexServer& server, TransferState& state)
        : ui_(ui), server_(server), state_(state) {}
    void Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool endOfBody) override;
    // After the request: reports what came after the last report, if anything.
    void Flush(ObexObject* owner);
    BodyCollector& Body() { return body_; }

private:
    TransferUi& ui_;
    ObexServer& server_;
    TransferState& state_;
    BodyCollector body_{kMaxReceivedObject};
    bool reported_ = false;
    uint32_t reportedDone_ = 0, reportedTotal_ = 0;
};

// Thrown out of the engine, between two packets of a PUT, when the send is to end with ABORT.
struct AbortRequested {};

// The bytes to send; reports how far it has got before each piece it hands out.
class ProgressBodySource : public MemoryBodySource {
public:
    ProgressBodySource(TransferUi& ui, const void* data, uint32_t size)
        : MemoryBodySource(data, size), ui_(ui) {}
    int32_t Read(ObexObject* owner, uint8_t* buffer, int32_t maximum) override;
    // From then on a piece asked for while `*stop` is set throws AbortRequested.
    void StopWhen(const std::atomic<bool>* stop) { stop_ = stop; }

private:
    TransferUi& ui_;
    const std::atomic<bool>* stop_ = nullptr;
};

// One object a phone pushed, whole, before it is answered.
struct IncomingObject {
    std::string name;           // the PUT's Name header (Shift_JIS); empty when it had none
    int32_t time = 0;           // its Time header; 0 when none
    std::string peer;           // the phone's device name over infrared; empty when unknown
    std::vector<uint8_t> raw;   // the body as it came, when the transfer keeps it (KeepRaw)
    // 0, or the receive result that refuses the object before any sink sees it: the reader's,
    // a kind the program does not keep, content that is not what its label says.
    int32_t refusal = 0;
    ReceivedObject object;      // what the reader made of it, when `refusal` is 0
};

// Where a receive puts the objects it takes. Called on the worker for each PUT, before the phone
// hears anything: the phone is told "delivered" only for what the sink has kept.
class ReceivedObjectSink {
public:
    virtual ~ReceivedObjectSink() = default;
    // 0 once the object is safely kept (the phone then hears SUCCESS), else the receive result
    // that refuses it. An object with a refusal is refused whatever this returns; the sink may
    // still keep its raw bytes. The sink may take what it wants out of `incoming`.
    virtual int32_t Take(IncomingObject& incoming) = 0;
};

class ReceiveTransfer : public TransferState {
public:
    ReceiveTransfer(TransferUi& ui, TransportFactory& transports, CancelSignal& cancel,
                    ReceivedObjectSink& sink)
        : TransferState(Direction::Receive, ui, transports, cancel), sink_(sink) {}
    // Waits for a phone and takes what it pushes in one session (PUT, PUT, ..., DISCONNECT),
    // each object checked and handed to the sink before it is answered, until the phone
    // disconnects, stays quiet after an answer, or the line ends. 0 when the sink kept an object,
    // whatever came after it; else the result of the first refusal, or of the failure.
    int32_t Run();
    uint32_t Kept() const { return kept_; }
    uint32_t Refused() const { return refused_; }
    void KeepRaw(bool keep) { keepRaw_ = keep; }
    // Silence tolerated after an answer (default kQuietAfterAnswerMs).
    void SetQuietAfterAnswer(uint32_t milliseconds) { quietAfterAnswerMs_ = milliseconds; }

private:
    // Checks and hands one whole PUT to the sink; the receive result that refuses it, or 0.
    int32_t CheckAndHandOver(ObexServer& server, std::vector<uint8_t> body);

    ReceivedObjectSink& sink_;
    uint32_t kept_ = 0, refused_ = 0;
    bool keepRaw_ = false;
    uint32_t quietAfterAnswerMs_ = kQuietAfterAnswerMs;
};

class SendTransfer : public TransferState {
public:
    SendTransfer(TransferUi& ui, TransportFactory& transports, CancelSignal& cancel)
        : TransferState(Direction::Send, ui, transports, cancel) {}
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

// Stops the service, when it runs, for the life of the bracket and starts it again when the
// bracket ends (at the latest when it is destroyed, on every path). Service failures only change
// the status line; the transfer goes ahead.
class InfraredMonitorBracket {
public:
    // `monitor` nullptr: over a serial port, nothing to do.
    InfraredMonitorBracket(InfraredMonitor* monitor, TransferUi& ui, TransportFactory& timing);
    ~InfraredMonitorBracket();
    InfraredMonitorBracket(const InfraredMonitorBracket&) = delete;
    InfraredMonitorBracket& operator=(const InfraredMonitorBracket&) = delete;
    // The second half: restarts the service if the first half stopped it. Once only.
    void Restore() noexcept;

private:
    InfraredMonitor* monitor_;
    TransferUi& ui_;
    TransportFactory& timing_;
    bool wasRunning_ = false;
};

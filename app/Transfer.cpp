#include "app/Transfer.h"

#include <algorithm>

#include "app/ViewContent.h"
#include "core/Watchdog.h"
#include "obex/ObexClient.h"
#include "obex/ObexException.h"
#include "transport/TransportException.h"

namespace {

constexpr int32_t kResponseSuccess = 0x20;
constexpr uint32_t kConnectRetryMs = 100;
constexpr uint32_t kServiceSettleMs = 500;
// How long a phone has to answer the ABORT of a cancelled send.
constexpr uint32_t kAbortGraceMs = 2000;
// Body bytes the program takes where it uses none (a DISCONNECT, the phone's answers when
// sending) before it refuses the exchange.
constexpr uint32_t kIgnoredBodyLimit = 64u << 10;

// A refusal or an unexpected request ends Run with a result of its own.
struct Failure {
    int32_t result;
};

}  // namespace

// --- Cancellation -------------------------------------------------------------------------------

void CancelSignal::Cancel()
{
    ScopedLock hold(lock_);
    cancelled_ = true;
    if (soft_) soft_();
    else if (active_) active_->Close();
}

void CancelSignal::SetSoftCancel(std::function<void()> soft)
{
    ScopedLock hold(lock_);
    soft_ = std::move(soft);
}

void CancelSignal::CloseActive()
{
    ScopedLock hold(lock_);
    if (active_) active_->Close();
}

bool CancelSignal::IsCancelled() const
{
    ScopedLock hold(lock_);
    return cancelled_;
}

void CancelSignal::SetActive(ObexSocket* transport)
{
    ScopedLock hold(lock_);
    active_ = transport;
    // A transport that stays closed makes the engine's Open, and every call after it, fail.
    if (transport && cancelled_) transport->Close();
}

// --- TransferState ------------------------------------------------------------------------------

TransferState::TransferState(Direction direction, TransferUi& ui, TransportFactory& transports,
                             CancelSignal& cancel)
    : direction_(direction), ui_(ui), transports_(transports), cancel_(cancel)
{
}

TransferState::~TransferState() = default;

void TransferState::SetPhase(int32_t phase)
{
    phase_ = phase;
    if (const char* text = PhaseText(direction_, phase)) ui_.SetStatus(text);
    const std::string name = PeerName();
    if (!name.empty()) ui_.SetCaption(DeviceCaption(direction_, name.c_str()));
}

std::string TransferState::PeerName()
{
    std::string name;
    cancel_.WithActive([&](ObexSocket* active) {
        if (active && transportKind_ == TRANSPORT_IRDA) name = transports_.PeerName(*active);
    });
    return name;
}

void TransferState::SetUpLine(ObexSocket& transport)
{
    transportKind_ = transports_.IsSerial() ? TRANSPORT_SERIAL : TRANSPORT_IRDA;
    transports_.SetUpLine(transport);
}

template <typename Socket>
TransferState::ActiveTransport<Socket>::ActiveTransport(TransferState& owner,
                                                        std::unique_ptr<Socket> created)
    : state(owner), socket(std::move(created))
{
    state.cancel_.SetActive(socket.get());
}

template <typename Socket>
TransferState::ActiveTransport<Socket>::~ActiveTransport()
{
    // Cleared before the transport goes, so that a cancel never meets a destroyed one.
    state.cancel_.SetActive(nullptr);
}

// --- Body receiver and source -------------------------------------------------------------------

void ProgressBodyReceiver::Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool)
{
    const uint32_t total = owner ? owner->GetLength() : 0;
    // The server answers Request Entity Too Large before the failure goes on.
    if (length > 0 && (server_.GetOperation() | OBEX_FINAL_BIT) != OBEX_OP_PUT &&
        (uint32_t)length > kIgnoredBodyLimit - std::min(kIgnoredBodyLimit, body_.GetSize())) {
        ObexFail(OBEX_ERR_TOO_LARGE, "ReceiveRequest:受信するオブジェクトが大きすぎます。");
    }
    if (length > 0 && state_.GetPhase() != PHASE_TRANSFERRING) state_.SetPhase(PHASE_TRANSFERRING);
    if (length > 0) body_.Append(data, (uint32_t)length, total);
    // More headers follow in this packet: its report waits for them.
    if (owner && owner->GetReadPosition() < owner->GetReceivedPacketLength()) return;
    Flush(owner);
}

void ProgressBodyReceiver::Flush(ObexObject* owner)
{
    if ((server_.GetOperation() | OBEX_FINAL_BIT) != OBEX_OP_PUT) return;  // no object, nothing to show
    const uint32_t done = body_.GetSize(), total = owner ? owner->GetLength() : 0;
    if (reported_ && done == reportedDone_ && total == reportedTotal_) return;
    reported_ = true;
    reportedDone_ = done, reportedTotal_ = total;
    ui_.ReportProgress(done, total);
}

int32_t ProgressBodySource::Read(ObexObject* owner, uint8_t* buffer, int32_t maximum)
{
    // Between two packets: where the PUT can be ended with an ABORT.
    if (stop_ && *stop_) throw AbortRequested{};
    ui_.ReportProgress(GetPosition(), GetSize());
    return MemoryBodySource::Read(owner, buffer, maximum);
}

// --- Receive ------------------------------------------------------------------------------------

int32_t ReceiveTransfer::CheckAndHandOver(ObexServer& server, std::vector<uint8_t> body)
{
    SetPhase(PHASE_UNPACKING);
    IncomingObject incoming;
    if (const char* name = server.GetName()) incoming.name = name;
    incoming.time = server.GetTime();
    incoming.peer = PeerName();
    ReceivedObject& object = incoming.object;
    incoming.refusal = ParseReceivedObject(body.data(), (uint32_t)body.size(),
                                           server.GetName(),
                                           incoming.time ? &incoming.time : nullptr, &object);
    if (keepRaw_) incoming.raw = std::move(body);  // the object as it came, not a copy
    std::vector<uint8_t>().swap(body);
    // A kind the PC does not keep, or a picture that is not what its label says, is refused
    // before the phone could report it as delivered.
    if (incoming.refusal == 0 && !IsTransferableKind(object.kind)) {
        incoming.refusal = RECEIVE_KIND_REFUSED;
    }
    if (incoming.refusal == 0 && IsPictureKind(object.kind) &&
        !ContentMatchesKind(object.kind, object.body.data(), (uint32_t)object.body.size())) {
        incoming.refusal = RECEIVE_CONTENT_REFUSED;
    }
    const int32_t refusal = incoming.refusal;
    const int32_t taken = sink_.Take(incoming);
    return refusal != 0 ? refusal : taken;
}

int32_t ReceiveTransfer::Run()
{
    SetPhase(PHASE_INITIALISING);
    kept_ = refused_ = 0;
    SetPhase(PHASE_STARTING);
    int32_t result = RECEIVE_NO_PORT, firstRefusal = 0;
    bool disconnected = false;
    try {
        ActiveTransport<ObexServerSocket> active(*this, transports_.CreateServerSocket());
        ObexServer server(active.socket.get());
        SetUpLine(*active.socket);

        SetPhase(PHASE_CONNECTING);
        result = RECEIVE_CONNECT_FAILED;
        limit_.Arm(connectLimitMs_);
        server.Accept();
        server.SetActivityHook([this] { limit_.Kick(); });
        limit_.Arm(silenceLimitMs_);
        SetPhase(PHASE_TRANSFERRING);

        // Each request: a PUT brings an object, a DISCONNECT ends the session.
        for (;;) {
            result = RECEIVE_LINK_LOST;
            server.SetReceiveLimit(kMaxReceivedObject);
            std::vector<uint8_t> body;
            {
                ProgressBodyReceiver receiver(ui_, server, *this);
                server.SetBodyReceiver(&receiver);
                server.ReceiveRequest();
                receiver.Flush(&server);
                body = receiver.Body().Take();
            }
            const int32_t operation = server.GetOperation();
            if (operation == OBEX_OP_DISCONNECT) {
                server.SendResponse(kResponseSuccess);
                disconnected = true;
                break;
            }
            if (operation != (OBEX_OP_PUT | OBEX_FINAL_BIT)) {
                server.SendResponse(OBEX_RSP_BAD_REQUEST & 0x7F);
                throw Failure{RECEIVE_BAD_REQUEST};
            }
            const int32_t refusal = CheckAndHandOver(server, std::move(body));
            if (refusal == 0) {
                ++kept_;
            } else {
                ++refused_;
                if (firstRefusal == 0) firstRefusal = refusal;
            }
            result = RECEIVE_LINK_LOST;
            server.SendResponse(refusal == 0 ? kResponseSuccess : RefusalResponse(refusal) & 0x7F);
            SetPhase(PHASE_DISCONNECTING);
            // A phone that got its answer says goodbye, or pushes another object, at once.
            limit_.Arm(silenceLimitMs_ == 0 ? quietAfterAnswerMs_
                                            : std::min(silenceLimitMs_, quietAfterAnswerMs_));
        }
        result = RECEIVE_RELEASE_FAILED;  // releasing cannot fail: destructors do not throw
    } catch (const Failure& failure) {
        result = failure.result;
    } catch (const ZvError& e) {
        // `result` names the step that failed, unless the phone overran a bound.
        if (e.GetCode() == OBEX_ERR_TOO_LARGE) result = RECEIVE_BAD_DATA;
        if (e.GetCode() == OBEX_ERR_NO_PROGRESS) result = RECEIVE_BAD_REQUEST;
    }
    limit_.Disarm();
    // What the phone heard "delivered" for is kept, whatever came after it: silence, a dropped
    // line, a cancel, another object.
    if (kept_ > 0) {
        SetPhase(PHASE_FINISHED);
        return RECEIVE_OK;
    }
    if (firstRefusal != 0) result = firstRefusal;
    else if (disconnected) result = RECEIVE_BAD_REQUEST;  // a session without an object
    SetPhase(PHASE_FAILED);
    return result;
}

// --- Send ---------------------------------------------------------------------------------------

void SendTransfer::SetPicture(std::unique_ptr<Zorvex::ImageManager> picture)
{
    picture_ = std::move(picture);
    job_.picture = picture_.get();
}

int32_t SendTransfer::Run()
{
    std::unique_ptr<OutgoingObject> object;
    const int32_t built = BuildOutgoingObject(job_, this, &object);
    if (built != 0) return built;

    int32_t result = SEND_NO_PORT;
    bool completed = false;
    try {
        ByteBuffer& bytes = object->body;
        ProgressBodySource source(ui_, bytes.GetData(), bytes.GetSize());
        ActiveTransport<ObexClientSocket> active(*this, transports_.CreateClientSocket());
        ObexClient client(active.socket.get());
        SetUpLine(*active.socket);

        SetPhase(PHASE_CONNECTING);
        result = SEND_NO_PEER;
        limit_.Arm(connectLimitMs_);
        for (;;) {
            try {
                client.Connect();
                break;
            } catch (const ZvError& e) {
                // No phone in range yet: look again until one answers or the user cancels.
                if (e.GetCode() != TRANSPORT_ERR_NO_DEVICE || cancel_.IsCancelled()) throw;
            }
            transports_.Pause(kConnectRetryMs);
        }

        client.SetActivityHook([this] { limit_.Kick(); });
        limit_.Arm(silenceLimitMs_);

        SetPhase(PHASE_TRANSFERRING);
        client.SetReceiveLimit(kIgnoredBodyLimit);
        client.SetName(object->name.c_str());
        if (object->type) client.SetType(object->type->c_str());
        if (job_.time != 0) client.SetTime(job_.time);
        client.SetBodySource(&source);
        client.SetLength(source.GetSize());
        client.SetOperation(OBEX_OP_PUT | OBEX_FINAL_BIT);
        result = SEND_LINK_LOST;
        {
            // A cancel in the middle of the PUT tells the phone with an ABORT, so that it does
            // not wait for the rest; a phone that does not take the ABORT soon is hung up on.
            std::atomic<bool> stop{false};
            Watchdog grace([this] { cancel_.CloseActive(); });
            struct SoftCancel {
                CancelSignal& cancel;
                ~SoftCancel() { cancel.SetSoftCancel(nullptr); }
            } soft{cancel_};
            cancel_.SetSoftCancel([&] {
                stop = true;
                grace.Arm(kAbortGraceMs);
            });
            source.StopWhen(&stop);
            try {
                client.SendRequest();
            } catch (const AbortRequested&) {
                client.Abort();
                throw Failure{SEND_LINK_LOST};
            } catch (const ZvError& e) {
                // The engine throws on a refusing answer: the phone's refusal, not a lost link.
                if (e.GetCode() == OBEX_ERR_REFUSED) throw Failure{SEND_REFUSED_BY_PHONE};
                throw;
            }
        }
        if (client.GetResponseCode() != kResponseSuccess) throw Failure{SEND_REFUSED_BY_PHONE};

        SetPhase(PHASE_DISCONNECTING);
        client.SetOperation(OBEX_OP_DISCONNECT);
        result = SEND_REFUSED_BY_PHONE;
        client.SendRequest();
        if (client.GetResponseCode() != kResponseSuccess) throw Failure{SEND_REFUSED_BY_PHONE};
        completed = true;
        result = SEND_RELEASE_FAILED;  // releasing cannot fail: destructors do not throw
    } catch (const Failure& failure) {
        result = failure.result;
    } catch (const ZvError&) {
        // `result` names the step that failed.
    }
    limit_.Disarm();
    if (!completed) {
        SetPhase(PHASE_FAILED);
        return result;
    }
    SetPhase(PHASE_FINISHED);
    return SEND_OK;
}

// --- Infrared Monitor -----------------------------------------------------------------------------

InfraredMonitorBracket::InfraredMonitorBracket(InfraredMonitor* monitor, TransferUi& ui,
                                               TransportFactory& timing)
    : monitor_(monitor), ui_(ui), timing_(timing)
{
    if (!monitor_) return;
    try {
        wasRunning_ = monitor_->IsRunning();
        if (wasRunning_) {
            ui_.SetStatus("Infrared Monitorサービスを停止中です。");
            monitor_->Stop();
            timing_.Pause(kServiceSettleMs);
            ui_.SetStatus("Infrared Monitorサービスを停止しました。");
        }
    } catch (const ServiceError&) {
        ui_.SetStatus("Infrared Monitorサービスの操作に失敗しました。");
    }
}

InfraredMonitorBracket::~InfraredMonitorBracket()
{
    Restore();
}

void InfraredMonitorBracket::Restore() noexcept
{
    if (!monitor_ || !wasRunning_) return;
    wasRunning_ = false;
    // The service is started again whatever becomes of the status line.
    auto say = [this](const char* text) {
        try {
            ui_.SetStatus(text);
        } catch (...) {
        }
    };
    say("Infrared Monitorサービスを開始中です。");
    try {
        timing_.Pause(kServiceSettleMs);
        monitor_->Start();
        say("Infrared Monitorサービスを開始しました。");
    } catch (...) {
        say("Infrared Monitorサービスの開始に失敗しました。");
    }
}

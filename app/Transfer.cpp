#include "app/Transfer.h"

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "transport/TransportException.h"

namespace {

constexpr int32_t kResponseSuccess = 0x20;
constexpr uint32_t kConnectRetryMs = 100;
constexpr uint32_t kServiceSettleMs = 500;
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
    std::string name;
    cancel_.WithActive([&](ObexSocket* active) {
        if (active && transportKind_ == TRANSPORT_IRDA) name = transports_.PeerName(*active);
    });
    if (!name.empty()) ui_.SetCaption(DeviceCaption(direction_, name.c_str()));
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
    if (length > 0) body_.Append(data, (uint32_t)length, total);
    // More headers follow in this packet: its report waits for them.
    if (owner && owner->GetReadPosition() < owner->GetReceivedPacketLength()) return;
    Flush(owner);
}

void ProgressBodyReceiver::Flush(ObexObject* owner)
{
    const uint32_t done = body_.GetSize(), total = owner ? owner->GetLength() : 0;
    if (reported_ && done == reportedDone_ && total == reportedTotal_) return;
    reported_ = true;
    reportedDone_ = done, reportedTotal_ = total;
    ui_.ReportProgress(done, total);
}

int32_t ProgressBodySource::Read(ObexObject* owner, uint8_t* buffer, int32_t maximum)
{
    ui_.ReportProgress(GetPosition(), GetSize());
    return MemoryBodySource::Read(owner, buffer, maximum);
}

// --- Receive ------------------------------------------------------------------------------------

int32_t ReceiveTransfer::Run()
{
    SetPhase(PHASE_INITIALISING);
    Reset();
    SetPhase(PHASE_STARTING);
    int32_t result = RECEIVE_NO_PORT;
    bool completed = false;
    try {
        ActiveTransport<ObexServerSocket> active(*this, transports_.CreateServerSocket());
        ObexServer server(active.socket.get());
        SetUpLine(*active.socket);

        SetPhase(PHASE_CONNECTING);
        result = RECEIVE_CONNECT_FAILED;
        server.Accept();

        SetPhase(PHASE_TRANSFERRING);
        result = RECEIVE_LINK_LOST;
        server.SetReceiveLimit(kMaxReceivedObject);
        std::vector<uint8_t> body;
        {
            ProgressBodyReceiver receiver(ui_);
            server.SetBodyReceiver(&receiver);
            server.ReceiveRequest();
            receiver.Flush(&server);
            body = receiver.Body().Take();
        }
        if (server.GetOperation() != (OBEX_OP_PUT | OBEX_FINAL_BIT)) throw Failure{RECEIVE_BAD_REQUEST};

        SetPhase(PHASE_UNPACKING);
        const int32_t time = server.GetTime();
        const int32_t parsed = ParseReceivedObject(body.data(), (uint32_t)body.size(),
                                                   server.GetName(), time ? &time : nullptr, &received_);
        if (parsed == 0 && keepRaw_) raw_ = std::move(body);  // the object as it came, not a copy
        std::vector<uint8_t>().swap(body);
        if (parsed != 0) throw Failure{parsed};
        // A kind the program does not keep is not acknowledged either, or the phone would
        // report as delivered what the PC throws away.
        if (!IsTransferableKind(received_.kind)) throw Failure{RECEIVE_KIND_REFUSED};
        if (server.GetName()) name_ = server.GetName();

        result = RECEIVE_LINK_LOST;
        server.SendResponse(kResponseSuccess);

        SetPhase(PHASE_DISCONNECTING);
        server.SetReceiveLimit(kIgnoredBodyLimit);
        server.ReceiveRequest();
        if (server.GetOperation() != OBEX_OP_DISCONNECT) throw Failure{RECEIVE_BAD_REQUEST};
        server.SendResponse(kResponseSuccess);
        completed = true;
        result = RECEIVE_RELEASE_FAILED;  // releasing cannot fail: destructors do not throw
    } catch (const Failure& failure) {
        result = failure.result;
    } catch (const ZvError& e) {
        // `result` names the step that failed, unless the phone overran a bound.
        if (e.GetCode() == OBEX_ERR_TOO_LARGE) result = kReceiveBadData;
        if (e.GetCode() == OBEX_ERR_NO_PROGRESS) result = RECEIVE_BAD_REQUEST;
    }
    if (!completed) {
        Reset();
        SetPhase(PHASE_FAILED);
        return result;
    }
    SetPhase(PHASE_FINISHED);
    return RECEIVE_OK;
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

        SetPhase(PHASE_TRANSFERRING);
        client.SetReceiveLimit(kIgnoredBodyLimit);
        client.SetName(object->name.c_str());
        if (object->type) client.SetType(object->type->c_str());
        if (job_.time != 0) client.SetTime(job_.time);
        client.SetBodySource(&source);
        client.SetLength(source.GetSize());
        client.SetOperation(OBEX_OP_PUT | OBEX_FINAL_BIT);
        result = SEND_LINK_LOST;
        try {
            client.SendRequest();
        } catch (const ZvError& e) {
            // The engine throws on a refusing answer; that is the phone's refusal, not a lost link.
            if (e.GetCode() == OBEX_ERR_REFUSED) throw Failure{SEND_REFUSED_BY_PHONE};
            throw;
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

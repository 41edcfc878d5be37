#include "app/TransferSession.h"

#include <exception>

namespace {

// The dialog may follow the transfer's progress from just before Run until it is over; it
// learns that it is over on every path, a throw included.
class ActiveScope {
public:
    explicit ActiveScope(TransferUi& ui) : ui_(ui)
    {
        ui_.SetTransferActive(true);
        ui_.EnableButton(true);
    }
    ~ActiveScope()
    {
        try {
            ui_.EnableButton(false);  // off while the service restarts
            ui_.SetTransferActive(false);
        } catch (...) {
        }
    }
    ActiveScope(const ActiveScope&) = delete;
    ActiveScope& operator=(const ActiveScope&) = delete;

private:
    TransferUi& ui_;
};

template <class Transfer>
int32_t RunInBracket(Transfer& transfer, TransferUi& ui, TransportFactory& transports,
                     InfraredMonitor* monitor)
{
    InfraredMonitorBracket bracket(monitor, ui, transports);
    int32_t result;
    {
        ActiveScope active(ui);
        result = transfer.Run();
    }
    bracket.Restore();
    return result;
}

// Shows the end in the dialog; `ui.Done` is the last call.
bool Finish(TransferUi& ui, const TransferEnd& end)
{
    ui.EnableButton(true);
    ui.SetStatus(end.status);
    ui.SetButtonText(end.button);
    ui.SetCaption(end.caption);
    ui.Done(end.succeeded);
    return end.succeeded;
}

}  // namespace

std::unique_ptr<MediaObject> MakeReceivedObject(const ReceivedObject& received)
{
    auto object = std::make_unique<MediaObject>();
    object->SetKind(received.kind);
    object->SetFormat(received.format);
    object->SetTitle(received.title ? received.title->c_str() : nullptr);
    object->SetSummary(received.summary ? received.summary->c_str() : nullptr);
    object->SetFileName(received.fileName ? received.fileName->c_str() : nullptr);
    object->SetPosition(received.position);
    object->SetTime(received.time);
    object->SetRedistributionForbidden(received.redistributionForbidden);
    object->SetBody(received.body);
    return object;
}

int32_t OneObjectSink::Take(IncomingObject& incoming)
{
    if (incoming.refusal != 0) return incoming.refusal;
    if (delivered_) return RECEIVE_NO_ROOM;
    // Decoded once, here; the user-interface thread only installs what it is handed.
    std::unique_ptr<MediaObject> object = MakeReceivedObject(incoming.object);
    std::unique_ptr<ViewContent> content = DecodeContent(object);
    if (!content) return RECEIVE_CONTENT_REFUSED;
    if (!sink_ || !sink_->Deliver(std::move(content))) return RECEIVE_NOT_KEPT;
    delivered_ = true;
    return 0;
}

bool TransferSession::Run(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                          ContentSink* sink)
{
    OneObjectSink objects(sink);
    return Run(ui, transports, monitor, objects);
}

bool TransferSession::Run(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                          ReceivedObjectSink& objects)
{
    if (request_.IsSerial()) monitor = nullptr;
    const Direction direction = request_.direction;
    result_ = -1;
    try {
        if (direction == Direction::Receive) {
            RunReceive(ui, transports, monitor, objects);
        } else {
            RunSend(ui, transports, monitor);
        }
    } catch (const std::exception&) {
        // Out of memory and the like: a failure like any other, after the bracket and the
        // transport were released by their scopes.
        result_ = -1;
    }
    const bool succeeded = result_ == 0;
    const char* message = result_ == -1 ? kTransferUnexpected
                                        : ResultMessage(direction, result_, request_.IsSerial());
    end_ = PresentEnd(direction, succeeded, message, cancel_.IsCancelled());
    try {
        return Finish(ui, end_);
    } catch (...) {
        try {
            ui.Done(false);  // the dialog must learn that the worker is over
        } catch (...) {
        }
        return false;
    }
}

void TransferSession::RunReceive(TransferUi& ui, TransportFactory& transports,
                                 InfraredMonitor* monitor, ReceivedObjectSink& objects)
{
    ReceiveTransfer transfer(ui, transports, cancel_, objects);
    transfer.KeepRaw(request_.keepRaw);
    transfer.SetQuietAfterAnswer(request_.quietAfterAnswerMs);
    transfer.SetLimits(request_.connectLimitMs, request_.silenceLimitMs);
    result_ = RunInBracket(transfer, ui, transports, monitor);
}

void TransferSession::RunSend(TransferUi& ui, TransportFactory& transports,
                              InfraredMonitor* monitor)
{
    if (!IsTransferableKind(request_.job.kind)) {
        result_ = SEND_KIND_UNSUPPORTED;
        return;
    }
    SendTransfer transfer(ui, transports, cancel_);
    SendJob& job = transfer.Job() = std::move(request_.job);
    job.picture = nullptr;  // only ever the transfer's own
    if (job.kind == MEDIA_JPEG || job.kind == MEDIA_GIF) {
        // The writer reads the picture's size; the transfer decodes its own, so that nothing
        // the view does meanwhile can free it. Undecodable: the writer refuses the job.
        try {
            transfer.SetPicture(
                std::make_unique<Zorvex::ImageManager>(job.body.data(), (uint32_t)job.body.size()));
        } catch (const ImageManagerException&) {
        }
    }
    transfer.SetLimits(request_.connectLimitMs, request_.silenceLimitMs);
    result_ = RunInBracket(transfer, ui, transports, monitor);
}

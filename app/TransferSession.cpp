#include "app/TransferSession.h"

#include <cstring>
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
bool Finish(TransferUi& ui, Direction direction, bool succeeded, const char* message,
            bool cancelRequested)
{
    const TransferEnd end = PresentEnd(direction, succeeded, message, cancelRequested);
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

bool TransferSession::Run(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                          ContentSink* sink)
{
    if (request_.IsSerial()) monitor = nullptr;
    const Direction direction = request_.direction;
    const char* message = kTransferUnexpected;
    bool succeeded = false;
    try {
        succeeded = direction == Direction::Receive
                        ? RunReceive(ui, transports, monitor, sink, &message)
                        : RunSend(ui, transports, monitor, &message);
    } catch (const std::exception&) {
        // Out of memory and the like: a failure like any other, after the bracket and the
        // transport were released by their scopes.
        succeeded = false;
        message = kTransferUnexpected;
    }
    try {
        return Finish(ui, direction, succeeded, message, cancel_.IsCancelled());
    } catch (...) {
        try {
            ui.Done(false);  // the dialog must learn that the worker is over
        } catch (...) {
        }
        return false;
    }
}

bool TransferSession::RunReceive(TransferUi& ui, TransportFactory& transports,
                                 InfraredMonitor* monitor, ContentSink* sink,
                                 const char** message)
{
    ReceiveTransfer transfer(ui, transports, cancel_);
    const int32_t result = RunInBracket(transfer, ui, transports, monitor);
    if (result != RECEIVE_OK) {
        *message = ResultMessage(Direction::Receive, result, request_.IsSerial());
        return false;
    }
    // Decoded once, here; the user-interface thread only installs what it is handed.
    std::unique_ptr<MediaObject> object = MakeReceivedObject(transfer.Received());
    std::unique_ptr<ViewContent> content = DecodeContent(object);
    const bool installed = content && sink && sink->Deliver(std::move(content));
    *message = installed ? kReceiveInstalled : kReceiveNotDecodable;
    return installed;
}

bool TransferSession::RunSend(TransferUi& ui, TransportFactory& transports,
                              InfraredMonitor* monitor, const char** message)
{
    SendPayload& payload = request_.payload;
    if (!IsTransferableKind(payload.kind)) {
        *message = kSendKindUnsupported;
        return false;
    }
    const SendSettings& settings = request_.settings;
    SendTransfer transfer(ui, transports, cancel_);
    SendJob& job = transfer.Job();
    job.format = settings.format;
    job.title = std::string(settings.title, strnlen(settings.title, sizeof settings.title));
    job.summary = std::string(settings.summary, strnlen(settings.summary, sizeof settings.summary));
    job.fileName =
        std::string(settings.fileName, strnlen(settings.fileName, sizeof settings.fileName));
    job.time = settings.time;
    job.redistributionForbidden = settings.redistributionForbidden;
    if (payload.kind == MEDIA_JPEG || payload.kind == MEDIA_GIF) {
        // The writer reads the picture's size; the transfer decodes its own, so that nothing
        // the view does meanwhile can free it. Undecodable: the writer refuses the job.
        try {
            transfer.SetPicture(std::make_unique<Zorvex::ImageManager>(
                payload.body.data(), (uint32_t)payload.body.size()));
        } catch (const ImageManagerException&) {
        }
    }
    job.kind = payload.kind;
    job.body = std::move(payload.body);

    const int32_t result = RunInBracket(transfer, ui, transports, monitor);
    *message = ResultMessage(Direction::Send, result, request_.IsSerial());
    return result == SEND_OK;
}

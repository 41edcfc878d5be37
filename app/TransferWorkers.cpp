#include "app/TransferWorkers.h"

#include "app/Transfer.h"

#include <cstring>

namespace {

bool PresentAndFinish(TransferUi& ui, Direction direction, bool succeeded, const char* message,
                      const std::atomic<bool>& cancelRequested)
{
    const TransferEnd end = PresentEnd(direction, succeeded, message, cancelRequested.load());
    ui.SetStatus(end.status);
    ui.SetButtonText(end.button);
    ui.SetCaption(end.caption);
    ui.Done(end.succeeded);
    return end.succeeded;
}

// Runs the transfer inside the Infrared Monitor bracket. The dialog knows the transfer (and so
// can cancel it) only while it runs; the button is off while the service restarts.
template <class Transfer>
int32_t RunInBracket(Transfer& transfer, TransferUi& ui, TransportFactory& transports,
                     InfraredMonitor* monitor)
{
    InfraredMonitorBracket bracket(monitor, ui, transports);
    ui.SetActiveTransfer(&transfer);
    ui.EnableButton(true);
    const int32_t result = transfer.Run();
    ui.EnableButton(false);
    ui.SetActiveTransfer(nullptr);
    bracket.Restore();
    ui.EnableButton(true);
    return result;
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

bool RunReceiveWorker(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                      ReceivedObjectSink& sink, const std::atomic<bool>& cancelRequested)
{
    ReceiveTransfer transfer(ui, transports);
    const int32_t result = RunInBracket(transfer, ui, transports, monitor);

    if (result != RECEIVE_OK) {
        return PresentAndFinish(ui, Direction::Receive, false,
                                ResultMessage(Direction::Receive, result, transports.IsSerial()),
                                cancelRequested);
    }
    if (!IsTransferableKind(transfer.Received().kind)) {
        return PresentAndFinish(ui, Direction::Receive, false, kReceiveKindUnsupported,
                                cancelRequested);
    }
    const bool installed = sink.Deliver(MakeReceivedObject(transfer.Received()));
    return PresentAndFinish(ui, Direction::Receive, installed,
                            installed ? kReceiveInstalled : kReceiveNotDecodable, cancelRequested);
}

bool RunSendWorker(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                   const SendSettings& settings, SendPayload payload,
                   const std::atomic<bool>& cancelRequested)
{
    SendTransfer transfer(ui, transports);
    SendJob& job = transfer.Job();
    job.format = settings.format;
    job.title = std::string(settings.title, strnlen(settings.title, sizeof settings.title));
    job.summary = std::string(settings.summary, strnlen(settings.summary, sizeof settings.summary));
    job.fileName =
        std::string(settings.fileName, strnlen(settings.fileName, sizeof settings.fileName));
    job.time = settings.time;
    job.redistributionForbidden = settings.redistributionForbidden;
    if (!IsTransferableKind(payload.kind)) {
        ui.EnableButton(true);
        return PresentAndFinish(ui, Direction::Send, false, kSendKindUnsupported,
                                cancelRequested);
    }
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
    return PresentAndFinish(ui, Direction::Send, result == SEND_OK,
                            ResultMessage(Direction::Send, result, transports.IsSerial()),
                            cancelRequested);
}

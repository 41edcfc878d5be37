// One transfer from the request to its end, and its one owner: the request, the cancel (sticky,
// good at any moment), and the worker's whole work: the Infrared Monitor bracket around the run,
// the outcome and how the end is shown. The platform runs Run on a worker thread and lets the
// session outlive neither the dialog nor the program.
#pragma once
#include <memory>

#include "app/Transfer.h"
#include "app/TransferRequest.h"
#include "app/TransferSeams.h"
#include "app/ViewContent.h"

// Takes received content to the user-interface thread, which makes it current.
class ContentSink {
public:
    virtual ~ContentSink() = default;
    // True when the content will be installed; false when it cannot be (it is freed).
    virtual bool Deliver(std::unique_ptr<ViewContent> content) = 0;
};

class TransferSession {
public:
    explicit TransferSession(TransferRequest request) : request_(std::move(request)) {}
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    const TransferRequest& Request() const { return request_; }

    // Any thread, any moment: the transfer ends as cancelled (unless it has already succeeded),
    // whether or not its transport exists yet.
    void Cancel() { cancel_.Cancel(); }
    bool IsCancelRequested() const { return cancel_.IsCancelled(); }

    // The worker's work, once: brackets the transfer with `monitor` (ignored over a serial port),
    // runs it, decides the outcome (a received object is decoded here and handed to `sink`) and
    // shows the end. Never throws; any failure ends the transfer with a message. `ui.Done` is its
    // last call into the dialog. True when the transfer succeeded.
    bool Run(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
             ContentSink* sink);

private:
    bool RunReceive(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                    ContentSink* sink, const char** message);
    bool RunSend(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                 const char** message);

    TransferRequest request_;
    CancelSignal cancel_;
};

// The new current object a successful receive makes of what the reader found.
std::unique_ptr<MediaObject> MakeReceivedObject(const ReceivedObject& received);

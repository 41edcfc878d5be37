// One transfer from the request to its end, and its one owner: the request, the cancel (sticky,
// good at any moment), and the worker's whole work: the Infrared Monitor bracket around the run,
// the outcome and how the end is shown. The platform runs Run on a worker thread and lets the
// session outlive neither the dialog nor the program.
#pragma once
#include <memory>

#include "app/Transfer.h"
#include "app/TransferRequest.h"
#include "app/TransferUi.h"
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
    // `cancel`: a signal shared with other sessions (zvx's Ctrl+C ends this one and every later
    // one); none: the session's own.
    explicit TransferSession(TransferRequest request, CancelSignal* cancel = nullptr)
        : request_(std::move(request)), cancel_(cancel ? *cancel : ownCancel_) {}
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    const TransferRequest& Request() const { return request_; }

    // Any thread, any moment: the transfer ends as cancelled (unless it has already succeeded),
    // whether or not its transport exists yet.
    void Cancel() { cancel_.Cancel(); }
    bool IsCancelRequested() const { return cancel_.IsCancelled(); }

    // The worker's work, once: brackets the transfer with `monitor` (ignored over a serial port),
    // runs it, decides the outcome and shows the end. A receive hands each object to `objects`
    // before the phone hears it was delivered. Never throws;
    // any failure ends the transfer with a message. `ui.Done` is its last call into the dialog.
    // True when the transfer succeeded.
    bool Run(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
             ReceivedObjectSink& objects);
    // The program's receive: the first object, decoded, goes to `sink` (the view's hand-over).
    bool Run(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
             ContentSink* sink);

    // Once Run is over: the transfer's result (0, or a send or receive result; -1 for a failure
    // no result stands for) and the end as shown.
    int32_t Result() const { return result_; }
    const TransferEnd& End() const { return end_; }

private:
    void RunReceive(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                    ReceivedObjectSink& objects);
    void RunSend(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor);

    TransferRequest request_;
    CancelSignal ownCancel_;
    CancelSignal& cancel_;
    int32_t result_ = -1;
    TransferEnd end_{};
};

// The program keeps one received object at a time: the first object that decodes goes to the
// view's hand-over before the phone hears it was delivered; any further one in the session is
// refused, so that the phone knows which arrived.
class OneObjectSink : public ReceivedObjectSink {
public:
    explicit OneObjectSink(ContentSink* sink) : sink_(sink) {}
    int32_t Take(IncomingObject& incoming) override;

private:
    ContentSink* sink_;
    bool delivered_ = false;
};

// The new current object a successful receive makes of what the reader found.
std::unique_ptr<MediaObject> MakeReceivedObject(const ReceivedObject& received);

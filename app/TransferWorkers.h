// The two worker threads' work, apart from the thread itself: bracket the transfer with the
// Infrared Monitor service, run it, decide the outcome and show the end in the dialog.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/SendSettings.h"
#include "app/TransferSeams.h"
#include "core/MediaObject.h"
#include "formats/VNoteReader.h"

// Takes a received object to the user-interface thread, which makes it current.
class ReceivedObjectSink {
public:
    virtual ~ReceivedObjectSink() = default;
    // True when the object will be installed; false when its picture cannot be decoded (the
    // object is dropped then).
    virtual bool Deliver(std::unique_ptr<MediaObject> object) = 0;
};

// `monitor` nullptr over a serial port. `cancelRequested` is set by the dialog. Returns whether
// the transfer succeeded; the dialog has been told (TransferUi::Done) before it returns.
bool RunReceiveWorker(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                      ReceivedObjectSink& sink, const std::atomic<bool>& cancelRequested);

// What the send worker takes from the current object: its kind and a private copy of its body.
struct SendPayload {
    int32_t kind = 0;
    std::vector<uint8_t> body;
};

bool RunSendWorker(TransferUi& ui, TransportFactory& transports, InfraredMonitor* monitor,
                   const SendSettings& settings, SendPayload payload,
                   const std::atomic<bool>& cancelRequested);

// The new current object a successful receive makes of what the reader found.
std::unique_ptr<MediaObject> MakeReceivedObject(const ReceivedObject& received);

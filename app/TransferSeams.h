// What a transfer needs from outside, as three small interfaces: the progress dialog it reports
// to, the transports it runs over and the "Infrared Monitor" service it keeps quiet. The Win32
// shell implements them over windows, sockets and the service manager; tests over memory.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "transport/ObexSocket.h"

// The worker's view of its progress dialog. Every call comes from the worker thread; each may
// wait until the dialog has handled it, so the dialog must never wait for the worker.
class TransferUi {
public:
    virtual ~TransferUi() = default;
    virtual void SetStatus(const std::string& text) = 0;      // the status line
    virtual void SetCaption(const std::string& text) = 0;
    virtual void EnableButton(bool enabled) = 0;
    virtual void SetButtonText(const std::string& text) = 0;
    // The transfer runs (true) or is over (false: the progress bar and lines go).
    virtual void SetTransferActive(bool active) = 0;
    // Bytes done out of total (0 when a phone announced none).
    virtual void ReportProgress(uint32_t done, uint32_t total) = 0;
    // The worker's last act.
    virtual void Done(bool succeeded) = 0;
};

// Creates the transport of a transfer. Each Create* throws TransportException when it cannot; the
// OBEX engine opens the transport afterwards.
class TransportFactory {
public:
    virtual ~TransportFactory() = default;
    virtual bool IsSerial() const = 0;
    virtual std::unique_ptr<ObexServerSocket> CreateServerSocket() = 0;
    virtual std::unique_ptr<ObexClientSocket> CreateClientSocket() = 0;
    // After the engine has opened it: the serial line set-up (speed, 8 data bits, DTR and RTS,
    // time-outs); nothing over infrared. Throws TransportException.
    virtual void SetUpLine(ObexSocket& transport) = 0;
    // The infrared peer's device name once a link is up; empty when unknown.
    virtual std::string PeerName(ObexSocket& transport) = 0;
    // Blocks the worker for a while (connect retry, service settling).
    virtual void Pause(uint32_t milliseconds) = 0;
};

// Thrown by InfraredMonitor when the service cannot be reached or controlled.
struct ServiceError {
    int32_t code;
};

// The "Infrared Monitor" service, which would otherwise answer the phone itself.
class InfraredMonitor {
public:
    virtual ~InfraredMonitor() = default;
    // Each may throw ServiceError. Stop and Start wait until the service has got there.
    virtual bool IsRunning() = 0;
    virtual void Stop() = 0;
    virtual void Start() = 0;
};

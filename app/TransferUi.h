// What a transfer needs from outside: the progress dialog it reports to, beside the transports
// it runs over and the "Infrared Monitor" service it keeps quiet (transport/Transports.h). The
// Win32 shell implements it over windows; tests over memory.
#pragma once
#include <cstdint>
#include <string>

#include "transport/Transports.h"

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

// What the user asked a transfer to do, made by the command that starts it and handed through the
// progress dialog to the worker: the direction, the line (infrared, or a serial port by name at a
// speed) and, for a send, what to send and how.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/SendSettings.h"
#include "app/TransferTexts.h"
#include "transport/Transports.h"  // SerialLine

// What a send takes from the current object: its kind and a private copy of its body, taken on
// the user-interface thread while nothing can change the object.
struct SendPayload {
    int32_t kind = 0;
    std::vector<uint8_t> body;
};

// Silence a receive tolerates after it has answered an object, before it ends the session by
// itself: a phone that never sends its DISCONNECT.
constexpr uint32_t kQuietAfterAnswerMs = 5000;

struct TransferRequest {
    Direction direction = Direction::Receive;
    std::optional<SerialLine> serial;  // none: over infrared
    SendSettings settings;             // send only
    SendPayload payload;               // send only
    // Receive only: keep each object's body as it came (IncomingObject::raw), and the silence
    // tolerated after an object was answered.
    bool keepRaw = false;
    uint32_t quietAfterAnswerMs = kQuietAfterAnswerMs;
    // How long a phone may take to connect, and to stay silent in the middle of a transfer;
    // 0: for ever (the program: the user sees the dialog and may cancel).
    uint32_t connectLimitMs = 0;
    uint32_t silenceLimitMs = 0;

    bool IsSerial() const { return serial.has_value(); }
};

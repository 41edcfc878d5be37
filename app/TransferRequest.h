// What the user asked a transfer to do, made by the command that starts it and handed through the
// progress dialog to the worker: the direction, the line (infrared, or a serial port by name at a
// speed) and, for a send, what to send and how.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ProgressTexts.h"
#include "formats/VNoteWriter.h"
#include "transport/Transports.h"  // SerialLine

// Silence a receive tolerates after it has answered an object, before it ends the session by
// itself: a phone that never sends its DISCONNECT.
constexpr uint32_t kQuietAfterAnswerMs = 5000;

struct TransferRequest {
    Direction direction = Direction::Receive;
    std::optional<SerialLine> serial;  // none: over infrared
    // Send only: what PrepareSend made of the object and the entries, with a private copy of the
    // body taken while nothing could change the object; the worker decodes its own picture.
    SendJob job;
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

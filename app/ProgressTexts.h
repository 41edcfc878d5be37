// The texts a progress dialog shows besides the results' messages: phase status lines, the end of
// a transfer and the progress lines. Plain functions, the same for both threads and every platform.
#pragma once
#include <cstdint>
#include <string>

#include "formats/TransferResults.h"

// Transport kinds of a transfer.
enum TransportKind : int32_t { TRANSPORT_NONE = 0, TRANSPORT_IRDA = 1, TRANSPORT_SERIAL = 2 };

// The status line of a phase 1 to 8; nullptr for any other value (the line stays as it is).
const char* PhaseText(Direction direction, int32_t phase);

// What the dialog shows once a transfer is over.
struct TransferEnd {
    std::string status;     // the status line
    const char* caption;    // "送信完了", "送信失敗", "受信完了" or "受信失敗"
    const char* button;     // "了解"
    bool succeeded;
};

// A failed transfer that the user cancelled says so instead of giving its own message.
TransferEnd PresentEnd(Direction direction, bool succeeded, const char* message,
                       bool cancelRequested);

// Caption while a transfer runs with a phone whose device name is known.
std::string DeviceCaption(Direction direction, const char* deviceName);

// The two progress lines and the bar of one progress message.
struct ProgressLines {
    std::string first;
    std::string second;
    bool showBar;  // false: no total announced (receive only), the bar stays hidden
};

// `elapsedMs` is now minus the start time (unsigned 32-bit difference); 0 counts as 1 ms.
// `total` 0 on receive means "none announced"; send always has one.
ProgressLines FormatProgress(Direction direction, uint32_t done, uint32_t total,
                             uint32_t elapsedMs);

// The lines of a progress line whose speed the caller measured (0: not yet known, the second
// line is empty); the time left is rounded up, so that "0 秒" means done. zvx's progress line.
ProgressLines FormatProgressAt(Direction direction, uint32_t done, uint32_t total,
                               double bytesPerSecond);

// The texts a progress dialog shows: phase status lines, result messages, the end of a transfer
// and the progress lines. Plain functions, the same for both threads and every platform.
#pragma once
#include <cstdint>
#include <string>

enum class Direction { Send, Receive };

// Transport kinds of a transfer.
enum TransportKind : int32_t { TRANSPORT_NONE = 0, TRANSPORT_IRDA = 1, TRANSPORT_SERIAL = 2 };

// Send results besides kSendRefused/kSendUnconvertible (formats/VNoteWriter.h).
enum SendResult : int32_t {
    SEND_OK = 0,
    SEND_NO_PORT = 1,
    SEND_NO_PEER = 2,
    SEND_LINK_LOST = 3,
    SEND_REFUSED_BY_PHONE = 4,
    SEND_RELEASE_FAILED = 7,
    SEND_KIND_UNSUPPORTED = 8,  // before the transfer: the object is of a kind no phone takes
};

// Receive results besides the reader's (formats/VNoteReader.h: 1, 2, 3, 7).
enum ReceiveResult : int32_t {
    RECEIVE_OK = 0,
    RECEIVE_LINK_LOST = 4,
    RECEIVE_BAD_REQUEST = 5,
    RECEIVE_CONNECT_FAILED = 6,
    RECEIVE_NO_PORT = 9,
    RECEIVE_RELEASE_FAILED = 10,
    // The object is of a kind the program does not keep (0, 5 or above 7): it is not
    // acknowledged, so that the phone does not report it as delivered.
    RECEIVE_KIND_REFUSED = 11,
    // Its content is not what its label says, or the picture does not decode.
    RECEIVE_CONTENT_REFUSED = 12,
    // The PC could not keep it (a file that cannot be written, a program that is closing).
    RECEIVE_NOT_KEPT = 13,
    // The receiver takes no more objects this time (the program keeps one per receive; zvx
    // stops at its count).
    RECEIVE_NO_ROOM = 14,
};
constexpr int32_t kLastReceiveResult = RECEIVE_NO_ROOM;

// The OBEX response a refused object is answered with, so that the phone shows a failure:
// Unsupported Media Type for what the PC cannot read, Bad Request for a broken object, Service
// Unavailable for one too many, Internal Server Error for one the PC failed to keep.
uint8_t RefusalResponse(int32_t result);

// The status line of a phase 1 to 8; nullptr for any other value (the line stays as it is).
const char* PhaseText(Direction direction, int32_t phase);

// The message of a result. Results 1 (send) and 9 (receive) name the port of `transport`
// (TRANSPORT_SERIAL: the chosen port, else the infrared port).
const char* ResultMessage(Direction direction, int32_t result, bool serial);

// Messages the workers choose themselves.
extern const char* const kSendKindUnsupported;      // result 8
extern const char* const kReceiveInstalled;         // result 0, object installed
extern const char* const kReceiveKindUnsupported;   // result 11, kind 0, 5 or above 7
extern const char* const kReceiveNotDecodable;      // result 12, content not as labelled
extern const char* const kTransferUnexpected;       // a failure no result stands for

// Kinds a receive accepts and a send may carry: 1, 2, 3, 4, 6, 7.
bool IsTransferableKind(int32_t kind);

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

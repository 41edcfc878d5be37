// The results of a send and of a receive, from the vNote writer and reader up to the workers,
// with the messages the progress dialog and zvx show for them.
#pragma once
#include <cstdint>

enum class Direction { Send, Receive };

enum SendResult : int32_t {
    SEND_OK = 0,
    SEND_NO_PORT = 1,
    SEND_NO_PEER = 2,
    SEND_LINK_LOST = 3,
    SEND_REFUSED_BY_PHONE = 4,
    SEND_BAD_JOB = 5,        // the writer refused the job as no send workflow makes it
    SEND_UNCONVERTIBLE = 6,  // the writer cannot convert the content
    SEND_RELEASE_FAILED = 7,
    SEND_KIND_UNSUPPORTED = 8,  // before the transfer: the object is of a kind no phone takes
};

enum ReceiveResult : int32_t {
    RECEIVE_OK = 0,
    RECEIVE_UNKNOWN_OBJECT = 1,  // the reader's: not an object it knows
    RECEIVE_UNKNOWN_FORMAT = 2,  // a vNote of no maker it knows
    RECEIVE_NO_DATA = 3,         // no body
    RECEIVE_LINK_LOST = 4,
    RECEIVE_BAD_REQUEST = 5,
    RECEIVE_CONNECT_FAILED = 6,
    RECEIVE_BAD_DATA = 7,        // the reader's: a body that does not decode
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

// The message of a result. Results 1 (send) and 9 (receive) name the port: the chosen serial
// port with `serial`, else the infrared port.
const char* ResultMessage(Direction direction, int32_t result, bool serial);

// Messages the workers choose themselves.
extern const char* const kSendKindUnsupported;      // result 8
extern const char* const kReceiveInstalled;         // result 0, object installed
extern const char* const kReceiveKindUnsupported;   // result 11, kind 0, 5 or above 7
extern const char* const kReceiveNotDecodable;      // result 12, content not as labelled
extern const char* const kTransferUnexpected;       // a failure no result stands for
extern const char* const kNoResultMessage;          // a result without a message

// Kinds a receive accepts and a send may carry: 1, 2, 3, 4, 6, 7.
bool IsTransferableKind(int32_t kind);

// The exception of the OBEX engine: a code and a message that begins with the operation's name
// and a colon. Codes 4 to 7 are the transport's (TransportException), thrown through the engine
// unchanged; catch ZvError to see both.
#pragma once
#include <cstdint>

#include "core/Error.h"
#include "transport/TransportException.h"

enum ObexErrorCode : int32_t {
    OBEX_ERR_CRYPTO = 1,          // MD5 or random numbers failed
    OBEX_ERR_OVERFLOW = 2,        // a write does not fit the send buffer
    OBEX_ERR_PROTOCOL = 3,        // malformed or unexpected data from the peer
    OBEX_ERR_OPEN = TRANSPORT_ERR_OPEN,
    OBEX_ERR_IO = TRANSPORT_ERR_IO,
    OBEX_ERR_CONNECT = TRANSPORT_ERR_CONNECT,
    OBEX_ERR_NO_DEVICE = TRANSPORT_ERR_NO_DEVICE,
    OBEX_ERR_STATE = 8,           // not allowed now, or value not available
    OBEX_ERR_ABORTED = 9,         // the peer sent ABORT
    OBEX_ERR_CONNECT_HEADERS = 10,// CONNECT response headers do not fit the maximum packet
    OBEX_ERR_REFUSED = 11,        // the peer refused the request or the transfer failed
    OBEX_ERR_AUTH_MISSING = 12,   // authentication information missing
    OBEX_ERR_AUTH_FAILED = 13,    // authentication failed
    OBEX_ERR_TOO_LARGE = 14,      // the peer's object or announced Length exceeds the receive limit
    OBEX_ERR_NO_PROGRESS = 15,    // the peer keeps an exchange going without moving any body
};

class ObexException : public ZvError {
public:
    ObexException(int32_t code, const char* message) : ZvError(code, message) {}
};

[[noreturn]] inline void ObexFail(int32_t code, const char* message)
{
    throw ObexException(code, message);
}

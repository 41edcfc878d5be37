// The one exception of the OBEX engine and the transports: a code and a message that begins
// with the operation's name and a colon.
#pragma once
#include <cstdint>

#include "core/Exception.h"

enum ObexErrorCode : int32_t {
    OBEX_ERR_CRYPTO = 1,          // MD5 or random numbers failed
    OBEX_ERR_OVERFLOW = 2,        // a write does not fit the send buffer
    OBEX_ERR_PROTOCOL = 3,        // malformed or unexpected data from the peer
    OBEX_ERR_OPEN = 4,            // transport start-up or open failed
    OBEX_ERR_IO = 5,              // transport send or receive failed
    OBEX_ERR_CONNECT = 6,         // transport accept or connect failed
    OBEX_ERR_NO_DEVICE = 7,       // no device found
    OBEX_ERR_STATE = 8,           // not allowed now, or value not available
    OBEX_ERR_ABORTED = 9,         // the peer sent ABORT
    OBEX_ERR_CONNECT_HEADERS = 10,// CONNECT response headers do not fit the maximum packet
    OBEX_ERR_REFUSED = 11,        // the peer refused the request or the transfer failed
    OBEX_ERR_AUTH_MISSING = 12,   // authentication information missing
    OBEX_ERR_AUTH_FAILED = 13,    // authentication failed
};

class ObexException : public Exception {
public:
    ObexException(int32_t code, const char* message) : Exception(message), code_(code) {}
    int32_t GetCode() const { return code_; }

private:
    int32_t code_;
};

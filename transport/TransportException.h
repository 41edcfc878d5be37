// The one exception of the transports: a code (4 to 7) and a message that begins with the
// operation's name and a colon. The OBEX engine lets it pass; its codes continue the same table.
#pragma once
#include <cstdint>

#include "core/Error.h"

enum TransportErrorCode : int32_t {
    TRANSPORT_ERR_OPEN = 4,       // transport start-up or open failed
    TRANSPORT_ERR_IO = 5,         // transport send or receive failed
    TRANSPORT_ERR_CONNECT = 6,    // transport accept or connect failed
    TRANSPORT_ERR_NO_DEVICE = 7,  // no device found
};

class TransportException : public ZvError {
public:
    TransportException(int32_t code, const char* message) : ZvError(code, message) {}
};

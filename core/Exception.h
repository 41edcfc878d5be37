// Base of the exceptions thrown by the OBEX engine and the transports: one owned message text.
#pragma once
#include <string>

class Exception {
public:
    explicit Exception(const char* message) : message_(message ? message : "") {}
    explicit Exception(std::string message) : message_(std::move(message)) {}
    virtual ~Exception() = default;
    // Shift_JIS text beginning with the operation name and a colon.
    const char* GetMessageText() const { return message_.c_str(); }

private:
    std::string message_;
};

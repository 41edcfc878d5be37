// Base of every exception the program throws: a code and a Shift_JIS message text, so that one
// catch can report any failure. Each kind keeps its own meaning of the code and the message.
#pragma once
#include <cstdint>
#include <exception>
#include <string>

class ZvError : public std::exception {
public:
    int32_t GetCode() const { return code_; }
    // Begins with the operation's name and a colon where the kind has messages; else empty.
    const char* GetMessageText() const { return message_.c_str(); }
    const char* what() const noexcept override { return message_.c_str(); }

protected:
    ZvError(int32_t code, const char* message) : code_(code), message_(message ? message : "") {}

private:
    int32_t code_;
    std::string message_;
};

// Checks for the program's coded errors: the OBEX engine's and the transports' alike.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "core/Error.h"

// Runs `call` and checks that it throws a ZvError with `code` and exactly `message`.
template <typename F>
void ExpectObexError(F&& call, int32_t code, const char* message)
{
    try {
        call();
        ADD_FAILURE() << "no exception; expected code " << code << " " << message;
    } catch (const ZvError& e) {
        EXPECT_EQ(code, e.GetCode());
        EXPECT_STREQ(message, e.GetMessageText());
    }
}

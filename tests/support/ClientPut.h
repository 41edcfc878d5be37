// One object through our own client on a connected line: PUT with name, type and time, then
// DISCONNECT. The PUT's response code.
#pragma once
#include <cstdint>
#include <vector>

#include "obex/ObexClient.h"

inline uint8_t PutThenDisconnect(ObexClient& client, const char* name, const char* type,
                                 int32_t time, const std::vector<uint8_t>& body)
{
    client.SetName(name);
    client.SetType(type);
    client.SetTime(time);
    MemoryBodySource source(body.data(), (uint32_t)body.size());
    client.SetBodySource(&source);
    client.SetLength((uint32_t)body.size());
    client.SetOperation(0x82);
    client.SendRequest();
    const uint8_t code = client.GetResponseCode();
    client.SetOperation(0x81);
    client.SendRequest();
    return code;
}

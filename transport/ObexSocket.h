// The blocking, connection-oriented byte stream that carries OBEX, and its two role interfaces.
//
// Contract, for every implementation:
// - Open acquires the transport; failure throws TransportException (code 4).
// - Receive/Send may move fewer bytes than asked; the engine loops. Failure throws (code 5).
// - Close never throws, may run on another thread while Accept/Connect/Receive/Send block (the
//   blocked call then throws), and does nothing the second time. A closed transport stays
//   closed: Open after Close throws (code 4), so that a cancel given before the transfer opened
//   its transport still ends it.
// - The destructor releases whatever Close has not.
#pragma once
#include <cstdint>

class ObexSocket {
public:
    virtual ~ObexSocket() = default;
    // Largest OBEX packet, in bytes, this transport carries (IrDA 2048, serial 8192).
    virtual int32_t GetMaxPacketSize() = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    // Stores bytes from buffer[offset] on; returns how many were stored.
    virtual int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) = 0;
    // Sends count bytes from buffer[offset]; returns how many the platform accepted.
    virtual int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) = 0;
};

class ObexServerSocket : public virtual ObexSocket {
public:
    // Waits for a peer; failure throws (code 6).
    virtual void Accept() = 0;
};

class ObexClientSocket : public virtual ObexSocket {
public:
    // Finds a peer and connects to it; failure throws (code 6, or 7 when no device was found).
    virtual void Connect() = 0;
};

// libopenobex 1.7 as the other end of a link: a server that takes CONNECT, PUT and DISCONNECT
// and keeps what arrived, and a client that sends one object. Both run on the calling thread
// over a file descriptor (socketpair end), with `mtu` as libopenobex's packet size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct OpenObexReceived {
    bool ok = false;            // CONNECT, PUT and DISCONNECT all completed
    std::string error;
    std::vector<uint8_t> name;  // UTF-16BE as sent, terminator removed
    std::vector<uint8_t> type;  // bytes as sent (with the terminator)
    std::vector<uint8_t> time;  // bytes as sent
    bool hasLength = false;
    uint32_t length = 0;
    std::vector<uint8_t> body;
    int puts = 0;
};

// How the server answers: OBEX response codes without the final bit (0x20 SUCCESS, 0x43
// FORBIDDEN). A refused PUT ends the session, since the client then sends no DISCONNECT.
// `stallPut` leaves the PUT unanswered after its first packet: the server returns at once with
// error "stalled" and the caller decides how long the line stays silent.
struct OpenObexAnswers {
    int put = 0x20;
    int disconnect = 0x20;
    bool stallPut = false;
};

// Serves one session; stream = read the PUT body as it arrives (else as one Body header).
// Returns when the DISCONNECT has been answered, the link fails, or `seconds` have passed.
OpenObexReceived RunOpenObexServer(int fd, int mtu, bool stream, int seconds = 30,
                                   const OpenObexAnswers& answers = OpenObexAnswers());

struct OpenObexPut {
    std::vector<uint8_t> nameUtf16be;  // without terminator
    std::string type;                  // empty = no Type header
    std::string time;                  // empty = no Time header
    bool hasLength = true;
    std::vector<uint8_t> body;
    bool stream = true;                // stream the body (else one Body header)
};

struct OpenObexClientResult {
    bool ok = false;
    std::string error;
    int connectResponse = -1, putResponse = -1, disconnectResponse = -1;
};

// CONNECT, PUT, DISCONNECT.
OpenObexClientResult RunOpenObexClient(int fd, int mtu, const OpenObexPut& put, int seconds = 30);

std::vector<uint8_t> Utf16BigEndian(const std::u16string& text);

// The receiving OBEX endpoint: waits for a peer, answers its CONNECT, then takes in one request
// at a time (answering CONTINUE to the packets of a multi-packet request) and sends the
// response the caller chooses.
#pragma once
#include <cstdint>

#include "obex/ObexObject.h"

class ObexServer : public ObexObject {
public:
    // Opens the transport (not owned).
    explicit ObexServer(ObexServerSocket* transport);
    ~ObexServer() override;

    // Refused while a request is pending.
    void SetBodyReceiver(ObexBodyReceiver* receiver) override;

    // 0xA0, or 0xC1 with a fresh challenge when authentication is configured and the CONNECT
    // did not prove the password.
    virtual int32_t GetConnectResponse();
    virtual void SetChallengeOptions(uint8_t options);
    // Waits for a peer and completes its CONNECT.
    virtual void Accept();
    // Takes in one whole request; the body receiver set before it serves this request only.
    // Refuses, with an error response and OBEX_ERR_TOO_LARGE or OBEX_ERR_NO_PROGRESS, a request
    // beyond the receive limit or one that keeps asking for CONTINUE without moving any body.
    virtual void ReceiveRequest();
    // The request's operation byte, final bit included (0x82 PUT, 0x81 DISCONNECT, 0xFF ABORT).
    virtual int32_t GetOperation();
    // Answers the pending request with `code` (without final bit, e.g. 0x20) and the pending
    // outgoing headers.
    virtual void SendResponse(int32_t code);
    virtual void SetRealm(uint8_t characterSet, const char* text);
    virtual void SetRequestUserId(bool request);
    virtual void SetReadOnly(bool readOnly);
    // Challenges the peer about the pending request; the repeated request must prove the password.
    virtual void Authenticate();

private:
    // ParseReceivePacket for a request packet; an object over the receive limit, or announced
    // so, is answered with Request Entity Too Large before the failure goes on.
    void ParseRequestPacket();
    // A response of the code alone, without headers.
    void SendBare(uint8_t code);

    ObexServerSocket* serverTransport_;
    bool accepted_ = false;
    bool requestPending_ = false;
    int32_t operation_ = -1;
};

// The sending OBEX endpoint: CONNECT with packet-size negotiation, then one request at a time
// (a PUT spreads its body over as many packets as the negotiated size needs).
#pragma once
#include <cstdint>

#include "obex/ObexObject.h"

class ObexClient : public ObexObject {
public:
    // Opens the transport (not owned).
    explicit ObexClient(ObexClientSocket* transport);
    ~ObexClient() override;

protected:
    // Answers an UNAUTHORIZED that arrived in the middle of a PUT.
    virtual bool Authenticate();

public:
    // Connects the transport and runs the CONNECT exchange.
    virtual void Connect();
    // The next request's operation, final bit included (0x82 PUT, 0x81 DISCONNECT, 0x83 GET).
    virtual void SetOperation(int32_t code);
    // Sends the request with the pending headers and body and collects the final response.
    // The pending headers and body source are dropped once the exchange has ended.
    virtual void SendRequest();
    // Ends a request that was left in the middle (its body not all sent): sends ABORT and takes
    // the phone's answer.
    virtual void Abort();
    // The last response code without its final bit (0x20 for SUCCESS).
    virtual int32_t GetResponseCode();
    // Of the last Authenticate Challenge received.
    virtual const char* GetRealm();
    virtual int32_t GetRealmCodeset();
    virtual bool IsReadOnly();
    virtual bool IsRequestUserId();

protected:
    // Whether (another) CONNECT request is to be sent.
    virtual bool PrepareConnect();

private:
    void ReceiveResponse();
    void AnswerChallenge(const char* noUserIdMessage);

    ObexClientSocket* clientTransport_;
    bool connected_ = false;
    int32_t operation_ = -1;
    int32_t lastResponse_ = -1;
    uint8_t firstPacketCode_ = 0;  // operation byte of the current request's first packet
    bool answered_ = false;        // a challenge has been answered in the current exchange
};

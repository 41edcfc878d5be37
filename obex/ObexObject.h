// The common base of the OBEX client and server: the two packet buffers, the primitive writers
// and readers over them, the header codec, the values to send and the values received, and the
// digest-authentication state. One thread drives an object; another may only close its transport.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/ByteBuffer.h"
#include "core/NameValueTable.h"
#include "obex/ObexException.h"
#include "transport/ObexSocket.h"

class ObexObject;

// Hands out the body of an outgoing PUT piece by piece.
class ObexBodySource {
public:
    virtual ~ObexBodySource() = default;
    // Copies up to `maximum` bytes into `buffer` and returns how many; 0 = body exhausted.
    virtual int32_t Read(ObexObject* owner, uint8_t* buffer, int32_t maximum) = 0;
};

// A body source over a private copy of a memory block.
class MemoryBodySource : public ObexBodySource {
public:
    MemoryBodySource(const void* data, uint32_t size);
    ~MemoryBodySource() override;
    int32_t Read(ObexObject* owner, uint8_t* buffer, int32_t maximum) override;
    virtual uint32_t GetPosition() const;  // bytes handed out so far
    virtual uint32_t GetSize() const;

private:
    std::unique_ptr<uint8_t[]> data_;
    uint32_t size_;
    uint32_t position_ = 0;
};

// Takes the payload of each Body / End of Body header as the packet is parsed.
class ObexBodyReceiver {
public:
    virtual ~ObexBodyReceiver() = default;
    // `endOfBody` is true from the End of Body header on.
    virtual void Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool endOfBody) = 0;
};

// Where the digest password and the local user id come from when authentication is used.
class PasswordProvider {
public:
    virtual ~PasswordProvider() = default;
    // nullptr when there is no password for `userId` (which may be nullptr).
    virtual const char* GetPassword(const char* userId) = 0;
    virtual const char* GetUserId() = 0;
};

// Header identifiers, operation and response codes the engine uses.
enum : uint8_t {
    OBEX_HI_COUNT = 0xC0,
    OBEX_HI_NAME = 0x01,
    OBEX_HI_TYPE = 0x42,
    OBEX_HI_TIME_TEXT = 0x44,
    OBEX_HI_DESCRIPTION = 0x05,
    OBEX_HI_LENGTH = 0xC3,
    OBEX_HI_TIME_NUMBER = 0xC4,
    OBEX_HI_HTTP = 0x47,
    OBEX_HI_BODY = 0x48,
    OBEX_HI_END_OF_BODY = 0x49,
    OBEX_HI_AUTH_CHALLENGE = 0x4D,
    OBEX_HI_AUTH_RESPONSE = 0x4E,

    OBEX_OP_CONNECT = 0x80,
    OBEX_OP_DISCONNECT = 0x81,
    OBEX_OP_PUT = 0x82,
    OBEX_OP_GET = 0x83,
    OBEX_OP_ABORT = 0xFF,
    OBEX_FINAL_BIT = 0x80,

    OBEX_RSP_CONTINUE = 0x90,
    OBEX_RSP_SUCCESS = 0xA0,
    OBEX_RSP_BAD_REQUEST = 0xC0,
    OBEX_RSP_UNAUTHORIZED = 0xC1,
    OBEX_RSP_TOO_LARGE = 0xCD,  // Request Entity Too Large

    OBEX_VERSION = 0x10,
};

// Packets of one request (server) or responses to one request (client) that ask for another
// round and carry no body; a peer that sends more keeps the exchange going without moving any.
constexpr int32_t kObexMaxIdlePackets = 64;
// Received HTTP lines with distinct names kept per exchange; lines with further names are
// dropped, so a flood of them costs neither memory nor a growing search.
constexpr int32_t kObexMaxHttpHeaders = 32;

class ObexObject {
public:
    // Opens the transport (not owned; it must outlive the object).
    explicit ObexObject(ObexSocket* transport);
    ObexObject(const ObexObject&) = delete;
    ObexObject& operator=(const ObexObject&) = delete;

    // --- Resets and buffers ---------------------------------------------------------------------
    virtual void ResetReceivedHeaders();
    virtual void ResetOutgoingHeaders();
protected:
    virtual void InitReceivedHeaders();
    virtual void InitOutgoingHeaders();
public:
    // Drop the old array and make a new one; the send length and read position are kept.
    virtual void AllocateReceiveBuffer(int32_t capacity);
    virtual void AllocateSendBuffer(int32_t capacity);

    // --- Primitive writers (send buffer) and readers (received packet), big-endian --------------
    virtual void WriteByte(uint8_t value);
    virtual void WriteWord(uint16_t value);
    virtual void WriteDoubleWord(uint32_t value);
    virtual void WriteBytes(const void* data, int32_t count);
    virtual uint8_t ReadByte();
    virtual uint16_t ReadWord();
    virtual uint32_t ReadDoubleWord();
    virtual void ReadBytes(void* destination, int32_t count);

    // --- Header codec ---------------------------------------------------------------------------
    // Parses the headers from the read position to the end of the received packet.
    virtual void ParseReceivePacket();
    virtual void ParseHttpHeader(const uint8_t* text, int32_t length);
    virtual void WriteUnicodeHeader(uint8_t id, const char* text);
    virtual void WriteDoubleWordHeader(uint8_t id, uint32_t value);
    virtual void WriteBytesHeader(uint8_t id, const void* data, int32_t count);
    virtual void WriteAuthChallengeHeader();
    virtual void WriteAuthResponseHeader();
    // Every present outgoing header: Count, Name, Type, Time, Description, Length, HTTP,
    // Authenticate Challenge, Authenticate Response.
    virtual void WriteHeaders();

    // --- Whole packets --------------------------------------------------------------------------
    // Sends the send buffer and empties it.
    virtual void SendPacket();
    // Reads one whole packet into the receive buffer; the read position is 0 afterwards.
    virtual void ReceivePacket();
    // The first packet of a session: bytes before one that can start it (`isStart`) are what an
    // earlier session left on the line, and are skipped.
    void ReceiveFirstPacket(bool (*isStart)(uint8_t code));

private:
    // The rest of a packet whose first `held` bytes are in the receive buffer.
    void ReceivePacket(int32_t held);

public:

protected:
    // --- Digest authentication ------------------------------------------------------------------
    virtual void MakeSendChallengeNonce(uint8_t* out);
    virtual bool IsAuthConfigured();
    virtual const char* GetCurrentPassword(const char* userId);
    virtual void MakeRequestDigest(uint8_t* out, const uint8_t* nonce, const char* userId);
    virtual bool VerifyRequestDigest(const uint8_t* digest, const char* userId);

public:
    virtual ~ObexObject();

    // --- Values to send and values received -----------------------------------------------------
    // Body and End of Body payloads go to `receiver` (not owned) instead of the body buffer;
    // nullptr restores the buffer.
    virtual void SetBodyReceiver(ObexBodyReceiver* receiver);
    // Not owned; an owned source set before is destroyed.
    virtual void SetBodySource(ObexBodySource* source);
    virtual uint32_t GetLength();         // received Length, 0 when absent
    virtual void SetLength(uint32_t value);
    virtual uint32_t GetContentLength();  // body bytes collected in the body buffer
    virtual uint32_t GetCount();
    virtual void SetCount(uint32_t value);
    virtual void SetName(const char* text);
    virtual const char* GetName();        // nullptr when absent
    virtual void SetType(const char* text);
    virtual const char* GetType();
    virtual void SetTime(int32_t seconds);
    virtual int32_t GetTime();            // seconds since 1970 UTC, 0 when absent
    virtual void SetDescription(const char* text);
    virtual const char* GetDescription();
    virtual void SetTimeAsNumber(bool asNumber);
    virtual void SetHttpHeader(const char* name, const char* value);
    virtual void RemoveHttpHeader(const char* name);
    virtual const char* GetHttpHeader(const char* name);
    virtual int32_t GetHttpHeaderNames(const char** array, int32_t capacity);
    // An owned copy of the block becomes the body source; the Length header is set to `count`.
    virtual void SetBody(const void* data, uint32_t count);
    virtual const uint8_t* GetBody();     // all collected body bytes, never null
    virtual int32_t GetSendCapacity();
    virtual int32_t GetReceiveCapacity();
    // Closes the transport once.
    virtual void Close();

    // Most body bytes taken in one exchange (from one ResetReceivedHeaders to the next); beyond
    // it ParseReceivePacket fails with OBEX_ERR_TOO_LARGE before the bytes are kept. The server
    // also refuses a request whose Length announces more. No limit until set.
    void SetReceiveLimit(uint32_t bytes) { receiveLimit_ = bytes; }
    uint32_t GetReceiveLimit() const { return receiveLimit_; }
    // Called whenever bytes move to or from the peer, e.g. to hold off a limit on silence.
    void SetActivityHook(std::function<void()> hook) { activity_ = std::move(hook); }

    // --- Authentication configuration -----------------------------------------------------------
    // The program configures none of these; they exist for tests and for a build that uses
    // authentication. Texts are copied; the provider is not owned.
    void SetAuthPassword(const char* password);
    void SetAuthPasswordProvider(PasswordProvider* provider);
    void SetAuthUserId(const char* userId);

    // Pure helpers of the codec, exposed for tests.
    static std::string FormatIsoTime(int32_t seconds);  // 16 characters, UTC, "...Z"
    // Decodes a received Time text of `length` bytes; throws like ParseReceivePacket.
    static int32_t ParseIsoTime(const uint8_t* text, int32_t length);

    // Send length so far (the write position) and the read position in the received packet.
    int32_t GetSendLength() const { return sendLength_; }
    int32_t GetReadPosition() const { return readPosition_; }
    int32_t GetReceivedPacketLength() const { return receiveLength_; }

protected:
    // Starts a packet: empties the send buffer (dropping what a failed build may have left),
    // then writes the code and a length placeholder.
    void BeginPacket(uint8_t code);
    // Stores the send length big-endian into bytes 1-2 of the send buffer.
    void StorePacketLength();
    bool HasReceived() const { return in_.received; }
    // Body bytes of Body and End of Body headers parsed since the last reset, wherever they went.
    uint32_t GetReceivedBodyBytes() const { return in_.bodyBytes; }
    bool IsEndOfBody() const { return in_.endOfBody; }
    // Drops every authentication value, configuration included, and all its flags.
    void ResetAuthState();
    bool IsClosed() const { return closed_; }
    ObexBodySource* GetBodySource() const { return out_.bodySource; }
    ObexBodyReceiver* GetBodyReceiverPointer() const { return receiver_; }

    struct AuthState {
        PasswordProvider* provider = nullptr;
        bool hasPassword = false;
        std::string password;
        bool hasUserId = false;
        std::string userId;
        std::string nonceKey;

        bool hasLocalNonce = false;
        uint8_t localNonce[16] = {};
        uint8_t localOptions = 0;
        bool hasLocalRealm = false;
        uint8_t localRealmCharset = 0;
        std::string localRealm;
        bool hasLocalDigest = false;
        uint8_t localDigest[16] = {};
        bool hasLocalResponseUserId = false;
        std::string localResponseUserId;
        bool hasResponseNonce = false;
        uint8_t responseNonce[16] = {};

        bool hasChallengeNonce = false;
        uint8_t challengeNonce[16] = {};
        uint8_t challengeOptions = 0;
        uint8_t challengeRealmCharset = 0;
        bool hasChallengeRealm = false;
        std::string challengeRealm;
        bool hasReceivedDigest = false;
        uint8_t receivedDigest[16] = {};
        bool hasReceivedUserId = false;
        std::string receivedUserId;
        bool hasReceivedResponseNonce = false;
        uint8_t receivedResponseNonce[16] = {};

        bool sendChallenge = false;
        bool sendResponse = false;
        bool challengeReceived = false;
        bool responseReceived = false;
    };
    AuthState auth_;

    void ParseAuthChallenge(const uint8_t* payload, int32_t length);
    void ParseAuthResponse(const uint8_t* payload, int32_t length);

    ObexSocket* transport_;

private:
    struct Outgoing {
        bool hasCount = false;
        uint32_t count = 0;
        bool hasName = false;
        std::string name;
        bool hasType = false;
        std::string type;
        bool hasTime = false;
        int32_t time = 0;
        bool timeAsNumber = false;
        bool hasDescription = false;
        std::string description;
        bool hasLength = false;
        uint32_t length = 0;
        NameValueTable http;
        ObexBodySource* bodySource = nullptr;
        bool ownsBodySource = false;
    };
    struct Received {
        bool received = false;
        bool hasCount = false;
        uint32_t count = 0;
        bool hasLength = false;
        uint32_t length = 0;
        bool hasName = false;
        std::string name;
        bool hasType = false;
        std::string type;
        bool hasDescription = false;
        std::string description;
        bool hasTime = false;
        int32_t time = 0;
        NameValueTable http;
        std::unique_ptr<ByteBuffer> body;
        uint32_t bodyBytes = 0;
        bool endOfBody = false;
    };
    void CheckReceived(const char* message);
    void DropOwnedBodySource();

    std::atomic<bool> closed_{false};  // Close may come from a cancelling thread
    std::unique_ptr<uint8_t[]> sendBuffer_;
    int32_t sendCapacity_ = 0;
    int32_t sendLength_ = 0;
    std::unique_ptr<uint8_t[]> receiveBuffer_;
    int32_t receiveCapacity_ = 0;
    int32_t receiveLength_ = 0;
    int32_t readPosition_ = 0;
    Outgoing out_;
    Received in_;
    ObexBodyReceiver* receiver_ = nullptr;
    uint32_t receiveLimit_ = 0xFFFFFFFFu;
    std::function<void()> activity_;
};

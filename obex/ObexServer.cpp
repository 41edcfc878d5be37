#include "obex/ObexServer.h"

#include <algorithm>

namespace {

constexpr int32_t kSetPathOperation = 0x05;

}  // namespace

ObexServer::ObexServer(ObexServerSocket* transport) : ObexObject(transport), serverTransport_(transport) {}

ObexServer::~ObexServer() = default;

void ObexServer::SetBodyReceiver(ObexBodyReceiver* receiver)
{
    if (requestPending_) ObexFail(OBEX_ERR_STATE, "SetBodyReceiver:既にリクエストを受け付け済みです。");
    ObexObject::SetBodyReceiver(receiver);
}

void ObexServer::Accept()
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "Accept:既にClose済みです。");
    if (accepted_) ObexFail(OBEX_ERR_STATE, "Accept:既にAccept済みです。");
    serverTransport_->Accept();
    AllocateSendBuffer(255);
    const int32_t local = std::min<int32_t>(transport_->GetMaxPacketSize(), 0xFFFF);
    AllocateReceiveBuffer(local);
    ResetReceivedHeaders();
    int32_t peer = 0;
    for (bool first = true;; first = false) {
        if (first) {
            // A session opens with a final request (CONNECT, or one refused below); a byte that
            // starts none is left over from an earlier session.
            ReceiveFirstPacket([](uint8_t code) { return (code >= 0x80 && code <= 0x87) || code == 0xFF; });
        } else {
            ReceivePacket();
        }
        uint8_t op = ReadByte();
        if (op == OBEX_OP_ABORT) ObexFail(OBEX_ERR_ABORTED, "Accept:ABORTオペレーションを受信しました。");
        if (op != OBEX_OP_CONNECT)
            ObexFail(OBEX_ERR_PROTOCOL, "Accept:CONNECTオペレーション以外のオペレーションを受信しました。");
        ReadWord();
        ReadByte();
        ReadByte();
        peer = ReadWord();
        if (peer < 16) ObexFail(OBEX_ERR_PROTOCOL, "Accept:受信した最大パケットサイズが小さすぎます。");
        ParseReceivePacket();

        ResetOutgoingHeaders();
        int32_t response = GetConnectResponse();
        BeginPacket((uint8_t)response);
        WriteByte(OBEX_VERSION);
        WriteByte(0x00);
        WriteWord((uint16_t)local);
        WriteHeaders();
        if (GetSendLength() > local)
            ObexFail(OBEX_ERR_CONNECT_HEADERS, "Accept:CONNECTオペレーションに対するレスポンス用ヘッダが大きすぎます。");
        StorePacketLength();
        SendPacket();
        if (response == OBEX_RSP_SUCCESS) break;
    }
    AllocateSendBuffer(std::min(peer, local));
    AllocateReceiveBuffer(local);
    ResetOutgoingHeaders();
    accepted_ = true;
}

int32_t ObexServer::GetConnectResponse()
{
    if (!IsAuthConfigured()) return OBEX_RSP_SUCCESS;
    if (auth_.responseReceived) {
        if (!auth_.challengeReceived)
            ObexFail(OBEX_ERR_AUTH_MISSING, "GetConnectResponse:Authenticate Challengeが送られてきませんでした。");
        if (!auth_.hasReceivedDigest)
            ObexFail(OBEX_ERR_AUTH_MISSING, "GetConnectResponse:あるべきRequestDigest情報が存在しませんでした。");
        if (!auth_.hasChallengeNonce)
            ObexFail(OBEX_ERR_AUTH_MISSING, "GetConnectResponse:あるべきNonce情報が存在しませんでした。");
        const char* userId = auth_.hasReceivedUserId ? auth_.receivedUserId.c_str() : nullptr;
        bool userOk = !(auth_.localOptions & 0x01) || !auth_.hasUserId ||
                      (userId && CompareAnsiText(userId, auth_.userId.c_str()) == 0);
        if (VerifyRequestDigest(auth_.receivedDigest, userId) && userOk) {
            auth_.sendChallenge = false;
            auth_.sendResponse = false;
            return OBEX_RSP_SUCCESS;
        }
    }
    MakeSendChallengeNonce(auth_.localNonce);
    auth_.hasLocalNonce = true;
    auth_.sendChallenge = true;
    auth_.sendResponse = false;
    return OBEX_RSP_UNAUTHORIZED;
}

void ObexServer::ReceiveRequest()
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "ReceiveRequest:既にclose済みです。");
    if (!accepted_) ObexFail(OBEX_ERR_STATE, "ReceiveRequest:Acceptを実行していません。");
    if (requestPending_) ObexFail(OBEX_ERR_STATE, "ReceiveRequest:レスポンスを送信していません。");
    // The receiver serves this request only, also when it fails: the caller may not keep the
    // receiver alive for a request it never set it for.
    struct ClearReceiver {
        ObexServer* server;
        ~ClearReceiver() { server->ObexObject::SetBodyReceiver(nullptr); }
    } clear{this};

    ResetReceivedHeaders();
    ReceivePacket();
    operation_ = ReadByte();
    ReadWord();
    // SETPATH carries flags and constants before its headers; skipping them lets the caller see
    // the operation instead of a header error.
    if ((operation_ & 0x7F) == kSetPathOperation) {
        for (int i = 0; i < 2 && GetReadPosition() < GetReceivedPacketLength(); ++i) ReadByte();
    }
    ParseRequestPacket();
    int32_t idle = 0;
    while (!(operation_ & OBEX_FINAL_BIT)) {
        SendBare(OBEX_RSP_CONTINUE);
        ReceivePacket();
        uint8_t code = ReadByte();
        ReadWord();
        const uint32_t bodyBefore = GetReceivedBodyBytes();
        ParseRequestPacket();
        if (code == OBEX_OP_ABORT) ObexFail(OBEX_ERR_ABORTED, "ReceiveRequest:ABORTオペレーションを受信しました。");
        if ((code & 0x7F) != (operation_ & 0x7F))
            ObexFail(OBEX_ERR_PROTOCOL,
                 "ReceiveRequest:分割されたオペレーションの受信中に他のオペレーションに遷移しました。");
        operation_ = code;
        // Each CONTINUE is another round trip the peer asked for; rounds that move no body are
        // allowed only a few, or a peer could keep the request open for ever.
        if (!(code & OBEX_FINAL_BIT) && GetReceivedBodyBytes() == bodyBefore &&
            ++idle > kObexMaxIdlePackets) {
            SendBare(OBEX_RSP_BAD_REQUEST);
            ObexFail(OBEX_ERR_NO_PROGRESS, "ReceiveRequest:データの転送が進みません。");
        }
    }
    requestPending_ = true;
}

void ObexServer::ParseRequestPacket()
{
    try {
        ParseReceivePacket();
        if (GetLength() > GetReceiveLimit())
            ObexFail(OBEX_ERR_TOO_LARGE, "ReceiveRequest:受信するオブジェクトが大きすぎます。");
    } catch (const ObexException& e) {
        // The peer learns at once that the object is refused, instead of sending the rest.
        if (e.GetCode() == OBEX_ERR_TOO_LARGE) SendBare(OBEX_RSP_TOO_LARGE);
        throw;
    }
}

void ObexServer::SendBare(uint8_t code)
{
    BeginPacket(code);
    StorePacketLength();
    SendPacket();
}

int32_t ObexServer::GetOperation()
{
    if (operation_ == -1) ObexFail(OBEX_ERR_STATE, "GetOperation:データを受信していません。");
    return operation_;
}

void ObexServer::SendResponse(int32_t code)
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "SendResponse:既にclose済みです。");
    ObexBodySource* source = GetBodySource();
    if (source && (operation_ & 0x7F) != 0x03)
        ObexFail(OBEX_ERR_STATE,
             "SendResponse:GETオペレーション以外はBODYおよびEND-OF-BODYヘッダによるデータ転送を行えません。");
    if (!requestPending_) ObexFail(OBEX_ERR_STATE, "SendResponse:リクエストを受信していません。");
    BeginPacket(source ? (uint8_t)OBEX_RSP_CONTINUE : (uint8_t)(code | OBEX_FINAL_BIT));
    WriteHeaders();
    StorePacketLength();
    SendPacket();
    ResetOutgoingHeaders();
    requestPending_ = false;
}

void ObexServer::SetChallengeOptions(uint8_t options) { auth_.localOptions = options; }

void ObexServer::SetRealm(uint8_t characterSet, const char* text)
{
    auth_.hasLocalRealm = text != nullptr;
    auth_.localRealmCharset = characterSet;
    auth_.localRealm = text ? text : "";
}

void ObexServer::SetRequestUserId(bool request)
{
    auth_.localOptions = (uint8_t)(request ? auth_.localOptions | 0x01 : auth_.localOptions & ~0x01);
}

void ObexServer::SetReadOnly(bool readOnly)
{
    auth_.localOptions = (uint8_t)(readOnly ? auth_.localOptions | 0x02 : auth_.localOptions & ~0x02);
}

void ObexServer::Authenticate()
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "Authenticate:既にclose済みです。");
    if (!requestPending_) ObexFail(OBEX_ERR_STATE, "Authenticate:リクエストを受信していません。");
    if (!IsAuthConfigured()) ObexFail(OBEX_ERR_STATE, "Authenticate:認証用の設定がなされていません。");
    const int32_t remembered = operation_;
    BeginPacket(OBEX_RSP_UNAUTHORIZED);
    MakeSendChallengeNonce(auth_.localNonce);
    auth_.hasLocalNonce = true;
    auth_.sendChallenge = true;
    WriteHeaders();
    StorePacketLength();
    SendPacket();
    // The challenge has gone out; the final response must not repeat it.
    auth_.sendChallenge = false;

    ResetReceivedHeaders();
    ReceivePacket();
    operation_ = ReadByte();
    ReadWord();
    ParseReceivePacket();
    if (operation_ == OBEX_OP_ABORT) ObexFail(OBEX_ERR_ABORTED, "Authenticate:中止要求が出されました。");
    if (operation_ != remembered) ObexFail(OBEX_ERR_AUTH_FAILED, "Authenticate:認証に対応していないクライアントです。");
    // A response without a digest proves nothing: treated as no response at all.
    if (!auth_.responseReceived || !auth_.hasReceivedDigest)
        ObexFail(OBEX_ERR_AUTH_FAILED, "Authenticate:認証情報が得られませんでした(1)。");
    const char* userId = auth_.hasReceivedUserId ? auth_.receivedUserId.c_str() : nullptr;
    if (!VerifyRequestDigest(auth_.receivedDigest, userId))
        ObexFail(OBEX_ERR_AUTH_FAILED, "Authenticate:認証情報が得られませんでした(2)。");
    ResetOutgoingHeaders();
}

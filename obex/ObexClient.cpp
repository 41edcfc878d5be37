#include "obex/ObexClient.h"

#include <algorithm>
#include <vector>

namespace {

bool IsSuccessClass(int32_t response)
{
    return (response & 0x70) == 0x20;
}

// The CONNECT fields carry the maximum in 16 bits.
int32_t LocalMaximum(ObexSocket* transport)
{
    return std::min<int32_t>(transport->GetMaxPacketSize(), 0xFFFF);
}

}  // namespace

ObexClient::ObexClient(ObexClientSocket* transport) : ObexObject(transport), clientTransport_(transport) {}

ObexClient::~ObexClient() = default;

void ObexClient::ReceiveResponse()
{
    ReceivePacket();
    lastResponse_ = ReadByte();
    ReadWord();
    ParseReceivePacket();
}

// The digest for the nonce of the challenge just received, with the user id it asks for.
void ObexClient::AnswerChallenge(const char* noUserIdMessage)
{
    const char* userId = nullptr;
    if (auth_.challengeOptions & 0x01) {
        if (auth_.provider) userId = auth_.provider->GetUserId();
        if (!userId && auth_.hasUserId) userId = auth_.userId.c_str();
        if (!userId) ObexFail(OBEX_ERR_STATE, noUserIdMessage);
    }
    auth_.hasLocalResponseUserId = userId != nullptr;
    auth_.localResponseUserId = userId ? userId : "";
    MakeRequestDigest(auth_.localDigest, auth_.challengeNonce,
                      userId ? auth_.localResponseUserId.c_str() : nullptr);
    auth_.hasLocalDigest = true;
    auth_.sendResponse = true;
    answered_ = true;
}

void ObexClient::Connect()
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "Conenct:既にClose済みです。");
    if (connected_) ObexFail(OBEX_ERR_STATE, "Conenct:既にConnect済みです。");
    clientTransport_->Connect();
    ResetReceivedHeaders();
    const int32_t local = LocalMaximum(transport_);
    AllocateSendBuffer(255);
    AllocateReceiveBuffer(local);
    ResetOutgoingHeaders();
    // Each attempt starts afresh: the refusal that ended an earlier attempt must not end this one
    // before its CONNECT has even been sent.
    lastResponse_ = -1;
    answered_ = false;
    while (PrepareConnect()) {
        BeginPacket(OBEX_OP_CONNECT);
        WriteByte(OBEX_VERSION);
        WriteByte(0x00);
        WriteWord((uint16_t)local);
        WriteHeaders();
        StorePacketLength();
        SendPacket();

        // Every response code has the final bit set and is CONTINUE (0x90) or above.
        ReceiveFirstPacket([](uint8_t code) { return code >= OBEX_RSP_CONTINUE; });
        lastResponse_ = ReadByte();
        if (ReadWord() < 7) ObexFail(OBEX_ERR_PROTOCOL, "Conenct:受信したパケットが小さすぎます。");
        ReadByte();
        ReadByte();
        int32_t peer = ReadWord();
        if (peer < 16) ObexFail(OBEX_ERR_PROTOCOL, "Conenct:受信した最大パケットサイズが小さすぎます。");
        ParseReceivePacket();

        AllocateSendBuffer(std::min(peer, local));
        AllocateReceiveBuffer(local);
        ResetOutgoingHeaders();
    }
    ResetOutgoingHeaders();
    ResetAuthState();
    connected_ = true;
}

// A server that refuses the digest we sent answers UNAUTHORIZED again; that is a refusal, not
// a new challenge, or a wrong password would send CONNECT after CONNECT for ever.
bool ObexClient::PrepareConnect()
{
    if (lastResponse_ == -1) {
        if (IsAuthConfigured()) {
            MakeSendChallengeNonce(auth_.localNonce);
            auth_.hasLocalNonce = true;
            auth_.sendChallenge = true;
        }
        return true;
    }
    if (lastResponse_ == OBEX_RSP_UNAUTHORIZED && IsAuthConfigured() && !answered_) {
        if (!auth_.challengeReceived)
            ObexFail(OBEX_ERR_AUTH_MISSING, "PrepareConnect:Authenticate Challengeが送られてきませんでした。");
        if (!auth_.hasChallengeNonce)
            ObexFail(OBEX_ERR_AUTH_MISSING, "PrepareConnect:あるべきNonce情報が存在しませんでした。");
        MakeSendChallengeNonce(auth_.localNonce);
        auth_.hasLocalNonce = true;
        auth_.sendChallenge = true;
        AnswerChallenge("PrepareConnect:ユーザーIDが要求されましたが、ユーザーIDが設定されていません。");
        return true;
    }
    if (lastResponse_ == OBEX_RSP_SUCCESS) {
        ResetAuthState();
        return false;
    }
    ObexFail(OBEX_ERR_REFUSED, "PrepareConnect:接続要求に失敗しました。");
}

void ObexClient::SetOperation(int32_t code)
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "SetOperation:既にClose済みです。");
    if (!connected_) ObexFail(OBEX_ERR_STATE, "SetOperation:CONNECTしていません。");
    operation_ = code;
}

void ObexClient::Abort()
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "Abort:既にClose済みです。");
    if (!connected_) ObexFail(OBEX_ERR_STATE, "Abort:CONNECTしていません。");
    ResetOutgoingHeaders();
    BeginPacket(OBEX_OP_ABORT);
    StorePacketLength();
    SendPacket();
    ResetReceivedHeaders();
    ReceiveResponse();
}

void ObexClient::SendRequest()
{
    if (IsClosed()) ObexFail(OBEX_ERR_STATE, "SendRequest:既にClose済みです。");
    if (!connected_) ObexFail(OBEX_ERR_STATE, "SendRequest:CONNECTしていません。");
    if (operation_ == -1) ObexFail(OBEX_ERR_STATE, "SendRequest:オペレーションが設定されていません。");
    ObexBodySource* source = GetBodySource();
    if (source && operation_ != OBEX_OP_PUT)
        ObexFail(OBEX_ERR_STATE,
             "SendRequest:リクエスト時にBODYおよびEND-OF-BODYヘッダでデータを送信できるのはPUTオペレーションのみです。");
    const uint8_t more = (uint8_t)(operation_ & 0x7F);
    const uint8_t last = (uint8_t)(operation_ | OBEX_FINAL_BIT);
    firstPacketCode_ = source ? more : last;
    answered_ = false;

    BeginPacket(firstPacketCode_);
    WriteHeaders();
    StorePacketLength();
    SendPacket();
    ResetReceivedHeaders();

    if (source) {
        const int32_t room = GetSendCapacity() - 6;
        std::vector<uint8_t> chunk((size_t)std::max(room, 1));
        bool endSent = false;
        for (;;) {
            ReceiveResponse();
            if (lastResponse_ == OBEX_RSP_CONTINUE || IsSuccessClass(lastResponse_)) {
                int32_t n = source->Read(this, chunk.data(), room);
                if (n > 0) {
                    BeginPacket(more);
                    WriteBytesHeader(OBEX_HI_BODY, chunk.data(), n);
                } else {
                    BeginPacket(last);
                    WriteBytesHeader(OBEX_HI_END_OF_BODY, nullptr, 0);
                    endSent = true;
                }
                StorePacketLength();
                SendPacket();
                if (endSent) break;
            } else if (lastResponse_ == OBEX_RSP_UNAUTHORIZED && IsAuthConfigured() && !answered_ &&
                       Authenticate()) {
                continue;
            } else {
                break;
            }
        }
        if (endSent) {
            ReceiveResponse();
            if (!(lastResponse_ & OBEX_FINAL_BIT))
                ObexFail(OBEX_ERR_PROTOCOL, "SendRequest:予期しないレスポンスを受け取りました。");
        }
    } else {
        int32_t idle = 0;
        for (;;) {
            const uint32_t bodyBefore = GetReceivedBodyBytes();
            ReceiveResponse();
            // A final SUCCESS ends the operation; a GET that has not seen End of Body yet is
            // still over, since the server will not send more after a final response.
            if (lastResponse_ == OBEX_RSP_SUCCESS) break;
            if (lastResponse_ == OBEX_RSP_CONTINUE || IsSuccessClass(lastResponse_)) {
                // A server that answers CONTINUE for ever, without a body to show for it, would
                // keep the request going for ever.
                if (GetReceivedBodyBytes() == bodyBefore && ++idle > kObexMaxIdlePackets)
                    ObexFail(OBEX_ERR_NO_PROGRESS, "SendRequest:データの転送が進みません。");
                BeginPacket(last);
                StorePacketLength();
                SendPacket();
                continue;
            }
            ObexFail(OBEX_ERR_REFUSED, "SendRequest:転送中にエラーが発生しました。");
        }
    }
    ResetOutgoingHeaders();
    ResetAuthState();
    if (!IsSuccessClass(lastResponse_)) ObexFail(OBEX_ERR_REFUSED, "SendRequest:リクエストに失敗しました。");
}

bool ObexClient::Authenticate()
{
    if (!auth_.challengeReceived)
        ObexFail(OBEX_ERR_AUTH_MISSING, "Authenticate:UNAUTHORIZEDでありながらAuthenticate Challengeが含まれていません。");
    if (!auth_.hasChallengeNonce) ObexFail(OBEX_ERR_AUTH_MISSING, "Authenticate:あるべきNonce情報が存在しませんでした。");
    AnswerChallenge("Authenticate:ユーザーIDが要求されましたが、ユーザーIDが設定されていません。");
    auth_.sendChallenge = false;
    BeginPacket(firstPacketCode_);
    WriteAuthResponseHeader();
    StorePacketLength();
    SendPacket();
    return true;
}

int32_t ObexClient::GetResponseCode()
{
    if (lastResponse_ == -1) ObexFail(OBEX_ERR_STATE, "GetResponseCode:レスポンスは未受信です。");
    return lastResponse_ & 0x7F;
}

const char* ObexClient::GetRealm()
{
    if (!HasReceived()) ObexFail(OBEX_ERR_STATE, "GetRealm:まだデータを受信していません。");
    return auth_.hasChallengeRealm ? auth_.challengeRealm.c_str() : nullptr;
}

int32_t ObexClient::GetRealmCodeset()
{
    if (!HasReceived()) ObexFail(OBEX_ERR_STATE, "GetRealmCodeset:まだデータを受信していません。");
    return auth_.challengeRealmCharset;
}

bool ObexClient::IsReadOnly()
{
    if (!HasReceived()) ObexFail(OBEX_ERR_STATE, "IsReadOnly:まだデータを受信していません。");
    return (auth_.challengeOptions & 0x02) != 0;
}

bool ObexClient::IsRequestUserId()
{
    if (!HasReceived()) ObexFail(OBEX_ERR_STATE, "IsRequestUserId:まだデータを受信していません。");
    return (auth_.challengeOptions & 0x01) != 0;
}

// OBEX authentication for ObexObject: challenge and response headers, written and parsed, and
// the digests.
#include "obex/ObexObject.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/ByteOrder.h"
#include "core/TextHelpers.h"
#include "obex/ObexCrypto.h"

namespace {

// Mixed into every nonce we make, so that two programs fed the same random bytes still differ.
const char kNonceKey[] = "ZorvexObexNonceKey-2008-0509Zvx";
static_assert(sizeof kNonceKey - 1 == 31, "the nonce key is 31 characters");

const char kChallenge[] = "ParseAuthChallenge:AUTHENTICATE CHALLENGE";
const char kResponse[] = "ParseAuthResponse:AUTHENTICATE RESPONSE";

// A malformed authentication header, by the header's message and the check's number.
[[noreturn]] void BadAuthHeader(const char* header, int check)
{
    const std::string message =
        std::string(header) + "ヘッダの内容が不正です(" + std::to_string(check) + ")。";
    ObexFail(OBEX_ERR_PROTOCOL, message.c_str());
}

void AppendTriplet(ByteBuffer& payload, uint8_t tag, const void* value, uint8_t length)
{
    payload.AppendByte(tag);
    payload.AppendByte(length);
    payload.Append(value, length);
}

// A nonce or digest: exactly 16 bytes, else check `check` fails.
void Take16(uint8_t* out, bool* has, const uint8_t* value, int32_t v, const char* header, int check)
{
    if (v != 16) BadAuthHeader(header, check);
    std::memcpy(out, value, 16);
    *has = true;
}

// Calls `visit(tag, value, length)` for each tag-length-value triplet of an authentication
// header's payload; a triplet cut short is checks 1 and 2.
template <class Visit>
void ForEachTriplet(const uint8_t* payload, int32_t length, const char* header, Visit visit)
{
    while (length > 0) {
        if (length < 3) BadAuthHeader(header, 1);
        const int32_t v = payload[1];
        if (v > length - 2) BadAuthHeader(header, 2);
        visit(payload[0], payload + 2, v);
        payload += 2 + v;
        length -= 2 + v;
    }
}

}  // namespace

// A tag's length is one byte: texts that would not fit are cut so the tag stays well formed.
void ObexObject::WriteAuthChallengeHeader()
{
    ByteBuffer payload((uint32_t)sendCapacity_);
    if (auth_.hasLocalNonce) AppendTriplet(payload, 0x00, auth_.localNonce, 16);
    AppendTriplet(payload, 0x01, &auth_.localOptions, 1);
    if (auth_.hasLocalRealm) {
        payload.AppendByte(0x02);
        if (auth_.localRealmCharset == 0xFF) {
            std::u16string wide = TextToUtf16(auth_.localRealm.c_str());
            if (wide.size() > 126) wide.resize(126);
            payload.AppendByte((uint8_t)(2 * wide.size() + 3));
            payload.AppendByte(0xFF);
            for (char16_t unit : wide) {
                payload.AppendByte((uint8_t)(unit >> 8));
                payload.AppendByte((uint8_t)unit);
            }
            payload.AppendByte(0);
            payload.AppendByte(0);
        } else {
            size_t m = std::min<size_t>(auth_.localRealm.size(), 253);
            payload.AppendByte((uint8_t)(m + 2));
            payload.AppendByte(auth_.localRealmCharset);
            payload.Append(auth_.localRealm.data(), (uint32_t)m);
            payload.AppendByte(0);
        }
    }
    WriteBytesHeader(OBEX_HI_AUTH_CHALLENGE, payload.GetData(), (int32_t)payload.GetSize());
}

void ObexObject::WriteAuthResponseHeader()
{
    ByteBuffer payload((uint32_t)sendCapacity_);
    if (auth_.hasLocalDigest) AppendTriplet(payload, 0x00, auth_.localDigest, 16);
    if (auth_.hasLocalResponseUserId) {
        size_t m = std::min<size_t>(auth_.localResponseUserId.size(), 254);
        payload.AppendByte(0x01);
        payload.AppendByte((uint8_t)(m + 1));
        payload.Append(auth_.localResponseUserId.data(), (uint32_t)m);
        payload.AppendByte(0);
    }
    if (auth_.hasResponseNonce) AppendTriplet(payload, 0x02, auth_.responseNonce, 16);
    WriteBytesHeader(OBEX_HI_AUTH_RESPONSE, payload.GetData(), (int32_t)payload.GetSize());
}

void ObexObject::ParseAuthChallenge(const uint8_t* payload, int32_t length)
{
    ForEachTriplet(payload, length, kChallenge, [this](uint8_t tag, const uint8_t* value, int32_t v) {
        if (tag == 0x00) {
            Take16(auth_.challengeNonce, &auth_.hasChallengeNonce, value, v, kChallenge, 3);
        } else if (tag == 0x01) {
            if (v != 1) BadAuthHeader(kChallenge, 4);
            auth_.challengeOptions = value[0];
        } else if (tag == 0x02) {
            if (v < 2) BadAuthHeader(kChallenge, 5);
            auth_.challengeRealmCharset = value[0];
            if (value[0] == 0xFF) {
                if ((v & 1) == 0) BadAuthHeader(kChallenge, 6);
                std::u16string wide;
                for (int32_t i = 0; i < (v - 1) / 2; ++i) wide += (char16_t)Be16(value + 1 + 2 * i);
                auth_.challengeRealm = TextToAnsi(wide.c_str());
            } else {
                auth_.challengeRealm = std::string((const char*)value + 1, (size_t)(v - 1)).c_str();
            }
            auth_.hasChallengeRealm = true;
        }
    });
}

void ObexObject::ParseAuthResponse(const uint8_t* payload, int32_t length)
{
    ForEachTriplet(payload, length, kResponse, [this](uint8_t tag, const uint8_t* value, int32_t v) {
        if (tag == 0x00) {
            Take16(auth_.receivedDigest, &auth_.hasReceivedDigest, value, v, kResponse, 3);
        } else if (tag == 0x01) {
            auth_.receivedUserId = std::string((const char*)value, (size_t)v).c_str();
            auth_.hasReceivedUserId = true;
        } else if (tag == 0x02) {
            Take16(auth_.receivedResponseNonce, &auth_.hasReceivedResponseNonce, value, v,
                   kResponse, 4);
        }
    });
}

// ---- Passwords and digests ------------------------------------------------------------------

void ObexObject::ResetAuthState()
{
    auth_ = AuthState();
    auth_.nonceKey = kNonceKey;
}

void ObexObject::SetAuthPassword(const char* password)
{
    auth_.hasPassword = password != nullptr;
    auth_.password = DuplicateText(password);
}

void ObexObject::SetAuthPasswordProvider(PasswordProvider* provider)
{
    auth_.provider = provider;
}

void ObexObject::SetAuthUserId(const char* userId)
{
    auth_.hasUserId = userId != nullptr;
    auth_.userId = DuplicateText(userId);
}

void ObexObject::MakeSendChallengeNonce(uint8_t* out)
{
    uint8_t random[16];
    GenerateSecureRandom(random, sizeof random);
    ByteBuffer block(200);
    block.Append(random, sizeof random);
    block.AppendText(":");
    block.AppendText(auth_.nonceKey.c_str());
    if (!Md5(block.GetData(), block.GetSize(), out))
        ObexFail(OBEX_ERR_CRYPTO, "MakeSendChallengeNonce:MD5値の計算に失敗しました。");
}

bool ObexObject::IsAuthConfigured()
{
    return auth_.provider != nullptr || auth_.hasPassword;
}

const char* ObexObject::GetCurrentPassword(const char* userId)
{
    const char* password = auth_.provider ? auth_.provider->GetPassword(userId)
                                          : (auth_.hasPassword ? auth_.password.c_str() : nullptr);
    if (!password) ObexFail(OBEX_ERR_STATE, "GetCurrentPassword:認証に必要なパスワードを取得できませんでした。");
    return password;
}

void ObexObject::MakeRequestDigest(uint8_t* out, const uint8_t* nonce, const char* userId)
{
    const char* password = GetCurrentPassword(userId);
    ByteBuffer block(200);
    block.Append(nonce, 16);
    block.AppendText(":");
    block.AppendText(password);
    if (!Md5(block.GetData(), block.GetSize(), out))
        ObexFail(OBEX_ERR_CRYPTO, "MakeRequestDigest:MD5値の計算に失敗しました。");
}

// Without a nonce of ours there is nothing the digest could prove.
bool ObexObject::VerifyRequestDigest(const uint8_t* digest, const char* userId)
{
    if (!auth_.hasLocalNonce) return false;
    uint8_t expected[16];
    MakeRequestDigest(expected, auth_.localNonce, userId);
    return std::memcmp(expected, digest, 16) == 0;
}

#include "obex/ObexObject.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/CodePage.h"
#include "core/TextHelpers.h"
#include "core/TimeConv.h"
#include "obex/ObexCrypto.h"

namespace {

// Mixed into every nonce we make, so that two programs fed the same random bytes still differ.
const char kNonceKey[] = "ZorvexObexNonceKey-2008-0509Zvx";
static_assert(sizeof kNonceKey - 1 == 31, "the nonce key is 31 characters");

}  // namespace

// ---- MemoryBodySource ------------------------------------------------------------------------

MemoryBodySource::MemoryBodySource(const void* data, uint32_t size)
    : data_(new uint8_t[size ? size : 1]), size_(size)
{
    if (size) std::memcpy(data_.get(), data, size);
}

MemoryBodySource::~MemoryBodySource() = default;

int32_t MemoryBodySource::Read(ObexObject*, uint8_t* buffer, int32_t maximum)
{
    if (maximum <= 0) return 0;
    uint32_t n = std::min<uint32_t>((uint32_t)maximum, size_ - position_);
    if (n) std::memcpy(buffer, data_.get() + position_, n);
    position_ += n;
    return (int32_t)n;
}

uint32_t MemoryBodySource::GetPosition() const { return position_; }
uint32_t MemoryBodySource::GetSize() const { return size_; }

// ---- Construction and end --------------------------------------------------------------------

ObexObject::ObexObject(ObexSocket* transport) : transport_(transport)
{
    AllocateSendBuffer(0);
    AllocateReceiveBuffer(0);
    InitReceivedHeaders();
    InitOutgoingHeaders();
    ResetAuthState();
    transport_->Open();
    closed_ = false;
}

ObexObject::~ObexObject()
{
    ObexObject::Close();
    DropOwnedBodySource();
}

void ObexObject::Close()
{
    if (closed_.exchange(true)) return;
    transport_->Close();
}

// ---- Resets and buffers ----------------------------------------------------------------------

void ObexObject::ResetReceivedHeaders()
{
    in_.body.reset();
    InitReceivedHeaders();
    // What the last authentication headers carried belongs to the packets just dropped.
    auth_.hasChallengeNonce = false;
    auth_.challengeOptions = 0;
    auth_.challengeRealmCharset = 0;
    auth_.hasChallengeRealm = false;
    auth_.challengeRealm.clear();
    auth_.hasReceivedDigest = false;
    auth_.hasReceivedUserId = false;
    auth_.receivedUserId.clear();
    auth_.hasReceivedResponseNonce = false;
    auth_.challengeReceived = false;
    auth_.responseReceived = false;
}

void ObexObject::InitReceivedHeaders()
{
    in_ = Received();
    in_.body.reset(new ByteBuffer((uint32_t)receiveCapacity_));
    readPosition_ = 0;
}

void ObexObject::ResetOutgoingHeaders()
{
    DropOwnedBodySource();
    InitOutgoingHeaders();
}

void ObexObject::InitOutgoingHeaders()
{
    out_ = Outgoing();
    sendLength_ = 0;
}

void ObexObject::DropOwnedBodySource()
{
    if (out_.ownsBodySource) delete out_.bodySource;
    out_.bodySource = nullptr;
    out_.ownsBodySource = false;
}

// The arrays are never smaller than a packet's 3-byte prefix, so that ReceivePacket can read
// the length field even before a capacity is known; the capacity still bounds every packet.
// Bytes held before are carried over as far as they fit, so a length kept across the new
// allocation never points past the array.
void ObexObject::AllocateReceiveBuffer(int32_t capacity)
{
    if (capacity < 0) capacity = 0;
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[(size_t)std::max(capacity, 3)]());
    receiveLength_ = std::min(receiveLength_, capacity);
    readPosition_ = std::min(readPosition_, receiveLength_);
    if (receiveBuffer_ && receiveLength_ > 0)
        std::memcpy(fresh.get(), receiveBuffer_.get(), (size_t)receiveLength_);
    receiveBuffer_ = std::move(fresh);
    receiveCapacity_ = capacity;
}

void ObexObject::AllocateSendBuffer(int32_t capacity)
{
    if (capacity < 0) capacity = 0;
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[(size_t)std::max(capacity, 3)]());
    sendLength_ = std::min(sendLength_, capacity);
    if (sendBuffer_ && sendLength_ > 0)
        std::memcpy(fresh.get(), sendBuffer_.get(), (size_t)sendLength_);
    sendBuffer_ = std::move(fresh);
    sendCapacity_ = capacity;
}

int32_t ObexObject::GetSendCapacity() { return sendCapacity_; }
int32_t ObexObject::GetReceiveCapacity() { return receiveCapacity_; }

// ---- Writers and readers ---------------------------------------------------------------------

void ObexObject::WriteByte(uint8_t value)
{
    if ((int64_t)sendLength_ + 1 > sendCapacity_) ObexFail(OBEX_ERR_OVERFLOW, "WriteByte:パケットあふれが発生しました。");
    sendBuffer_[(size_t)sendLength_++] = value;
}

void ObexObject::WriteWord(uint16_t value)
{
    if ((int64_t)sendLength_ + 2 > sendCapacity_) ObexFail(OBEX_ERR_OVERFLOW, "WriteWord:パケットあふれが発生しました。");
    sendBuffer_[(size_t)sendLength_++] = (uint8_t)(value >> 8);
    sendBuffer_[(size_t)sendLength_++] = (uint8_t)value;
}

void ObexObject::WriteDoubleWord(uint32_t value)
{
    if ((int64_t)sendLength_ + 4 > sendCapacity_)
        ObexFail(OBEX_ERR_OVERFLOW, "WriteDoubleWord:パケットあふれが発生しました。");
    for (int shift = 24; shift >= 0; shift -= 8) sendBuffer_[(size_t)sendLength_++] = (uint8_t)(value >> shift);
}

void ObexObject::WriteBytes(const void* data, int32_t count)
{
    if (count < 0 || (int64_t)sendLength_ + count > sendCapacity_)
        ObexFail(OBEX_ERR_OVERFLOW, "WriteBytes:パケットあふれが発生しました。");
    if (count) std::memcpy(sendBuffer_.get() + sendLength_, data, (size_t)count);
    sendLength_ += count;
}

uint8_t ObexObject::ReadByte()
{
    if ((int64_t)readPosition_ + 1 > receiveLength_) ObexFail(OBEX_ERR_PROTOCOL, "ReadByte:パケット長が不正です。");
    return receiveBuffer_[(size_t)readPosition_++];
}

uint16_t ObexObject::ReadWord()
{
    if ((int64_t)readPosition_ + 2 > receiveLength_) ObexFail(OBEX_ERR_PROTOCOL, "ReadWord:パケット長が不正です。");
    uint16_t value = (uint16_t)Be16(receiveBuffer_.get() + readPosition_);
    readPosition_ += 2;
    return value;
}

uint32_t ObexObject::ReadDoubleWord()
{
    if ((int64_t)readPosition_ + 4 > receiveLength_)
        ObexFail(OBEX_ERR_PROTOCOL, "ReadDoubleWord:パケット長が不正です。");
    const uint8_t* p = receiveBuffer_.get() + readPosition_;
    readPosition_ += 4;
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}

void ObexObject::ReadBytes(void* destination, int32_t count)
{
    if (count < 0 || (int64_t)readPosition_ + count > receiveLength_)
        ObexFail(OBEX_ERR_PROTOCOL, "ReadBytes:パケット長が不正です。");
    if (count) std::memcpy(destination, receiveBuffer_.get() + readPosition_, (size_t)count);
    readPosition_ += count;
}

// ---- Whole packets ---------------------------------------------------------------------------

void ObexObject::BeginPacket(uint8_t code)
{
    sendLength_ = 0;
    WriteByte(code);
    WriteWord(0);
}

void ObexObject::StorePacketLength()
{
    sendBuffer_[1] = (uint8_t)(sendLength_ >> 8);
    sendBuffer_[2] = (uint8_t)sendLength_;
}

void ObexObject::SendPacket()
{
    int32_t sent = 0;
    while (sent < sendLength_) {
        const int32_t n = transport_->Send(sendBuffer_.get(), sent, sendLength_ - sent);
        if (n > 0 && activity_) activity_();
        sent += n;
    }
    sendLength_ = 0;
}

void ObexObject::ReceiveFirstPacket(bool (*isStart)(uint8_t code))
{
    receiveLength_ = 0;
    readPosition_ = 0;
    for (;;) {
        const int32_t n = transport_->Receive(receiveBuffer_.get(), 0, 1);
        if (n > 0 && activity_) activity_();
        if (n > 0 && isStart(receiveBuffer_[0])) break;
    }
    ReceivePacket(1);
}

void ObexObject::ReceivePacket() { ReceivePacket(0); }

void ObexObject::ReceivePacket(int32_t held)
{
    receiveLength_ = 0;
    readPosition_ = 0;
    const auto arrived = [this](int32_t n) {
        if (n > 0 && activity_) activity_();
        return n;
    };
    while (held < 3) held += arrived(transport_->Receive(receiveBuffer_.get(), held, 3 - held));
    int32_t length = (int32_t)Be16(receiveBuffer_.get() + 1);
    if (length < 3) ObexFail(OBEX_ERR_PROTOCOL, "ReceivePacket:受信したパケットサイズが３バイト以下です。");
    if (length > receiveCapacity_)
        ObexFail(OBEX_ERR_PROTOCOL, "ReceivePacket:受信したパケットサイズが最大バイト以上です。");
    while (held < length) held += arrived(transport_->Receive(receiveBuffer_.get(), held, length - held));
    receiveLength_ = length;
}

// ---- Header writers --------------------------------------------------------------------------

void ObexObject::WriteUnicodeHeader(uint8_t id, const char* text)
{
    std::u16string wide = TextToUtf16(text ? text : "");
    WriteByte(id);
    WriteWord((uint16_t)(2 * wide.size() + 5));
    for (char16_t unit : wide) WriteWord((uint16_t)unit);
    WriteWord(0);
}

void ObexObject::WriteBytesHeader(uint8_t id, const void* data, int32_t count)
{
    WriteByte(id);
    WriteWord((uint16_t)(count + 3));
    WriteBytes(data, count);
}

void ObexObject::WriteDoubleWordHeader(uint8_t id, uint32_t value)
{
    WriteByte(id);
    WriteDoubleWord(value);
}

std::string ObexObject::FormatIsoTime(int32_t seconds)
{
    CalendarTime utc;
    if (!SecondsToUtcCalendar(seconds, &utc)) utc = CalendarTime{1970, 1, 1, 0, 0, 0};
    return FormatCompactUtc(utc);
}

void ObexObject::WriteHeaders()
{
    if (out_.hasCount) WriteDoubleWordHeader(OBEX_HI_COUNT, out_.count);
    if (out_.hasName) WriteUnicodeHeader(OBEX_HI_NAME, out_.name.c_str());
    if (out_.hasType) WriteBytesHeader(OBEX_HI_TYPE, out_.type.c_str(), (int32_t)out_.type.size() + 1);
    if (out_.hasTime) {
        if (out_.timeAsNumber) {
            WriteDoubleWordHeader(OBEX_HI_TIME_NUMBER, (uint32_t)out_.time);
        } else {
            std::string text = FormatIsoTime(out_.time);
            WriteBytesHeader(OBEX_HI_TIME_TEXT, text.data(), 16);
        }
    }
    if (out_.hasDescription) WriteUnicodeHeader(OBEX_HI_DESCRIPTION, out_.description.c_str());
    if (out_.hasLength) WriteDoubleWordHeader(OBEX_HI_LENGTH, out_.length);
    int32_t lines = out_.http.GetCount();
    if (lines > 0) {
        std::vector<const char*> names((size_t)lines), values((size_t)lines);
        out_.http.GetNames(names.data(), lines);
        out_.http.GetValues(values.data(), lines);
        std::string payload;
        for (int32_t i = 0; i < lines; ++i) {
            payload += names[(size_t)i];
            payload += ": ";
            payload += values[(size_t)i];
            payload += "\r\n";
        }
        WriteBytesHeader(OBEX_HI_HTTP, payload.data(), (int32_t)payload.size());
    }
    if (auth_.sendChallenge) WriteAuthChallengeHeader();
    if (auth_.sendResponse) WriteAuthResponseHeader();
}

// A tag's length is one byte: texts that would not fit are cut so the tag stays well formed.
void ObexObject::WriteAuthChallengeHeader()
{
    ByteBuffer payload((uint32_t)sendCapacity_);
    if (auth_.hasLocalNonce) {
        payload.AppendByte(0x00);
        payload.AppendByte(16);
        payload.Append(auth_.localNonce, 16);
    }
    payload.AppendByte(0x01);
    payload.AppendByte(1);
    payload.AppendByte(auth_.localOptions);
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
    if (auth_.hasLocalDigest) {
        payload.AppendByte(0x00);
        payload.AppendByte(16);
        payload.Append(auth_.localDigest, 16);
    }
    if (auth_.hasLocalResponseUserId) {
        size_t m = std::min<size_t>(auth_.localResponseUserId.size(), 254);
        payload.AppendByte(0x01);
        payload.AppendByte((uint8_t)(m + 1));
        payload.Append(auth_.localResponseUserId.data(), (uint32_t)m);
        payload.AppendByte(0);
    }
    if (auth_.hasResponseNonce) {
        payload.AppendByte(0x02);
        payload.AppendByte(16);
        payload.Append(auth_.responseNonce, 16);
    }
    WriteBytesHeader(OBEX_HI_AUTH_RESPONSE, payload.GetData(), (int32_t)payload.GetSize());
}

// ---- Parser ----------------------------------------------------------------------------------

int32_t ObexObject::ParseIsoTime(const uint8_t* text, int32_t length)
{
    if (length > 16) ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:ISO8601の長さが不正です(1)。");
    bool utc;
    if (length == 16) {
        if (text[15] != 'Z') ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:ISO8601の内容が不正です(1)。");
        utc = true;
    } else if (length == 15) {
        utc = false;
    } else {
        ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:ISO8601の長さが不正です(2)。");
    }
    if (text[8] != 'T') ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:ISO8601の内容が不正です(2)。");
    int32_t seconds = 0;
    if (!CompactDateTimeToSeconds(reinterpret_cast<const char*>(text), utc, &seconds))
        ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:ISO8601の内容が不正です(3)。");
    return seconds;
}

void ObexObject::ParseReceivePacket()
{
    in_.received = true;
    while (readPosition_ < receiveLength_) {
        uint8_t id = ReadByte();
        switch (id & 0xC0) {
        case 0x00: {
            uint16_t w = ReadWord();
            if (w < 5 || (w & 1) == 0) ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:文字列の長さが不正です。");
            int32_t units = (w - 3) / 2;
            if ((int64_t)readPosition_ + 2 * units > receiveLength_)
                ObexFail(OBEX_ERR_PROTOCOL, "ReadWord:パケット長が不正です。");
            std::u16string text((size_t)units, u'\0');
            for (int32_t i = 0; i < units; ++i) text[(size_t)i] = (char16_t)ReadWord();
            if (text.back() != 0)
                ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:文字列が0x0000で終わっていません。");
            if (id == OBEX_HI_NAME) {
                in_.name = TextToAnsi(text.c_str());
                in_.hasName = true;
            } else if (id == OBEX_HI_DESCRIPTION) {
                in_.description = TextToAnsi(text.c_str());
                in_.hasDescription = true;
            }
            break;
        }
        case 0x40: {
            uint16_t w = ReadWord();
            if (w < 3) ObexFail(OBEX_ERR_PROTOCOL, "ParseReceivePacket:文字列の長さが不正です。");
            int32_t n = w - 3;
            if ((int64_t)readPosition_ + n > receiveLength_)
                ObexFail(OBEX_ERR_PROTOCOL, "ReadBytes:パケット長が不正です。");
            const uint8_t* payload = receiveBuffer_.get() + readPosition_;
            readPosition_ += n;
            switch (id) {
            case OBEX_HI_TYPE:
                in_.type.assign((const char*)payload, (size_t)(n > 0 && payload[n - 1] == 0 ? n - 1 : n));
                in_.hasType = true;
                break;
            case OBEX_HI_TIME_TEXT:
                in_.time = ParseIsoTime(payload, n);
                in_.hasTime = true;
                break;
            case OBEX_HI_HTTP:
                ParseHttpHeader(payload, n);
                break;
            case OBEX_HI_END_OF_BODY:
                in_.endOfBody = true;
                // fall through
            case OBEX_HI_BODY:
                if ((uint32_t)n > receiveLimit_ - in_.bodyBytes)
                    ObexFail(OBEX_ERR_TOO_LARGE, "ParseReceivePacket:受信するオブジェクトが大きすぎます。");
                in_.bodyBytes += (uint32_t)n;
                if (receiver_) {
                    receiver_->Receive(this, payload, n, in_.endOfBody);
                } else {
                    in_.body->Append(payload, (uint32_t)n);
                }
                break;
            case OBEX_HI_AUTH_CHALLENGE:
                ParseAuthChallenge(payload, n);
                auth_.challengeReceived = true;
                break;
            case OBEX_HI_AUTH_RESPONSE:
                ParseAuthResponse(payload, n);
                auth_.responseReceived = true;
                break;
            default:
                break;
            }
            break;
        }
        case 0x80:
            ReadByte();
            break;
        default: {
            uint32_t value = ReadDoubleWord();
            if (id == OBEX_HI_COUNT) {
                in_.count = value;
                in_.hasCount = true;
            } else if (id == OBEX_HI_LENGTH) {
                in_.length = value;
                in_.hasLength = true;
            } else if (id == OBEX_HI_TIME_NUMBER) {
                in_.time = (int32_t)value;
                in_.hasTime = true;
            }
            break;
        }
        }
    }
}

void ObexObject::ParseHttpHeader(const uint8_t* text, int32_t length)
{
    const char* p = (const char*)text;
    const char* end = p + (length > 0 ? length : 0);
    while (p < end) {
        const char* lf = (const char*)std::memchr(p, '\n', (size_t)(end - p));
        if (!lf) ObexFail(OBEX_ERR_PROTOCOL, "ParseHttpHeader:HTTPヘッダの内容が不正です(3)。");
        if (lf == p) ObexFail(OBEX_ERR_PROTOCOL, "ParseHttpHeader:HTTPヘッダの内容が不正です(1)。");
        std::string line(p, lf);
        if (line.back() == '\r') line.pop_back();
        p = lf + 1;
        size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            ObexFail(OBEX_ERR_PROTOCOL, "ParseHttpHeader:HTTPヘッダの内容が不正です(2)。");
        line[colon] = '\0';
        // TrimText works on NUL-terminated text; the copy keeps the two halves apart.
        std::string name(line.c_str()), value(line.c_str() + colon + 1);
        const char* trimmed = TrimText(&name[0]);
        if (in_.http.GetCount() < kObexMaxHttpHeaders || in_.http.Get(trimmed))
            in_.http.Set(trimmed, TrimText(&value[0]));
    }
}

void ObexObject::ParseAuthChallenge(const uint8_t* payload, int32_t length)
{
    while (length > 0) {
        if (length < 3)
            ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です(1)。");
        uint8_t tag = payload[0];
        int32_t v = payload[1];
        if (v > length - 2)
            ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です(2)。");
        const uint8_t* value = payload + 2;
        if (tag == 0x00) {
            if (v != 16)
                ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です(3)。");
            std::memcpy(auth_.challengeNonce, value, 16);
            auth_.hasChallengeNonce = true;
        } else if (tag == 0x01) {
            if (v != 1)
                ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です(4)。");
            auth_.challengeOptions = value[0];
        } else if (tag == 0x02) {
            if (v < 2)
                ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です(5)。");
            auth_.challengeRealmCharset = value[0];
            if (value[0] == 0xFF) {
                if ((v & 1) == 0)
                    ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です(6)。");
                std::u16string wide;
                for (int32_t i = 0; i < (v - 1) / 2; ++i) wide += (char16_t)Be16(value + 1 + 2 * i);
                auth_.challengeRealm = TextToAnsi(wide.c_str());
            } else {
                auth_.challengeRealm = std::string((const char*)value + 1, (size_t)(v - 1)).c_str();
            }
            auth_.hasChallengeRealm = true;
        }
        payload += 2 + v;
        length -= 2 + v;
    }
}

void ObexObject::ParseAuthResponse(const uint8_t* payload, int32_t length)
{
    while (length > 0) {
        if (length < 3)
            ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthResponse:AUTHENTICATE RESPONSEヘッダの内容が不正です(1)。");
        uint8_t tag = payload[0];
        int32_t v = payload[1];
        if (v > length - 2)
            ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthResponse:AUTHENTICATE RESPONSEヘッダの内容が不正です(2)。");
        const uint8_t* value = payload + 2;
        if (tag == 0x00) {
            if (v != 16)
                ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthResponse:AUTHENTICATE RESPONSEヘッダの内容が不正です(3)。");
            std::memcpy(auth_.receivedDigest, value, 16);
            auth_.hasReceivedDigest = true;
        } else if (tag == 0x01) {
            auth_.receivedUserId = std::string((const char*)value, (size_t)v).c_str();
            auth_.hasReceivedUserId = true;
        } else if (tag == 0x02) {
            if (v != 16)
                ObexFail(OBEX_ERR_PROTOCOL, "ParseAuthResponse:AUTHENTICATE RESPONSEヘッダの内容が不正です(4)。");
            std::memcpy(auth_.receivedResponseNonce, value, 16);
            auth_.hasReceivedResponseNonce = true;
        }
        payload += 2 + v;
        length -= 2 + v;
    }
}

// ---- Authentication --------------------------------------------------------------------------

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

// ---- Values to send and values received ------------------------------------------------------

void ObexObject::CheckReceived(const char* message)
{
    if (!in_.received) ObexFail(OBEX_ERR_STATE, message);
}

void ObexObject::SetBodyReceiver(ObexBodyReceiver* receiver) { receiver_ = receiver; }

void ObexObject::SetBodySource(ObexBodySource* source)
{
    DropOwnedBodySource();
    out_.bodySource = source;
    out_.ownsBodySource = false;
}

void ObexObject::SetBody(const void* data, uint32_t count)
{
    DropOwnedBodySource();
    out_.bodySource = new MemoryBodySource(data, count);
    out_.ownsBodySource = true;
    SetLength(count);
}

uint32_t ObexObject::GetLength()
{
    CheckReceived("GetLength:まだデータを受信していません。");
    return in_.hasLength ? in_.length : 0;
}

void ObexObject::SetLength(uint32_t value)
{
    out_.length = value;
    out_.hasLength = true;
}

uint32_t ObexObject::GetContentLength()
{
    CheckReceived("GetContentLength:まだデータを受信していません。");
    return in_.body->GetSize();
}

uint32_t ObexObject::GetCount()
{
    CheckReceived("GetCount:まだデータを受信していません。");
    return in_.hasCount ? in_.count : 0;
}

void ObexObject::SetCount(uint32_t value)
{
    out_.count = value;
    out_.hasCount = true;
}

void ObexObject::SetName(const char* text)
{
    out_.hasName = text != nullptr;
    out_.name = DuplicateText(text);
}

const char* ObexObject::GetName()
{
    CheckReceived("GetName:まだデータを受信していません。");
    return in_.hasName ? in_.name.c_str() : nullptr;
}

void ObexObject::SetType(const char* text)
{
    out_.hasType = text != nullptr;
    out_.type = DuplicateText(text);
}

const char* ObexObject::GetType()
{
    CheckReceived("GetType:まだデータを受信していません。");
    return in_.hasType ? in_.type.c_str() : nullptr;
}

void ObexObject::SetTime(int32_t seconds)
{
    out_.time = seconds;
    out_.hasTime = true;
}

int32_t ObexObject::GetTime()
{
    CheckReceived("GetTime:まだデータを受信していません。");
    return in_.hasTime ? in_.time : 0;
}

void ObexObject::SetDescription(const char* text)
{
    out_.hasDescription = text != nullptr;
    out_.description = DuplicateText(text);
}

const char* ObexObject::GetDescription()
{
    CheckReceived("GetDescription:まだデータを受信していません。");
    return in_.hasDescription ? in_.description.c_str() : nullptr;
}

void ObexObject::SetTimeAsNumber(bool asNumber) { out_.timeAsNumber = asNumber; }

void ObexObject::SetHttpHeader(const char* name, const char* value) { out_.http.Set(name, value); }

void ObexObject::RemoveHttpHeader(const char* name) { out_.http.Remove(name); }

const char* ObexObject::GetHttpHeader(const char* name)
{
    CheckReceived("GetHttpHeader:まだデータを受信していません。");
    return in_.http.Get(name);
}

int32_t ObexObject::GetHttpHeaderNames(const char** array, int32_t capacity)
{
    CheckReceived("GetHttpHeaderNames:まだデータを受信していません。");
    return in_.http.GetNames(array, capacity);
}

const uint8_t* ObexObject::GetBody()
{
    CheckReceived("GetBody:まだデータを受信していません。");
    return in_.body->GetData();
}

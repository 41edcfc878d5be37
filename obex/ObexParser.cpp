// ObexObject's reading of a received packet's headers.
#include "obex/ObexObject.h"

#include <cstring>

#include "core/TextHelpers.h"
#include "core/TimeConv.h"

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

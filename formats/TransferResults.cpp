#include "formats/TransferResults.h"

#include "core/MediaObject.h"

namespace {

const char* const kNoInfraredPort = "赤外線ポートが使用できません。";
const char* const kNoSerialPort = "指定の通信ポートが使用できません。";

const char* const kSendMessages[7] = {
    "送信に成功しました。",
    nullptr,  // the port, by transport
    "接続する相手が見つかりませんでした。",
    "予期しない接続解除が行われました。",
    "データの受け取りを拒否されました。",
    "Zorvexにバグがあるようです。",
    "送信できないデータ形式です。",
};

const char* const kReceiveMessages[11] = {
    "受信に成功しました。",
    "サポートしていないファイル形式です。",
    "サポートしていない伝送形式です。",
    "データが渡されませんでした。",
    "予期しない接続解除が行われました。",
    "不正な要求が行われました。",
    "接続に失敗しました。",
    "データが異常です。",
    "サポートできないファイル形式です。",
    nullptr,  // the port, by transport
    "規定外の問題が発生しました。",
};

}  // namespace

const char* const kSendKindUnsupported = "この形式の送信には対応していません。";
const char* const kReceiveInstalled = "受信に成功しました。";
const char* const kReceiveKindUnsupported = "対応していない形式のデータを受信しました。";
const char* const kReceiveNotDecodable = "対応していないデータ形式です。";
const char* const kTransferUnexpected = "予期しないエラーが発生しました。";

const char* const kNoResultMessage = "(該当するメッセージが用意されていません。)";

const char* ResultMessage(Direction direction, int32_t result, bool serial)
{
    if (direction == Direction::Send) {
        if (result == SEND_NO_PORT) return serial ? kNoSerialPort : kNoInfraredPort;
        if (result == SEND_KIND_UNSUPPORTED) return kSendKindUnsupported;
        return result >= 0 && result < 7 ? kSendMessages[result] : kNoResultMessage;
    }
    if (result == RECEIVE_NO_PORT) return serial ? kNoSerialPort : kNoInfraredPort;
    switch (result) {
    case RECEIVE_KIND_REFUSED: return kReceiveKindUnsupported;
    case RECEIVE_CONTENT_REFUSED: return kReceiveNotDecodable;
    case RECEIVE_NOT_KEPT: return "受信したデータを保存できませんでした。";
    case RECEIVE_NO_ROOM: return "これ以上のデータは受け取れません。";
    default: return result >= 0 && result < 11 ? kReceiveMessages[result] : kNoResultMessage;
    }
}

uint8_t RefusalResponse(int32_t result)
{
    switch (result) {
    case RECEIVE_UNKNOWN_OBJECT:
    case RECEIVE_UNKNOWN_FORMAT:
    case RECEIVE_KIND_REFUSED:
    case RECEIVE_CONTENT_REFUSED: return 0xCF;  // Unsupported Media Type
    case RECEIVE_NO_DATA:
    case RECEIVE_BAD_DATA: return 0xC0;         // Bad Request
    case RECEIVE_NO_ROOM: return 0xD3;          // Service Unavailable
    default: return 0xD0;                       // Internal Server Error
    }
}

bool IsTransferableKind(int32_t kind)
{
    return kind >= MEDIA_JPEG && kind <= MEDIA_SMF && kind != 5;
}

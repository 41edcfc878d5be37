#include "app/TransferTexts.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "core/MediaObject.h"
#include "formats/VNoteReader.h"

namespace {

const char* const kReceivePhases[8] = {
    "初期化中です。",     "受信を開始します。",     "接続待ち中です。",
    "受信中です。",       "画像を展開中です。",     "接続解除中です。",
    "受信が正常に終了しました。", "受信中にエラーが発生しました。",
};
const char* const kSendPhases[8] = {
    "初期化中です。",     "送信を開始します。",     "接続待ち中です。",
    "送信中です。",       "受信中です。",           "接続解除中です。",
    "送信が正常に終了しました。", "送信中にエラーが発生しました。",
};

const char* const kNoInfraredPort = "赤外線ポートが使用できません。";
const char* const kNoSerialPort = "指定の通信ポートが使用できません。";
const char* const kNoMessage = "(該当するメッセージが用意されていません。)";

const char kSentOf[] = "%d バイト中 %d バイトを送信しました。";
const char kReceivedOf[] = "%d バイト中 %d バイトを受信しました。";
const char kReceivedBytes[] = "%d バイトを受信しました。";
const char kRateAndLeft[] = "(転送速度 %d バイト/秒 完了まで %d 秒)";
const char kRate[] = "(転送速度 %d バイト/秒)";

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

// Truncated toward zero; values a 32-bit integer cannot hold (no speed yet, more bytes than
// announced) show as 0 rather than as whatever the conversion would make of them.
int Whole(double value)
{
    return value >= 0 && value <= (double)INT_MAX ? (int)value : 0;
}

std::string Printf(const char* pattern, int a, int b = 0)
{
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

}  // namespace

const char* const kSendKindUnsupported = "この形式の送信には対応していません。";
const char* const kReceiveInstalled = "受信に成功しました。";
const char* const kReceiveKindUnsupported = "対応していない形式のデータを受信しました。";
const char* const kReceiveNotDecodable = "対応していないデータ形式です。";
const char* const kTransferUnexpected = "予期しないエラーが発生しました。";

const char* PhaseText(Direction direction, int32_t phase)
{
    if (phase < 1 || phase > 8) return nullptr;
    return (direction == Direction::Send ? kSendPhases : kReceivePhases)[phase - 1];
}

const char* ResultMessage(Direction direction, int32_t result, bool serial)
{
    if (direction == Direction::Send) {
        if (result == SEND_NO_PORT) return serial ? kNoSerialPort : kNoInfraredPort;
        if (result == SEND_KIND_UNSUPPORTED) return kSendKindUnsupported;
        return result >= 0 && result < 7 ? kSendMessages[result] : kNoMessage;
    }
    if (result == RECEIVE_NO_PORT) return serial ? kNoSerialPort : kNoInfraredPort;
    switch (result) {
    case RECEIVE_KIND_REFUSED: return kReceiveKindUnsupported;
    case RECEIVE_CONTENT_REFUSED: return kReceiveNotDecodable;
    case RECEIVE_NOT_KEPT: return "受信したデータを保存できませんでした。";
    case RECEIVE_NO_ROOM: return "これ以上のデータは受け取れません。";
    default: return result >= 0 && result < 11 ? kReceiveMessages[result] : kNoMessage;
    }
}

uint8_t RefusalResponse(int32_t result)
{
    switch (result) {
    case kReceiveUnknownObject:
    case kReceiveUnknownFormat:
    case RECEIVE_KIND_REFUSED:
    case RECEIVE_CONTENT_REFUSED: return 0xCF;  // Unsupported Media Type
    case kReceiveNoData:
    case kReceiveBadData: return 0xC0;          // Bad Request
    case RECEIVE_NO_ROOM: return 0xD3;          // Service Unavailable
    default: return 0xD0;                       // Internal Server Error
    }
}

bool IsTransferableKind(int32_t kind)
{
    return kind >= MEDIA_JPEG && kind <= MEDIA_SMF && kind != 5;
}

TransferEnd PresentEnd(Direction direction, bool succeeded, const char* message,
                       bool cancelRequested)
{
    const bool send = direction == Direction::Send;
    TransferEnd end;
    end.succeeded = succeeded;
    if (!succeeded && cancelRequested) {
        end.status = send ? "送信をキャンセルしました。" : "受信をキャンセルしました。";
    } else {
        end.status = message ? message : kNoMessage;
    }
    if (send) end.caption = succeeded ? "送信完了" : "送信失敗";
    else end.caption = succeeded ? "受信完了" : "受信失敗";
    end.button = "了解";
    return end;
}

std::string DeviceCaption(Direction direction, const char* deviceName)
{
    return std::string("デバイス〝") + deviceName +
           (direction == Direction::Send ? "〟へ送信中" : "〟より受信中");
}

ProgressLines FormatProgress(Direction direction, uint32_t done, uint32_t total,
                             uint32_t elapsedMs)
{
    const bool send = direction == Direction::Send;
    const double speed = (double)done * 1000.0 / (double)(elapsedMs ? elapsedMs : 1);
    ProgressLines lines;
    lines.showBar = send || total != 0;
    if (lines.showBar) {
        lines.first = Printf(send ? kSentOf : kReceivedOf, (int)total, (int)done);
        const double remaining = speed > 0 && done <= total ? (double)(total - done) / speed : 0;
        lines.second = Printf(kRateAndLeft, Whole(speed), Whole(remaining));
    } else {
        lines.first = Printf(kReceivedBytes, (int)done);
        lines.second = Printf(kRate, Whole(speed));
    }
    return lines;
}

ProgressLines FormatProgressAt(Direction direction, uint32_t done, uint32_t total,
                               double bytesPerSecond)
{
    const bool send = direction == Direction::Send;
    ProgressLines lines;
    lines.showBar = send || total != 0;
    lines.first = lines.showBar ? Printf(send ? kSentOf : kReceivedOf, (int)total, (int)done)
                                : Printf(kReceivedBytes, (int)done);
    if (bytesPerSecond <= 0) return lines;
    if (lines.showBar) {
        const double left = done <= total ? std::ceil((double)(total - done) / bytesPerSecond) : 0;
        lines.second = Printf(kRateAndLeft, Whole(bytesPerSecond), Whole(left));
    } else {
        lines.second = Printf(kRate, Whole(bytesPerSecond));
    }
    return lines;
}

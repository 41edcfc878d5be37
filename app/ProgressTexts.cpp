#include "app/ProgressTexts.h"

#include <climits>
#include <cmath>
#include <cstdio>

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

const char kSentOf[] = "%d バイト中 %d バイトを送信しました。";
const char kReceivedOf[] = "%d バイト中 %d バイトを受信しました。";
const char kReceivedBytes[] = "%d バイトを受信しました。";
const char kRateAndLeft[] = "(転送速度 %d バイト/秒 完了まで %d 秒)";
const char kRate[] = "(転送速度 %d バイト/秒)";

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

const char* PhaseText(Direction direction, int32_t phase)
{
    if (phase < 1 || phase > 8) return nullptr;
    return (direction == Direction::Send ? kSendPhases : kReceivePhases)[phase - 1];
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
        end.status = message ? message : kNoResultMessage;
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

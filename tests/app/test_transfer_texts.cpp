// The texts of the progress dialog by known answers: phases, results, the end and the progress
// lines.
#include <gtest/gtest.h>

#include "app/ProgressTexts.h"

namespace {

constexpr Direction S = Direction::Send;
constexpr Direction R = Direction::Receive;

TEST(TransferTexts, PhaseTexts)
{
    struct Case { Direction d; int32_t phase; const char* text; } cases[] = {
        {R, 1, "初期化中です。"}, {R, 2, "受信を開始します。"}, {R, 3, "接続待ち中です。"},
        {R, 4, "受信中です。"}, {R, 5, "画像を展開中です。"}, {R, 6, "接続解除中です。"},
        {R, 7, "受信が正常に終了しました。"}, {R, 8, "受信中にエラーが発生しました。"},
        {S, 1, "初期化中です。"}, {S, 2, "送信を開始します。"}, {S, 3, "接続待ち中です。"},
        {S, 4, "送信中です。"}, {S, 5, "受信中です。"}, {S, 6, "接続解除中です。"},
        {S, 7, "送信が正常に終了しました。"}, {S, 8, "送信中にエラーが発生しました。"},
        {S, 0, nullptr}, {R, 9, nullptr}, {R, -1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        EXPECT_STREQ(c.text, PhaseText(c.d, c.phase));
    }
}

TEST(TransferTexts, ResultMessages)
{
    struct Case { Direction d; int32_t result; bool serial; const char* text; } cases[] = {
        {S, 0, false, "送信に成功しました。"},
        {S, 1, false, "赤外線ポートが使用できません。"},
        {S, 1, true, "指定の通信ポートが使用できません。"},
        {S, 2, false, "接続する相手が見つかりませんでした。"},
        {S, 3, false, "予期しない接続解除が行われました。"},
        {S, 4, false, "データの受け取りを拒否されました。"},
        {S, 5, false, "Zorvexにバグがあるようです。"},
        {S, 6, false, "送信できないデータ形式です。"},
        {S, 7, false, "(該当するメッセージが用意されていません。)"},
        {S, 8, false, "この形式の送信には対応していません。"},
        {S, 9, false, "(該当するメッセージが用意されていません。)"},
        {S, -1, false, "(該当するメッセージが用意されていません。)"},
        {R, 1, false, "サポートしていないファイル形式です。"},
        {R, 2, false, "サポートしていない伝送形式です。"},
        {R, 3, false, "データが渡されませんでした。"},
        {R, 4, false, "予期しない接続解除が行われました。"},
        {R, 5, false, "不正な要求が行われました。"},
        {R, 6, false, "接続に失敗しました。"},
        {R, 7, false, "データが異常です。"},
        {R, 8, false, "サポートできないファイル形式です。"},
        {R, 9, false, "赤外線ポートが使用できません。"},
        {R, 9, true, "指定の通信ポートが使用できません。"},
        {R, 10, false, "規定外の問題が発生しました。"},
        {R, 11, false, "対応していない形式のデータを受信しました。"},
        {R, 12, false, "対応していないデータ形式です。"},
        {R, 13, false, "受信したデータを保存できませんでした。"},
        {R, 14, false, "これ以上のデータは受け取れません。"},
        {R, 15, false, "(該当するメッセージが用意されていません。)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        EXPECT_STREQ(c.text, ResultMessage(c.d, c.result, c.serial));
    }
}

TEST(TransferTexts, EndOfTransfer)
{
    struct Case {
        Direction d; bool ok; bool cancelled; const char* status; const char* caption;
    } cases[] = {
        {S, true, false, "送信に成功しました。", "送信完了"},
        {S, true, true, "送信に成功しました。", "送信完了"},  // too late to cancel
        {S, false, false, "接続する相手が見つかりませんでした。", "送信失敗"},
        {S, false, true, "送信をキャンセルしました。", "送信失敗"},
        {R, true, false, "受信に成功しました。", "受信完了"},
        {R, false, false, "接続に失敗しました。", "受信失敗"},
        {R, false, true, "受信をキャンセルしました。", "受信失敗"},
    };
    for (const Case& c : cases) {
        const char* own = c.ok ? (c.d == S ? "送信に成功しました。" : "受信に成功しました。")
                               : (c.d == S ? "接続する相手が見つかりませんでした。" : "接続に失敗しました。");
        const TransferEnd end = PresentEnd(c.d, c.ok, own, c.cancelled);
        EXPECT_EQ(c.status, end.status);
        EXPECT_STREQ(c.caption, end.caption);
        EXPECT_STREQ("了解", end.button);
        EXPECT_EQ(c.ok, end.succeeded);
    }
    EXPECT_EQ("デバイス〝P900i〟へ送信中", DeviceCaption(S, "P900i"));
    EXPECT_EQ("デバイス〝P900i〟より受信中", DeviceCaption(R, "P900i"));
}

TEST(TransferTexts, ProgressLines)
{
    struct Case {
        Direction d; uint32_t done, total, elapsed; bool bar; const char* first; const char* second;
    } cases[] = {
        {S, 1000, 5000, 500, true, "5000 バイト中 1000 バイトを送信しました。",
         "(転送速度 2000 バイト/秒 完了まで 2 秒)"},
        // The first message of a transfer: no time has passed, which counts as 1 ms.
        {S, 3, 100, 0, true, "100 バイト中 3 バイトを送信しました。",
         "(転送速度 3000 バイト/秒 完了まで 0 秒)"},
        // Truncated toward zero: 333.3 bytes/s, 3.000003 s.
        {R, 1000, 2000, 3000, true, "2000 バイト中 1000 バイトを受信しました。",
         "(転送速度 333 バイト/秒 完了まで 3 秒)"},
        // No total announced: no bar, no remaining time.
        {R, 4096, 0, 2000, false, "4096 バイトを受信しました。", "(転送速度 2048 バイト/秒)"},
        // Nothing done yet, or more than announced: the remaining time shows as 0.
        {S, 0, 100, 10, true, "100 バイト中 0 バイトを送信しました。",
         "(転送速度 0 バイト/秒 完了まで 0 秒)"},
        {R, 300, 200, 1000, true, "200 バイト中 300 バイトを受信しました。",
         "(転送速度 300 バイト/秒 完了まで 0 秒)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        const ProgressLines lines = FormatProgress(c.d, c.done, c.total, c.elapsed);
        EXPECT_EQ(c.bar, lines.showBar);
        EXPECT_EQ(c.first, lines.first);
        EXPECT_EQ(c.second, lines.second);
    }
}

// zvx's line: a speed measured over a window, the time left rounded up ("0 秒" only when done).
TEST(TransferTexts, ProgressLinesAtAMeasuredSpeed)
{
    const struct { Direction d; uint32_t done, total; double speed; const char* second; } cases[] = {
        {S, 200, 10000, 10000, "(転送速度 10000 バイト/秒 完了まで 1 秒)"},  // 9.8 KB to go
        {S, 0, 10000, 10000, "(転送速度 10000 バイト/秒 完了まで 1 秒)"},
        {S, 0, 10001, 10000, "(転送速度 10000 バイト/秒 完了まで 2 秒)"},
        {S, 10000, 10000, 10000, "(転送速度 10000 バイト/秒 完了まで 0 秒)"},
        {R, 4096, 0, 2048.9, "(転送速度 2048 バイト/秒)"},
        {S, 10, 10000, 0, ""},  // not measured yet: no figure rather than a wild one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        EXPECT_EQ(c.second, FormatProgressAt(c.d, c.done, c.total, c.speed).second);
    }
    EXPECT_EQ("10000 バイト中 10 バイトを送信しました。", FormatProgressAt(S, 10, 10000, 0).first);
}

}  // namespace

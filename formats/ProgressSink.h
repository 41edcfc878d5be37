// How a transfer step tells its progress dialog which phase it has reached. The send and receive
// transfers implement it; the vNote writer reports through it while it builds the phone object.
#pragma once
#include <cstdint>

// The dialog shows a status text for each of 1 to 8 (different texts for sending and receiving).
enum TransferPhase : int32_t {
    PHASE_NONE = 0,
    PHASE_INITIALISING = 1,   // "初期化中です。"
    PHASE_STARTING = 2,       // "送信を開始します。" / "受信を開始します。"
    PHASE_CONNECTING = 3,
    PHASE_TRANSFERRING = 4,
    PHASE_UNPACKING = 5,      // receive only
    PHASE_DISCONNECTING = 6,
    PHASE_FINISHED = 7,
    PHASE_FAILED = 8,         // "送信中にエラーが発生しました。" / "受信中にエラーが発生しました。"
};

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Called on the thread doing the work; it may block until the dialog has drawn the text.
    virtual void SetPhase(int32_t phase) = 0;
};

// What zvx shows: program texts on stdout and stderr in the console's encoding, JSON lines, and
// the transfer's progress line; and Ctrl+C as the progress dialog's cancel button.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "app/Transfer.h"

// One line each; `text` is a program text (Shift_JIS).
void PrintOut(const std::string& text);
void PrintError(const std::string& text);
// One JSON object on one line of stdout. Texts in it are UTF-8, written as \u escapes so that
// the line reads the same on any console.
void PrintJson(const nlohmann::json& value);

// The progress dialog of a command line: the status and the progress line ("%d バイト中 %d バイ
// トを送信しました。 (転送速度 ...)") on stderr while it is a terminal; nothing otherwise.
class ConsoleUi : public TransferUi {
public:
    explicit ConsoleUi(Direction direction);
    ~ConsoleUi() override { EndLine(); }
    // Ends the line drawn so far, so that what follows starts on a line of its own.
    void EndLine();
    void SetStatus(const std::string& text) override;
    void SetCaption(const std::string&) override {}
    void EnableButton(bool) override {}
    void SetButtonText(const std::string&) override {}
    void SetTransferActive(bool) override {}
    void ReportProgress(uint32_t done, uint32_t total) override;
    void Done(bool) override {}

private:
    void Show(const std::string& text);

    Direction direction_;
    bool terminal_;
    bool started_ = false;
    std::chrono::steady_clock::time_point start_;
    size_t shown_ = 0;  // width of the line drawn last (Shift_JIS bytes are columns)
};

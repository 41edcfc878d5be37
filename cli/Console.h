// What zvx shows: program texts on stdout and stderr in the console's encoding, JSON lines, and
// the transfer's progress line; and Ctrl+C as the progress dialog's cancel button.
#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

#include <nlohmann/json.hpp>

#include "app/Transfer.h"

// How much zvx says besides results and errors: -q (no progress, notices or success lines),
// the default, -v (each step of a transfer on a line of its own).
enum class Verbosity { Quiet, Normal, Verbose };
void SetVerbosity(Verbosity verbosity);
Verbosity GetVerbosity();

// One line each; `text` is a program text (Shift_JIS). Controls in it never reach the terminal.
void PrintOut(const std::string& text);
void PrintError(const std::string& text);
// On stderr unless -q: what zvx did besides the results (entries left out, summaries).
void PrintNotice(const std::string& text);
// A line already in the console's encoding (a path with texts), controls replaced.
void PrintLine(std::FILE* stream, const std::string& consoleText);
// `consoleText` with the controls a terminal acts on (C0, DEL and, on a UTF-8 console, C1 such
// as CSI) replaced by '?': a phone's summary or a file name must not set a title or a colour.
std::string Printable(const std::string& consoleText);

// One JSON object on one line of stdout. Texts in it are UTF-8, written as \u escapes so that
// the line reads the same on any console; bytes that are not UTF-8 become U+FFFD.
void PrintJson(const nlohmann::json& value);
// The fields every JSON record carries: "status" ("ok", "failed" or "cancelled") and "code",
// the exit status the record stands for (0 when ok).
nlohmann::json Outcome(int code, bool cancelled = false);
// "path" as UTF-8 and, when the path is not, "pathBytes": its bytes in hexadecimal.
void AddPath(nlohmann::json& record, const std::string& path);

// The progress dialog of a command line: the status and one progress line ("[3/50] a.jpg %d
// バイト中 %d バイトを送信しました。 (転送速度 ...)"), fitted to the terminal's width and redrawn
// in place, on stderr while it is a terminal; nothing otherwise.
class ConsoleUi : public TransferUi {
public:
    // `label` (a program text) starts every line: "[n/N] name" in a batch.
    explicit ConsoleUi(Direction direction, std::string label = "");
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
    using Clock = std::chrono::steady_clock;
    // The progress line for the newest sample.
    void Draw(uint32_t done, uint32_t total);
    // `text`, and `more` after it when the terminal is wide enough.
    void Show(const std::string& text, const std::string& more = "");

    Direction direction_;
    std::string label_;
    bool terminal_;
    bool started_ = false;
    // Progress of the last second or so: the speed is taken over at least a second, so that the
    // first packets (bursting through the driver's buffers) do not claim a speed the line lacks.
    std::deque<std::pair<Clock::time_point, uint32_t>> samples_;
    Clock::time_point drawn_{};
    bool skipped_ = false;  // figures came since the last redraw
    uint32_t total_ = 0;
    size_t shown_ = 0;  // width of the line drawn last (Shift_JIS bytes are columns)
};

#include "cli/Console.h"

#include <cstdio>

#include "app/TransferTexts.h"
#include "cli/Platform.h"

void PrintOut(const std::string& text)
{
    std::fputs((ToConsole(text) + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& text)
{
    std::fputs((ToConsole(text) + "\n").c_str(), stderr);
}

void PrintJson(const nlohmann::json& value)
{
    std::fputs((value.dump(-1, ' ', true) + "\n").c_str(), stdout);
    std::fflush(stdout);
}

ConsoleUi::ConsoleUi(Direction direction) : direction_(direction), terminal_(StderrIsTerminal()) {}

void ConsoleUi::EndLine()
{
    if (shown_ > 0) std::fputs("\n", stderr);
    shown_ = 0;
}

void ConsoleUi::SetStatus(const std::string& text)
{
    if (!started_) Show(text);  // once bytes move, the progress line says more
}

void ConsoleUi::ReportProgress(uint32_t done, uint32_t total)
{
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!started_) {
        started_ = true;
        start_ = now;  // the dialog's clock starts at the first progress message too
    }
    const uint32_t elapsed =
        (uint32_t)std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count();
    const ProgressLines lines = FormatProgress(direction_, done, total, elapsed);
    Show(lines.first + " " + lines.second);
}

void ConsoleUi::Show(const std::string& text)
{
    if (!terminal_) return;
    std::string line = text;
    if (line.size() < shown_) line.append(shown_ - line.size(), ' ');
    shown_ = text.size();
    std::fputs(("\r" + ToConsole(line)).c_str(), stderr);
    std::fflush(stderr);
}

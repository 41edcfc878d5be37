#include "cli/Console.h"

#include <algorithm>
#include <cstdio>

#include "app/ProgressTexts.h"
#include "cli/Platform.h"
#include "core/CodePage.h"

namespace {

Verbosity g_verbosity = Verbosity::Normal;

// At most `columns` of a Shift_JIS text, never half a double-byte character.
std::string Fit(const std::string& text, size_t columns)
{
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = IsAnsiLeadByte((unsigned char)text[end]) ? 2 : 1;
        if (end + step > columns) break;
        end += step;
    }
    return text.substr(0, end);
}

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

bool IsUtf8(const std::string& text)
{
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

}  // namespace

void SetVerbosity(Verbosity verbosity) { g_verbosity = verbosity; }
Verbosity GetVerbosity() { return g_verbosity; }

std::string Printable(const std::string& consoleText)
{
    const bool utf8 = ConsoleIsUtf8();
    std::string out;
    out.reserve(consoleText.size());
    for (size_t i = 0; i < consoleText.size(); ++i) {
        const unsigned char c = (unsigned char)consoleText[i];
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (utf8 && c == 0xC2 && i + 1 < consoleText.size() &&
                   (unsigned char)consoleText[i + 1] >= 0x80 && (unsigned char)consoleText[i + 1] <= 0x9F) {
            out += '?';  // U+0080..U+009F
            ++i;
        } else {
            out += (char)c;
        }
    }
    return out;
}

void PrintLine(std::FILE* stream, const std::string& consoleText)
{
    std::fputs((Printable(consoleText) + "\n").c_str(), stream);
    std::fflush(stream);
}

void PrintOut(const std::string& text) { PrintLine(stdout, ToConsole(text)); }
void PrintError(const std::string& text) { PrintLine(stderr, ToConsole(text)); }

void PrintNotice(const std::string& text)
{
    if (g_verbosity != Verbosity::Quiet) PrintError(text);
}

void PrintJson(const nlohmann::json& value)
{
    std::fputs((value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) + "\n").c_str(),
               stdout);
    std::fflush(stdout);
}

nlohmann::json Outcome(int code, bool cancelled)
{
    return {{"status", code == 0 ? "ok" : cancelled ? "cancelled" : "failed"}, {"code", code}};
}

void AddPath(nlohmann::json& record, const std::string& path)
{
    const std::string utf8 = PathToUtf8(path);
    record["path"] = utf8;
    if (!IsUtf8(utf8)) record["pathBytes"] = Hex(path);
}

ConsoleUi::ConsoleUi(Direction direction, std::string label)
    : direction_(direction), label_(std::move(label)),
      terminal_(StderrIsTerminal() && g_verbosity != Verbosity::Quiet)
{
}

void ConsoleUi::EndLine()
{
    if (skipped_) Draw(samples_.back().second, total_);  // the last figures, not older ones
    if (shown_ > 0) std::fputs("\n", stderr);
    shown_ = 0;
}

void ConsoleUi::SetStatus(const std::string& text)
{
    if (g_verbosity == Verbosity::Verbose) {
        EndLine();
        PrintError((label_.empty() ? "" : label_ + " ") + text);
        return;
    }
    if (!started_) Show(text);  // once bytes move, the progress line says more
}

void ConsoleUi::ReportProgress(uint32_t done, uint32_t total)
{
    if (!terminal_) return;
    const Clock::time_point now = Clock::now();
    started_ = true;
    samples_.emplace_back(now, done);
    // Keep the newest sample that is at least a second old as the window's start.
    while (samples_.size() > 2 && now - samples_[1].first >= std::chrono::seconds(1)) {
        samples_.pop_front();
    }
    total_ = total;
    skipped_ = total == 0 || done < total;
    if (skipped_ && now - drawn_ < std::chrono::milliseconds(100)) return;  // a redraw costs a write
    Draw(done, total);
}

void ConsoleUi::Draw(uint32_t done, uint32_t total)
{
    const Clock::time_point now = samples_.back().first;
    skipped_ = false;
    drawn_ = Clock::now();
    const double window = std::chrono::duration<double>(now - samples_.front().first).count();
    const double speed = window >= 1.0 ? (double)(done - samples_.front().second) / window : 0;
    const ProgressLines lines = FormatProgressAt(direction_, done, total, speed);
    Show(lines.first, lines.second);
}

void ConsoleUi::Show(const std::string& text, const std::string& more)
{
    if (!terminal_) return;
    // One line, redrawn: wider than the terminal, it would wrap and every redraw add a line.
    // What gives way first: the speed, then the end of the file's name, then the text's end.
    const size_t columns = (size_t)std::max(TerminalColumns() - 1, 10);
    std::string body = text;
    if (!more.empty() && label_.size() + 1 + text.size() + 1 + more.size() <= columns) {
        body += " " + more;
    }
    std::string label = label_;
    if (!label.empty() && label.size() + 1 + body.size() > columns) {
        label = Fit(label, std::max<size_t>(columns > body.size() + 1 ? columns - body.size() - 1 : 0, 12));
    }
    std::string line = Fit((label.empty() ? "" : label + " ") + body, columns);
    const size_t width = line.size();
    if (width < shown_) line.append(std::min(shown_, columns) - width, ' ');
    shown_ = width;
    std::fputs(("\r" + Printable(ToConsole(line))).c_str(), stderr);
    std::fflush(stderr);
}

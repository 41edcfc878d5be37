#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <sstream>
#include <tuple>

#include "app/SendSettingsRules.h"
#include "app/ProgressTexts.h"
#include "cli/Commands.h"
#include "cli/Platform.h"
#include "core/TimeConv.h"

namespace {

// `count` decimal digits of `text` at `at`.
bool Digits(const std::string& text, size_t at, size_t count, int* value)
{
    if (at + count > text.size()) return false;
    *value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        *value = *value * 10 + (text[i] - '0');
    }
    return true;
}

bool ValidCalendar(const CalendarTime& t)
{
    static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.month < 1 || t.month > 12 || t.day < 1) return false;
    if (t.day > kDays[t.month - 1] || (t.month == 2 && !leap && t.day > 28)) return false;
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

// The format of "1".."8" or a name; 0 when it is neither.
int32_t ParseFormat(const std::string& text)
{
    for (const PhoneFormatInfo& f : kPhoneFormats) {
        if (text == std::to_string(f.format) || text == f.name) return f.format;
    }
    return 0;
}

// WHEN as ISO 8601 (YYYY-MM-DD, then optionally T or a space and hh:mm[:ss]; UTC with a final Z,
// else local time taken as the GUI's pickers take it) or @SECONDS (Unix time). False when not
// understood or not a time after 1970 that fits 32 bits.
bool ParseWhen(const std::string& text, int32_t* seconds)
{
    int64_t value = 0;
    if (!text.empty() && text[0] == '@') {
        if (text.size() < 2 || text.size() > 11) return false;
        for (size_t i = 1; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            value = value * 10 + (text[i] - '0');
        }
    } else {
        CalendarTime t;
        std::string rest = text;
        const bool utc = !rest.empty() && rest.back() == 'Z';
        if (utc) rest.pop_back();
        if (!Digits(rest, 0, 4, &t.year) || rest.size() < 10 || rest[4] != '-' || rest[7] != '-' ||
            !Digits(rest, 5, 2, &t.month) || !Digits(rest, 8, 2, &t.day)) {
            return false;
        }
        if (rest.size() > 10) {
            const bool clock = (rest[10] == 'T' || rest[10] == ' ') && rest.size() >= 16 &&
                               rest[13] == ':' && Digits(rest, 11, 2, &t.hour) &&
                               Digits(rest, 14, 2, &t.minute);
            if (!clock) return false;
            if (rest.size() != 16 && (rest.size() != 19 || rest[16] != ':' ||
                                      !Digits(rest, 17, 2, &t.second))) {
                return false;
            }
        }
        int32_t instant = 0;
        if (!ValidCalendar(t) ||
            !(utc ? UtcCalendarToSeconds(t, &instant) : LocalCalendarToSeconds(t, &instant))) {
            return false;
        }
        value = instant;
    }
    if (value <= 0 || value > INT32_MAX) return false;
    *seconds = (int32_t)value;
    return true;
}

// The formats' names as their table gives them: "docomo(1), n2051(2), ..." or "docomo、n2051、...".
std::string FormatNames(const char* separator, bool numbered)
{
    std::string names;
    for (const PhoneFormatInfo& f : kPhoneFormats) {
        names += (names.empty() ? "" : separator) + std::string(f.name);
        if (numbered) names += "(" + std::to_string(f.format) + ")";
    }
    return names;
}
const char kTimeHelp[] =
    "日時: ISO 8601 (2024-01-02T03:04:05、Zで終わればUTC、ほかはローカル時刻) または @秒 "
    "(Unix時刻)。既定はファイルの更新日時";
const char kFilesHelp[] = "画像・動画・メロディのファイル (- は標準入力)";
// Every record carries its outcome, the same for every command.
const std::string kJsonFields =
    " (どの行にも \"status\": \"ok\"、\"failed\" または \"cancelled\" と \"code\": その終了コード)";

// The exit statuses a command can end with, each once.
struct Statuses {
    std::vector<int32_t> send, receive;  // transfer or reader results
    std::vector<int> own;                // kExit*
};

std::string ExitCodes(const Statuses& statuses, bool transfer)
{
    std::string text = "終了コード:\n  0    成功\n";
    auto add = [&text](int code, const std::string& meaning) {
        const std::string number = std::to_string(code);
        text += "  " + number + std::string(number.size() < 5 ? 5 - number.size() : 1, ' ') + meaning + "\n";
    };
    if (!statuses.send.empty()) text += " 送信の結果:\n";
    for (int32_t r : statuses.send) add(r, ResultMessage(Direction::Send, r, true));
    if (!statuses.receive.empty()) text += " 受信・取り出しの結果:\n";
    for (int32_t r : statuses.receive) add(r, ResultMessage(Direction::Receive, r, true));
    for (int code : statuses.own) {
        switch (code) {
        case kExitUsage: add(code, "引数の誤り (不明なコマンド・オプション、足りない指定)"); break;
        case kExitRefused: add(code, "受け付けられないデータ・入力 (フォーマット、タイトルなど、データの種類)"); break;
        case kExitNoInput: add(code, "ファイルを読めない (ない、フォルダ、権限がない)"); break;
        case kExitInternal: add(code, "予期しない内部エラー"); break;
        case kExitNoOutput: add(code, "ファイルを書けない (すでにある、フォルダがない、権限がない)"); break;
        }
    }
    if (transfer) add(kExitCancelled, "Ctrl+C・SIGTERM・SIGHUP で中断した (それまでに受け取ったものは保存済み)");
    return text;
}

std::vector<int32_t> Range(int32_t from, int32_t to)
{
    std::vector<int32_t> values;
    for (int32_t v = from; v <= to; ++v) values.push_back(v);
    return values;
}

const char kEnvironment[] =
    "環境変数:\n"
    "  ZVX_PORT    --port の既定値\n"
    "  ZVX_SPEED   --speed の既定値\n";

// Optimal string alignment distance: a swapped pair ("sned") counts as one edit.
size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

// " (send のことですか?)" for the nearest of `candidates`, or nothing when none is near.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates)
{
    std::string best;
    size_t bestDistance = word.size() <= 4 ? 2 : 3;  // what is left is another word
    for (const std::string& c : candidates) {
        // A beginning of one name only is that name ("--rec" for --recursive).
        const size_t d = c.size() > word.size() && c.compare(0, word.size(), word) == 0 &&
                                 word.size() > 2
                             ? 1
                             : Distance(word, c);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best.empty() ? "" : " (" + best + " のことですか?)";
}

std::vector<std::string> OptionNames(const CLI::App& command)
{
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& n : option->get_lnames()) names.push_back("--" + n);
        for (const std::string& n : option->get_snames()) names.push_back("-" + n);
    }
    return names;
}

// A whole number from `low` to `high` written in decimal digits.
bool ParseNumber(const std::string& text, uint32_t low, uint32_t high, uint32_t* value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long n = std::stoul(text);
    if (n < low || n > high) return false;
    *value = (uint32_t)n;
    return true;
}

// The entries of the send settings dialog, as options of wrap and send.
struct EntryOptions {
    std::string format, title, summary, name, time;
    CLI::Option *formatOption, *titleOption, *summaryOption, *nameOption, *timeOption;

    void AddTo(CLI::App* command)
    {
        formatOption = command->add_option(
            "--format", format, "(必須) 送信先フォーマット: 1-8 または " + FormatNames(", ", true));
        titleOption = command->add_option("--title", title, "タイトル (24バイトまで)");
        summaryOption = command->add_option("--summary", summary, "サマリー (24バイトまで)");
        nameOption = command->add_option(
            "--name", name, "ファイル名 (18バイトまで。既定はファイルの名前。ファイルが1つのときだけ)");
        timeOption = command->add_option("--time", time, kTimeHelp);
    }

    // 0, or an exit status with `message`.
    int Make(SendEntries* entries, std::string* message) const
    {
        if (formatOption->count() == 0) {
            *message = "--format を指定してください (docomo、direct など。--help で一覧を表示します)。";
            return kExitUsage;
        }
        entries->format = ParseFormat(format);
        if (entries->format == 0) {
            std::string shown;
            FromArgument(format, &shown);
            *message = "--format: フォーマットが不正です: " + shown + " (1-8 または " +
                       FormatNames("、", false) + ")";
            return kExitUsage;
        }
        const std::pair<const CLI::Option*, const std::string*> texts[] = {
            {titleOption, &title}, {summaryOption, &summary}, {nameOption, &name}};
        std::optional<std::string>* fields[] = {&entries->title, &entries->summary,
                                                &entries->fileName};
        for (int i = 0; i < 3; ++i) {
            if (texts[i].first->count() == 0) continue;
            std::string text;
            if (!FromArgument(*texts[i].second, &text)) {
                *message = texts[i].first->get_name() + ": Shift_JISで表せない文字があります。";
                return kExitRefused;
            }
            *fields[i] = text;
        }
        if (timeOption->count() > 0) {
            int32_t seconds = 0;
            if (!ParseWhen(time, &seconds)) {
                *message = "--time: 日時が不正です (2024-01-02T03:04:05 または @1704164645)。";
                return kExitUsage;
            }
            entries->time = seconds;
        }
        // The dialog greys out what a format does not carry; here it would vanish unremarked.
        const std::pair<const CLI::Option*, SendEntry> used[] = {{titleOption, ENTRY_TITLE},
                                                                 {summaryOption, ENTRY_SUMMARY},
                                                                 {nameOption, ENTRY_FILE_NAME},
                                                                 {timeOption, ENTRY_DATE}};
        for (const auto& [option, entry] : used) {
            if (option->count() > 0 && !FormatCarries(entries->format, entry)) {
                PrintNotice(option->get_name() + ": " + PhoneFormatLabel(entries->format) +
                            " では使われません。");
            }
        }
        return 0;
    }
};

struct LinkArguments {
    LinkOptions options;
    std::string speed, timeout, silence;
    CLI::Option *port = nullptr, *speedOption = nullptr;

    // `waitSeconds`: how long the phone may take to connect unless --timeout says (0: for ever).
    void AddTo(CLI::App* command, uint32_t waitSeconds)
    {
        port = command->add_option("--port", options.port,
                                   std::string(HasInfrared() ? "(必須、または --irda) " : "(必須) ") +
                                       "シリアルポート (/dev/ttyUSB0、/dev/serial/by-id/…、COM3 など)。"
                                       "既定は環境変数 ZVX_PORT");
        speedOption = command->add_option("--speed", speed,
                                          "通信速度 (bps、既定は環境変数 ZVX_SPEED、なければ 115200)")
                          ->type_name("数");
        if (HasInfrared()) command->add_flag("--irda", options.irda, "赤外線 (IrDA) で通信します");
        command->add_flag("--json", options.json, "結果を1件につき1行のJSONで出力します" + kJsonFields);
        timeout = std::to_string(waitSeconds);
        silence = "10";
        command->add_option("--timeout", timeout,
                            waitSeconds ? "携帯電話の応答を待つ秒数 (既定 " + std::to_string(waitSeconds) +
                                              "、0 は無制限)"
                                        : std::string("最初の携帯電話を待つ秒数 (既定 0 は無制限)"))
            ->type_name("秒");
        command->add_option("--silence", silence,
                            "転送の途中で携帯電話が黙っていてよい秒数 (既定 10、0 は無制限)")
            ->type_name("秒");
    }

    int Check(std::string* message)
    {
        if (options.irda && port->count() > 0) {
            *message = "--port と --irda は同時に指定できません。";
            return kExitUsage;
        }
        const char* fromEnvironment = std::getenv("ZVX_PORT");
        if (!options.irda && port->count() == 0 && fromEnvironment && *fromEnvironment) {
            options.port = fromEnvironment;
        }
        if (!options.irda && options.port.empty()) {
            *message = HasInfrared() ? "--port または --irda を指定してください (環境変数 ZVX_PORT でも指定できます)。"
                                     : "--port を指定してください (環境変数 ZVX_PORT でも指定できます。zvx ports でポートの一覧を表示します)。";
            return kExitUsage;
        }
        if (const int limits = CheckLimits(message)) return limits;
        std::string name = "--speed";
        if (speedOption->count() == 0) {
            const char* value = std::getenv("ZVX_SPEED");
            if (!value || !*value) return 0;
            speed = value;
            name = "ZVX_SPEED";
        }
        if (!ParseNumber(speed, 1, 99999999, &options.speed)) {
            *message = name + ": 通信速度が不正です: " + speed;
            return kExitUsage;
        }
        return 0;
    }

    // The limits in milliseconds; 0 with a message when a number is wrong.
    int CheckLimits(std::string* message)
    {
        for (auto [text, name, out] : {std::tuple{&timeout, "--timeout", &options.connectLimitMs},
                                       std::tuple{&silence, "--silence", &options.silenceLimitMs}}) {
            uint32_t seconds = 0;
            if (!ParseNumber(*text, 0, 86400, &seconds)) {
                *message = std::string(name) + ": 秒数が不正です (0 から 86400): " + *text;
                return kExitUsage;
            }
            *out = seconds * 1000;
        }
        return 0;
    }
};

void Localize(CLI::App* app)
{
    auto formatter = app->get_formatter();
    formatter->label("Usage", "使い方");
    formatter->label("OPTIONS", "オプション");
    formatter->label("SUBCOMMAND", "コマンド");
    formatter->label("Positionals", "引数");
    formatter->label("TEXT", "文字列");
    formatter->column_width(24);
    app->option_defaults()->group("オプション");
    if (CLI::Option* help = app->get_help_ptr()) help->group("オプション");
}

void PrintHelp(const CLI::App& app, const CLI::Error& error)
{
    std::ostringstream out, err;
    app.exit(error, out, err);
    std::fputs(ToConsole(out.str()).c_str(), stdout);
}

// A usage error of `command` ("zvx" or "zvx send"): what and where to read more.
int UsageError(const std::string& command, const std::string& message)
{
    PrintError(command + ": " + message);
    PrintError(command + " --help で使い方を表示します。");
    return kExitUsage;
}

}  // namespace

int RunZvx(int argc, char** argv, CancelSignal& cancel)
{
    // "zvx help [COMMAND]" is "zvx [COMMAND] --help".
    std::vector<std::string> args(argv, argv + argc);
    if (args.size() > 1 && args[1] == "help") {
        args.erase(args.begin() + 1);
        args.push_back("--help");
    }
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(&a[0]);

    CLI::App app("Zorvex の携帯電話とのやりとりをコマンドラインで行います: ファイルを"
                 "携帯電話の形式で包んで送り、携帯電話から受け取ったものを取り出して保存します。"
                 "zvx help COMMAND (zvx COMMAND --help) で各コマンドの説明を表示します。",
                 "zvx");
    Localize(&app);
    app.set_help_flag("-h,--help", "この説明を表示します")->group("オプション");
    app.set_version_flag("-V,--version", "zvx " ZV_VERSION, "版を表示します");
    app.allow_extras();
    bool quiet = false, verbose = false;
    app.add_flag("-q,--quiet", quiet, "進み具合や成功の知らせを表示しません (エラーと結果は表示します)");
    app.add_flag("-v,--verbose", verbose, "転送の各段階を1行ずつ表示します");
    const std::vector<int> allOwn = {kExitUsage, kExitRefused, kExitNoInput, kExitInternal, kExitNoOutput};
    app.footer(ExitCodes({Range(1, 7), Range(1, RECEIVE_CONTENT_REFUSED), allOwn}, true) + kEnvironment);

    auto command = [&app](const char* name, const char* description) {
        CLI::App* sub = app.add_subcommand(name, description);
        sub->group("コマンド");
        Localize(sub);
        sub->allow_extras();
        sub->fallthrough();  // -q and -v after the command too
        return sub;
    };
    auto files = [](CLI::App* sub, FileList* list) {
        sub->add_option("FILE", list->args, kFilesHelp);
        sub->add_option("--files-from", list->from, "ファイルの一覧 (1行に1つ、- は標準入力)");
        sub->add_flag("-r,--recursive", list->recursive,
                      "フォルダの中のファイルを、その中のフォルダのものも含めて扱います (. で始まる名前を除く)");
    };

    bool json = false;
    CLI::App* info = command("info", "ファイルの種類と大きさ、送信できるフォーマットを表示します");
    FileList infoFiles;
    files(info, &infoFiles);
    info->add_flag("--json", json, "1ファイルにつき1行のJSONで出力します" + kJsonFields);
    info->footer(ExitCodes({{}, {}, {kExitUsage, kExitRefused, kExitNoInput, kExitInternal}}, false));

    CLI::App* wrap = command(
        "wrap", "送信で送るのと同じオブジェクトをファイルに書き出し、そのOBEX名を表示します");
    EntryOptions wrapEntries;
    wrapEntries.AddTo(wrap);
    std::string file, out;
    bool force = false;
    wrap->add_option("FILE", file, kFilesHelp);
    CLI::Option* outOption = wrap->add_option("-o", out, "(必須) 書き出すファイル (- は標準出力)");
    wrap->add_flag("-f,--force", force, "すでにあるファイルを置き換えます");
    wrap->footer(ExitCodes({{SEND_BAD_JOB, SEND_UNCONVERTIBLE}, {}, allOwn}, false));

    CLI::App* unwrap = command(
        "unwrap", "携帯電話のオブジェクトから中身を取り出し、安全な名前で保存します");
    UnwrapCommand unwrapCommand;
    std::string obexName, when;
    unwrap->add_option("OBJECT", unwrapCommand.object, "携帯電話のオブジェクト (vNote など。- は標準入力)");
    CLI::Option* obexOption = unwrap->add_option(
        "--obex-name", obexName, "受け取ったときのOBEX名 (既定はファイルの名前)");
    CLI::Option* whenOption =
        unwrap->add_option("--time", when, "受け取ったときのTimeヘッダの日時 (ISO 8601 または @秒)");
    unwrap->add_option("-o", unwrapCommand.dir, "保存先フォルダ (既定はカレントフォルダ)");
    unwrap->add_flag("--json", unwrapCommand.json, "1行のJSONで出力します" + kJsonFields);
    unwrap->footer(ExitCodes({{}, {RECEIVE_UNKNOWN_OBJECT, RECEIVE_UNKNOWN_FORMAT, RECEIVE_NO_DATA, RECEIVE_BAD_DATA,
                                   RECEIVE_KIND_REFUSED, RECEIVE_CONTENT_REFUSED},
                              allOwn},
                             false));

    CLI::App* send = command(
        "send", "ファイルを携帯電話へ送信します (1ファイルにつき1回の接続。既定では失敗したところで止まります)");
    EntryOptions sendEntries;
    sendEntries.AddTo(send);
    LinkArguments sendLink;
    sendLink.AddTo(send, 30);
    FileList sendFiles;
    files(send, &sendFiles);
    bool keepGoing = false;
    send->add_flag("-k,--keep-going", keepGoing,
                   "失敗したファイルを知らせて残りを送り、最後にまとめを表示します (終了コードは最初の失敗のもの)");
    send->footer(ExitCodes({Range(1, 7), {}, {kExitUsage, kExitRefused, kExitNoInput, kExitInternal}}, true) +
                 kEnvironment);

    CLI::App* receive = command(
        "receive", "携帯電話からの送信を待ち、届いたものを取り出して安全な名前で保存します");
    LinkArguments receiveLink;
    receiveLink.AddTo(receive, 0);
    ReceiveOptions receiveOptions;
    std::string receiveCount;
    receive->add_option("-o", receiveOptions.dir, "保存先フォルダ (既定はカレントフォルダ)");
    CLI::Option* countOption = receive->add_option("--count", receiveCount, "受け取る数 (既定 1)")->type_name("数");
    CLI::Option* foreverOption =
        receive->add_flag("--forever", receiveOptions.forever, "中断されるまで受け取り続けます");
    receive->add_flag("--keep-raw", receiveOptions.keepRaw, "受け取ったままのオブジェクトも保存します");
    receive->add_option("--exec", receiveOptions.exec,
                        "保存したファイルごとに、そのパスを引数にして実行するコマンド (失敗しても"
                        "ファイルは残ります)")
        ->type_name("コマンド");
    receive->footer(ExitCodes({{}, Range(1, RECEIVE_CONTENT_REFUSED), {kExitUsage, kExitRefused, kExitInternal, kExitNoOutput}}, true) +
                    kEnvironment);

    CLI::App* ports = command("ports", "シリアルポートと説明を表示します (OBEXや携帯電話のものが先)");
    ports->add_flag("--json", json, "1ポートにつき1行のJSONで出力します" + kJsonFields);
    ports->footer(ExitCodes({{}, {}, {kExitUsage, kExitInternal}}, false));

    std::vector<CLI::App*> commands = {info, wrap, unwrap, send, receive, ports};
    try {
        app.parse((int)pointers.size(), pointers.data());
    } catch (const CLI::Success& success) {
        PrintHelp(app, success);
        return 0;
    } catch (const CLI::ParseError& error) {
        // What is left after the checks above: an option without its value, or with one a flag
        // does not take.
        std::string where = "zvx";
        for (CLI::App* c : commands) {
            if (c->parsed()) where += " " + c->get_name();
        }
        const std::string what = error.what();
        const size_t colon = what.find(':');
        if (!what.empty() && what[0] == '-' && colon != std::string::npos) {
            return UsageError(where, what.substr(0, colon) + ": 値の指定が正しくありません。");
        }
        return UsageError(where, "引数を解釈できません。");
    }
    SetVerbosity(quiet ? Verbosity::Quiet : verbose ? Verbosity::Verbose : Verbosity::Normal);

    CLI::App* chosen = nullptr;
    std::vector<std::string> commandNames;
    for (CLI::App* c : commands) {
        commandNames.push_back(c->get_name());
        if (c->parsed()) chosen = c;
    }
    const std::vector<std::string> left = app.remaining(true);
    const std::string where = chosen ? "zvx " + chosen->get_name() : "zvx";
    std::vector<std::string> known = OptionNames(app);
    if (chosen) {
        const std::vector<std::string> own = OptionNames(*chosen);
        known.insert(known.end(), own.begin(), own.end());
    }
    for (const std::string& word : left) {
        std::string shown;
        FromArgument(word, &shown);
        if (word.size() > 1 && word[0] == '-') {
            const std::string name = word.substr(0, word.find('='));
            FromArgument(name, &shown);
            return UsageError(where, "不明なオプションです: " + shown + Nearest(name, known));
        }
        if (!chosen) return UsageError(where, "不明なコマンドです: " + shown + Nearest(word, commandNames));
        return UsageError(where, "余分な引数です: " + shown);
    }
    if (!chosen) {
        return UsageError(where, "コマンド (info、wrap、unwrap、send、receive、ports) を指定してください。");
    }

    std::string message;
    int status = 0;
    if (*info) {
        if (infoFiles.args.empty() && infoFiles.from.empty()) return UsageError(where, "FILE を指定してください。");
        return RunInfo(infoFiles, json);
    }
    if (*ports) return RunPorts(json);
    if (*wrap || *send) {
        SendEntries entries;
        status = (*wrap ? wrapEntries : sendEntries).Make(&entries, &message);
        if (status == 0 && *send) status = sendLink.Check(&message);
        if (status == 0 && *wrap) {
            if (file.empty()) return UsageError(where, "FILE を指定してください。");
            if (outOption->count() == 0) return UsageError(where, "-o で書き出すファイルを指定してください (- は標準出力)。");
            return RunWrap(file, entries, out, force);
        }
        if (status == 0 && sendFiles.args.empty() && sendFiles.from.empty()) {
            return UsageError(where, "FILE を指定してください (--files-from でも指定できます)。");
        }
        if (status == 0) {
            OnInterrupt([&cancel] { cancel.Cancel(); });
            return RunSend(sendLink.options, sendFiles, entries, keepGoing, cancel);
        }
    } else if (*unwrap) {
        if (unwrapCommand.object.empty()) return UsageError(where, "OBJECT を指定してください。");
        if (obexOption->count() > 0) {
            std::string name;
            if (!FromArgument(obexName, &name)) {
                status = kExitRefused;
                message = "--obex-name: Shift_JISで表せない文字があります。";
            }
            unwrapCommand.obexName = name;
        }
        int32_t seconds = 0;
        if (whenOption->count() > 0 && !ParseWhen(when, &seconds)) {
            status = kExitUsage;
            message = "--time: 日時が不正です (2024-01-02T03:04:05 または @1704164645)。";
        }
        if (whenOption->count() > 0) unwrapCommand.time = seconds;
        if (status == 0) return RunUnwrap(unwrapCommand);
    } else if (*receive) {
        status = receiveLink.Check(&message);
        if (status == 0 && countOption->count() > 0 && foreverOption->count() > 0) {
            return UsageError(where, "--count と --forever は同時に指定できません。");
        }
        if (status == 0 && countOption->count() > 0 &&
            !ParseNumber(receiveCount, 1, 999999999, &receiveOptions.count)) {
            status = kExitUsage;
            message = "--count: 1以上の数を指定してください。";
        }
        if (status == 0) {
            OnInterrupt([&cancel] { cancel.Cancel(); });
            return RunReceive(receiveLink.options, receiveOptions, cancel);
        }
    }
    if (status == kExitUsage) return UsageError(where, message);
    PrintError(where + ": " + message);
    return status;
}

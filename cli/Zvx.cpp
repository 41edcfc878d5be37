#include "cli/Zvx.h"

#include <CLI/CLI.hpp>

#include <sstream>

#include "app/SendSettingsRules.h"
#include "app/TransferTexts.h"
#include "cli/Commands.h"
#include "cli/Platform.h"

namespace {

const char kFormatHelp[] =
    "送信先フォーマット: 1-8 または docomo(1), n2051(2), f2051(3), p2102v(4), p504i(5), jn51(6), "
    "jn51-camera(7), direct(8)";
const char kTimeHelp[] =
    "日時: ISO 8601 (2024-01-02T03:04:05、Zで終わればUTC、ほかはローカル時刻) または @秒 "
    "(Unix時刻)。既定はファイルの更新日時";

std::string ExitCodes(bool send, bool receive)
{
    std::string text = "終了コード:\n  0    成功\n";
    auto add = [&text](int code, const std::string& meaning) {
        text += "  " + std::to_string(code) + std::string(code < 10 ? "    " : "   ") + meaning + "\n";
    };
    if (send) {
        text += " send の失敗 (その送信の結果):\n";
        for (int32_t r = 1; r <= 7; ++r) add(r, ResultMessage(Direction::Send, r, true));
    }
    if (receive) {
        text += " receive と unwrap の失敗 (その受信の結果):\n";
        // 13 and 14 are zvx's own doing: a file it cannot write (73), one object past --count.
        for (int32_t r = 1; r <= RECEIVE_CONTENT_REFUSED; ++r) {
            add(r, ResultMessage(Direction::Receive, r, true));
        }
    }
    add(kExitUsage, "引数の誤り");
    add(kExitRefused, "受け付けられないデータ・入力 (フォーマット、タイトルなど、データの種類)");
    add(kExitNoInput, "ファイルを読めない");
    add(kExitInternal, "予期しない内部エラー");
    add(kExitNoOutput, "ファイルを書けない");
    if (send || receive) add(kExitCancelled, "Ctrl+C などで中断した (それまでに受け取ったものは保存済み)");
    return text;
}

// The entries of the send settings dialog, as options of wrap and send.
struct EntryOptions {
    std::string format, title, summary, name, time;
    CLI::Option *titleOption, *summaryOption, *nameOption, *timeOption;

    void AddTo(CLI::App* command)
    {
        command->add_option("--format", format, kFormatHelp)->required();
        titleOption = command->add_option("--title", title, "タイトル (24バイトまで)");
        summaryOption = command->add_option("--summary", summary, "サマリー (24バイトまで)");
        nameOption = command->add_option(
            "--name", name, "ファイル名 (18バイトまで。既定はファイルの名前)");
        timeOption = command->add_option("--time", time, kTimeHelp);
    }

    // 0, or an exit status with `message`.
    int Make(SendEntries* entries, std::string* message) const
    {
        entries->format = ParseFormat(format);
        if (entries->format == 0) {
            std::string shown;
            FromArgument(format, &shown);
            *message = "--format: フォーマットが不正です: " + shown;
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
                *message = "--time: 日時が不正です。";
                return kExitUsage;
            }
            entries->time = seconds;
        }
        // The dialog greys out what a format does not carry; here it would vanish unremarked.
        const FieldStates states = StatesForRule(ButtonForFormat(entries->format)->rule);
        const std::pair<const CLI::Option*, bool> used[] = {{titleOption, states.title.enabled},
                                                            {summaryOption, states.summary.enabled},
                                                            {nameOption, states.fileName.enabled},
                                                            {timeOption, states.date.enabled}};
        for (const auto& [option, enabled] : used) {
            if (option->count() > 0 && !enabled) {
                PrintError(option->get_name() + ": " + PhoneFormatLabel(entries->format) +
                           " では使われません。");
            }
        }
        return 0;
    }
};

struct LinkArguments {
    LinkOptions options;
    CLI::Option* port = nullptr;

    void AddTo(CLI::App* command)
    {
        port = command->add_option("--port", options.port,
                                   "シリアルポート (/dev/ttyUSB0、/dev/serial/by-id/…、COM3 など)");
        command->add_option("--speed", options.speed, "通信速度 (bps、既定 115200)");
        if (HasInfrared()) {
            command->add_flag("--irda", options.irda, "赤外線 (IrDA) で通信します")->excludes(port);
        }
        command->add_flag("--json", options.json, "結果を1件につき1行のJSONで出力します");
    }

    int Check(std::string* message) const
    {
        if (options.irda || port->count() > 0) {
            if (options.speed > 0) return 0;
            *message = "--speed: 通信速度が不正です。";
        } else {
            *message = HasInfrared() ? "--port または --irda を指定してください。"
                                            : "--port を指定してください。";
        }
        return kExitUsage;
    }
};

void PrintHelp(const CLI::App& app, const CLI::Error& error)
{
    std::ostringstream out, err;
    app.exit(error, out, err);
    std::fputs(ToConsole(out.str()).c_str(), stdout);
}

}  // namespace

int RunZvx(int argc, char** argv, CancelSignal& cancel)
{
    CLI::App app("Zorvex の携帯電話とのやりとりをコマンドラインで行います: ファイルを"
                 "携帯電話の形式で包んで送り、携帯電話から受け取ったものを取り出して保存します。",
                 "zvx");
    app.set_help_flag("-h,--help", "この説明を表示します");
    app.set_version_flag("--version", "zvx " ZV_VERSION, "版を表示します");
    app.require_subcommand(1, 1);
    app.footer(ExitCodes(true, true));

    bool json = false;
    CLI::App* info = app.add_subcommand(
        "info", "ファイルの種類と大きさ、送信できるフォーマットを表示します");
    std::vector<std::string> files;
    info->add_option("FILE", files, "画像・動画・メロディのファイル")->required();
    info->add_flag("--json", json, "1ファイルにつき1行のJSONで出力します");
    info->footer(ExitCodes(false, false));

    CLI::App* wrap = app.add_subcommand(
        "wrap", "送信で送るのと同じオブジェクトをファイルに書き出し、そのOBEX名を表示します");
    EntryOptions wrapEntries;
    wrapEntries.AddTo(wrap);
    std::string file, out;
    wrap->add_option("FILE", file, "画像・動画・メロディのファイル")->required();
    wrap->add_option("-o", out, "書き出すファイル")->required();
    wrap->footer(ExitCodes(true, false));

    CLI::App* unwrap = app.add_subcommand(
        "unwrap", "携帯電話のオブジェクトから中身を取り出し、安全な名前で保存します");
    UnwrapCommand unwrapCommand;
    std::string obexName, when;
    unwrap->add_option("OBJECT", unwrapCommand.object, "携帯電話のオブジェクト (vNote など)")
        ->required();
    CLI::Option* obexOption = unwrap->add_option(
        "--obex-name", obexName, "受け取ったときのOBEX名 (既定はファイルの名前)");
    CLI::Option* whenOption =
        unwrap->add_option("--time", when, "受け取ったときのTimeヘッダの日時 (ISO 8601 または @秒)");
    unwrap->add_option("-o", unwrapCommand.dir, "保存先フォルダ (既定はカレントフォルダ)");
    unwrap->add_flag("--json", unwrapCommand.json, "1行のJSONで出力します");
    unwrap->footer(ExitCodes(false, true));

    CLI::App* send = app.add_subcommand(
        "send", "ファイルを携帯電話へ送信します (1ファイルにつき1回の接続、失敗したところで止まります)");
    EntryOptions sendEntries;
    sendEntries.AddTo(send);
    LinkArguments sendLink;
    sendLink.AddTo(send);
    send->add_option("FILE", files, "画像・動画・メロディのファイル")->required();
    send->footer(ExitCodes(true, false));

    CLI::App* receive = app.add_subcommand(
        "receive", "携帯電話からの送信を待ち、届いたものを取り出して安全な名前で保存します");
    LinkArguments receiveLink;
    receiveLink.AddTo(receive);
    ReceiveOptions receiveOptions;
    receive->add_option("-o", receiveOptions.dir, "保存先フォルダ (既定はカレントフォルダ)");
    CLI::Option* countOption =
        receive->add_option("--count", receiveOptions.count, "受け取る数 (既定 1)");
    receive->add_flag("--forever", receiveOptions.forever, "中断されるまで受け取り続けます")
        ->excludes(countOption);
    receive->add_flag("--keep-raw", receiveOptions.keepRaw, "受け取ったままのオブジェクトも保存します");
    receive->footer(ExitCodes(false, true));

    CLI::App* ports = app.add_subcommand(
        "ports", "シリアルポートと説明を表示します (OBEXや携帯電話のものが先)");
    ports->add_flag("--json", json, "1ポートにつき1行のJSONで出力します");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        PrintHelp(app, success);
        return 0;
    } catch (const CLI::ParseError& error) {
        PrintError(std::string("zvx: ") + error.what());
        PrintError("zvx --help で使い方を表示します。");
        return kExitUsage;
    }

    std::string message;
    int status = 0;
    if (*info) return RunInfo(files, json);
    if (*ports) return RunPorts(json);
    if (*wrap || *send) {
        SendEntries entries;
        status = (*wrap ? wrapEntries : sendEntries).Make(&entries, &message);
        if (status == 0 && *send) status = sendLink.Check(&message);
        if (status == 0 && *wrap) return RunWrap(file, entries, out);
        if (status == 0) {
            OnInterrupt([&cancel] { cancel.Cancel(); });
            return RunSend(sendLink.options, files, entries, cancel);
        }
    } else if (*unwrap) {
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
            message = "--time: 日時が不正です。";
        }
        if (whenOption->count() > 0) unwrapCommand.time = seconds;
        if (status == 0) return RunUnwrap(unwrapCommand);
    } else if (*receive) {
        status = receiveLink.Check(&message);
        if (status == 0 && receiveOptions.count == 0) {
            status = kExitUsage;
            message = "--count: 1以上を指定してください。";
        }
        if (status == 0) {
            OnInterrupt([&cancel] { cancel.Cancel(); });
            return RunReceive(receiveLink.options, receiveOptions, cancel);
        }
    }
    PrintError("zvx: " + message);
    return status;
}

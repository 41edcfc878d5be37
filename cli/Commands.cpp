#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/ObjectInfo.h"
#include "app/SendSettingsRules.h"
#include "app/TransferSession.h"
#include "app/ProgressTexts.h"
#include "app/ViewContent.h"
#include "cli/Platform.h"
#include "cli/Text.h"
#include "formats/AtomParser.h"

namespace {

using nlohmann::json;

const char kCannotWrite[] = "ファイルの書き込みに失敗しました。";
const char kNoFolder[] = "保存先のフォルダがありません。";
const char kFolderNotWritable[] = "保存先のフォルダに書き込めません。";

// "YYYY-MM-DDThh:mm:ssZ".
std::string IsoUtc(int32_t seconds)
{
    CalendarTime t;
    SecondsToUtcCalendar(seconds, &t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

json TextOrNull(const char* text) { return text ? json(AnsiToUtf8(text)) : json(nullptr); }

// A failure concerning `subject` (a file or a port): a line on stderr and, for scripts, a record
// on stdout for `path` (default: the subject).
int Fail(const std::string& subject, int status, const std::string& message, bool asJson,
         bool cancelled = false, const std::string* path = nullptr)
{
    PrintLine(stderr, PathToConsole(subject) + ToConsole(": " + message));
    if (asJson) {
        json record = Outcome(status, cancelled);
        AddPath(record, path ? *path : subject);
        record["message"] = AnsiToUtf8(message);
        PrintJson(record);
    }
    return status;
}

void PrintPathLine(const std::string& label, const std::string& path)
{
    PrintLine(stdout, ToConsole(label) + PathToConsole(path));
}

// The end of a transfer as the dialog says it, and why a port did not open with the way out.
std::string EndMessage(Direction direction, int32_t result, bool serial, bool cancelled,
                       PortFault fault)
{
    const bool ok = result == 0;  // SEND_OK, RECEIVE_OK
    std::string message =
        PresentEnd(direction, ok, ResultMessage(direction, result, serial), cancelled).status;
    const int32_t noPort = direction == Direction::Send ? (int32_t)SEND_NO_PORT : (int32_t)RECEIVE_NO_PORT;
    if (ok || cancelled || result != noPort) return message;
    switch (fault) {
    case PortFault::Missing: return message + "そのようなデバイスはありません (zvx ports でポートの一覧を表示します)。";
    case PortFault::NotSerial: return message + "シリアルポートではありません (zvx ports でポートの一覧を表示します)。";
    case PortFault::Busy: return message + "ほかのプログラムが使用中です。";
    case PortFault::Denied:
        return message + "アクセスの権限がありません。dialout グループに入ってください "
                         "(sudo usermod -aG dialout $USER の後、ログインし直します)。";
    case PortFault::None: break;
    }
    return message;
}

// Names in a folder in the order a person expects: "img2" before "img10".
bool NaturalLess(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            std::string x = a.substr(i, ei - i), y = b.substr(j, ej - j);
            x.erase(0, std::min(x.find_first_not_of('0'), x.size()));
            y.erase(0, std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return (unsigned char)a[i] < (unsigned char)b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// The files in `dir` and, below it, in its folders.
bool Walk(const std::string& dir, int depth, std::vector<std::string>* files)
{
    std::vector<std::string> names;
    if (depth > 64 || !ListDirectory(dir, &names)) return false;  // 64: a loop of links
    std::sort(names.begin(), names.end(), NaturalLess);
    for (const std::string& name : names) {
        if (name[0] == '.') continue;  // hidden, and zvx's own temporary files
        const std::string path = JoinPath(dir, name);
        if (IsDirectory(path)) {
            if (!Walk(path, depth + 1, files)) return false;
        } else {
            files->push_back(path);
        }
    }
    return true;
}

std::unique_ptr<Zorvex::ImageManager> DecodePicture(const MediaObject& object)
{
    const int32_t kind = object.GetKind();
    if (kind != MEDIA_JPEG && kind != MEDIA_GIF && kind != MEDIA_BMP) return nullptr;
    try {
        return std::make_unique<Zorvex::ImageManager>(object.GetBody(), object.GetBodyLength());
    } catch (const ImageManagerException&) {
        return nullptr;
    }
}

// The fields the information dialog shows, for people or as one JSON object with `extra`.
void ShowObject(const std::string& path, const MediaObject& object,
                const Zorvex::ImageManager* picture, bool asJson, json extra,
                const std::vector<std::string>& moreLines = {})
{
    const ObjectInfo info = DescribeObject(object, picture != nullptr,
                                           picture ? picture->GetWidth() : 0,
                                           picture ? picture->GetHeight() : 0);
    if (!asJson) {
        PrintPathLine("", path);
        const std::pair<const char*, const std::string*> lines[] = {
            {"フォーマット", &info.format}, {"タイプ", &info.kind},
            {"画像サイズ", &info.size},     {"タイトル", &info.title},
            {"サマリー", &info.summary},    {"ファイル名", &info.fileName},
            {"ファイルサイズ", &info.bodySize}, {"日時", &info.date},
        };
        for (const auto& line : lines) PrintOut(std::string("  ") + line.first + ": " + *line.second);
        for (const std::string& line : moreLines) PrintOut("  " + line);
        return;
    }
    int32_t width = -1, height = -1;
    if (picture) {
        width = picture->GetWidth();
        height = picture->GetHeight();
    } else if (object.GetKind() == MEDIA_MOVIE) {
        MovieSizeReader reader(object.GetBody(), object.GetBodyLength());
        try {
            reader.Parse();
            width = reader.GetWidth();
            height = reader.GetHeight();
        } catch (const MP4ParseException&) {
        }
    }
    json& j = extra;
    j.update(Outcome(0));
    AddPath(j, path);
    j["format"] = object.GetFormat();
    j["formatLabel"] = AnsiToUtf8(PhoneFormatLabel(object.GetFormat()));
    j["kind"] = object.GetKind();
    j["kindLabel"] = AnsiToUtf8(MediaKindLabel(object.GetKind()));
    j["width"] = width >= 0 && height >= 0 ? json(width) : json(nullptr);
    j["height"] = width >= 0 && height >= 0 ? json(height) : json(nullptr);
    j["title"] = TextOrNull(object.GetTitle());
    j["summary"] = TextOrNull(object.GetSummary());
    j["fileName"] = TextOrNull(object.GetFileName());
    j["bytes"] = object.GetBodyLength();
    j["time"] = object.GetTime() ? json(IsoUtc(object.GetTime())) : json(nullptr);
    j["position"] = object.GetPosition();
    j["redistributionForbidden"] = object.GetRedistributionForbidden() != 0;
    PrintJson(j);
}

// Saves what the reader made of an object in `dir` and shows it.
int SaveReceived(const ReceivedObject& received, const std::string& obexName,
                 const std::string& dir, bool asJson, json extra)
{
    // The same refusals, and statuses, as receive's.
    if (!IsTransferableKind(received.kind)) {
        return Fail(dir, ExitStatus(RECEIVE_KIND_REFUSED, false), kReceiveKindUnsupported, asJson);
    }
    if (IsPictureKind(received.kind) &&
        !ContentMatchesKind(received.kind, received.body.data(), (uint32_t)received.body.size())) {
        return Fail(dir, ExitStatus(RECEIVE_CONTENT_REFUSED, false), kReceiveNotDecodable, asJson);
    }
    const std::string path = SaveNew(dir, ReceivedFileName(received, obexName), received.kind,
                                     received.body, received.time);
    if (path.empty()) return Fail(dir, ExitStatus(RECEIVE_NOT_KEPT, false), kCannotWrite, asJson);
    const std::unique_ptr<MediaObject> object = MakeReceivedObject(received);
    ShowObject(path, *object, DecodePicture(*object).get(), asJson, std::move(extra));
    return 0;
}

std::unique_ptr<TransportFactory> MakeTransports(const LinkOptions& link)
{
    return link.irda ? InfraredTransports() : SerialTransports(link.port, link.speed);
}

TransferRequest LinkRequest(const LinkOptions& link, Direction direction)
{
    TransferRequest request;
    request.direction = direction;
    if (!link.irda) request.serial = SerialLine{link.port, link.speed};
    request.connectLimitMs = link.connectLimitMs;
    request.silenceLimitMs = link.silenceLimitMs;
    return request;
}

TransferRequest SendRequestFor(const LinkOptions& link, SendJob job)
{
    TransferRequest request = LinkRequest(link, Direction::Send);
    request.job = std::move(job);
    return request;
}

// A phone's object as messages name it: its OBEX name, or a placeholder.
std::string ObjectLabel(const IncomingObject& incoming)
{
    return incoming.name.empty() ? "(名前のないオブジェクト)" : incoming.name;
}

// zvx's receive sink: each object is written to its final name (and, when asked, its raw form
// beside it) before the phone hears that it was delivered; one that cannot be written is refused.
class SavingSink : public ReceivedObjectSink {
public:
    SavingSink(const ReceiveOptions& options, bool asJson) : options_(options), json_(asJson) {}

    int32_t Take(IncomingObject& incoming) override
    {
        if (!options_.forever && kept_ >= options_.count) return RECEIVE_NO_ROOM;
        json extra = json::object();
        if (options_.keepRaw) {
            // Kept also when the object cannot be read: that is when it is wanted most.
            const std::string raw =
                SaveNew(options_.dir, incoming.name, MEDIA_UNKNOWN, incoming.raw, incoming.time);
            if (raw.empty()) return Refuse(incoming, RECEIVE_NOT_KEPT, kCannotWrite, extra);
            extra["raw"] = PathToUtf8(raw);
            if (!json_) PrintPathLine("", raw);
        }
        if (incoming.refusal != 0) {
            return Refuse(incoming, incoming.refusal,
                          ResultMessage(Direction::Receive, incoming.refusal, true), extra);
        }
        const ReceivedObject& received = incoming.object;
        const std::string path = SaveNew(options_.dir, ReceivedFileName(received, incoming.name),
                                         received.kind, received.body, received.time);
        if (path.empty()) return Refuse(incoming, RECEIVE_NOT_KEPT, kCannotWrite, extra);
        ++kept_;
        ++offered_;
        saved_.push_back(path);
        const std::unique_ptr<MediaObject> object = MakeReceivedObject(received);
        ShowObject(path, *object, DecodePicture(*object).get(), json_, std::move(extra));
        return 0;
    }

    uint32_t Kept() const { return kept_; }
    // Runs --exec for each file saved since the last call: after the session, so that the
    // phone never waits for it. A failure is reported; the file stays.
    void RunHooks()
    {
        for (const std::string& path : saved_) {
            if (options_.exec.empty()) break;
            const int status = RunHook(options_.exec, path);
            if (status == 0) continue;
            PrintLine(stderr, PathToConsole(path) + ToConsole(": --exec: ") + options_.exec +
                                  ToConsole(status < 0 ? " を実行できませんでした。"
                                                       : " が終了コード " + std::to_string(status) +
                                                             " で終わりました (ファイルは残しました)。"));
        }
        saved_.clear();
    }
    // Objects reported so far, kept or refused.
    uint32_t Reported() const { return offered_; }
    // The status of the first object refused; 0 when none was.
    int FirstFailure() const { return firstFailure_; }

private:
    // A line on stderr naming the object and, for scripts, one on stdout.
    int32_t Refuse(const IncomingObject& incoming, int32_t result, const std::string& message,
                   json extra)
    {
        const int status = ExitStatus(result, false);
        ++offered_;
        if (firstFailure_ == 0) firstFailure_ = status;
        PrintError(ObjectLabel(incoming) + ": " + message);
        if (json_) {
            extra["name"] = AnsiToUtf8(incoming.name);
            extra.update(Outcome(status));
            extra["message"] = AnsiToUtf8(message);
            PrintJson(extra);
        }
        return result;
    }

    const ReceiveOptions& options_;
    bool json_;
    uint32_t kept_ = 0, offered_ = 0;
    int firstFailure_ = 0;
    std::vector<std::string> saved_;
};

bool LooksLikePhone(const PortEntry& port)
{
    std::string lower = port.description;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    }
    for (const char* word : {"phone", "foma", "mova", "携帯"}) {
        if (lower.find(word) != std::string::npos) return true;
    }
    return IsObexPort(port);  // the serial dialog's own rule
}

}  // namespace

int CollectFiles(const FileList& list, std::vector<std::string>* files, std::string* subject,
                 std::string* message)
{
    bool stdinUsed = list.from == "-";
    for (const std::string& arg : list.args) {
        if (arg == "-" && stdinUsed) {
            *subject = "-";
            *message = "標準入力は一度しか読めません。";
            return kExitUsage;
        }
        stdinUsed = stdinUsed || arg == "-";
        if (arg == "-" || !IsDirectory(arg)) {
            files->push_back(arg);
            continue;
        }
        *subject = arg;
        if (!list.recursive) {
            *message = "フォルダです。中のファイルを扱うには --recursive を指定してください。";
            return kExitNoInput;
        }
        if (!Walk(arg, 0, files)) {
            *message = "フォルダを読めません。";
            return kExitNoInput;
        }
    }
    if (!list.from.empty()) {
        FileContents text;
        std::string cause;
        if (ReadInput(list.from, 0, kMaxMediaBody, &text, &cause) != FileReadStatus::Ok) {
            *subject = list.from;
            *message = "--files-from: " + (cause.empty() ? "ファイルを読めません。" : cause);
            return kExitNoInput;
        }
        std::string line;
        for (size_t i = 0; i <= text.bytes.size(); ++i) {
            const char c = i < text.bytes.size() ? (char)text.bytes[i] : '\n';
            if (c != '\n') {
                line += c;
                continue;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) files->push_back(line);
            line.clear();
        }
    }
    if (files->empty()) {
        *subject = list.from.empty() ? "zvx" : list.from;
        *message = "ファイルがありません。";
        return kExitNoInput;
    }
    return 0;
}

int RunInfo(const FileList& list, bool asJson)
{
    std::vector<std::string> files;
    std::string subject, message;
    if (const int collected = CollectFiles(list, &files, &subject, &message)) {
        return Fail(subject, collected, message, asJson);
    }
    int status = 0;
    for (const std::string& file : files) {
        LocalMedia media;
        std::string message;
        const int loaded = LoadMedia(file, &media, &message);
        if (loaded != 0) {
            Fail(file, loaded, message, asJson);
            if (status == 0) status = loaded;
            continue;
        }
        const KindFormats formats = FormatsForKind(media.object->GetKind());
        std::string line = "送信できるフォーマット:";
        json list = json::array();
        for (int i = 0; i < kFormatButtonCount; ++i) {
            if (!formats.enabled[i]) continue;
            const int32_t f = kFormatButtons[i].format;
            const char* name = FindPhoneFormat(f)->name;
            line += std::string(list.empty() ? " " : ", ") + std::to_string(f) + " " + name;
            list.push_back({{"number", f}, {"name", name},
                            {"label", AnsiToUtf8(PhoneFormatLabel(f))}});
        }
        ShowObject(file, *media.object, media.picture.get(), asJson, {{"formats", list}}, {line});
    }
    return status;
}

int RunWrap(const std::string& file, const SendEntries& entries, const std::string& out,
            bool force)
{
    LocalMedia media;
    SendJob job;
    std::string message;
    const int status = LoadSendJob(file, entries, &job, &message, &media);
    if (status != 0) return Fail(file, status, message, false);
    if (job.kind == MEDIA_JPEG || job.kind == MEDIA_GIF) job.picture = media.picture.get();
    std::unique_ptr<OutgoingObject> object;
    const int32_t built = BuildOutgoingObject(job, nullptr, &object);
    if (built != 0) {
        return Fail(file, ExitStatus(built, false), ResultMessage(Direction::Send, built, true), false);
    }
    const uint8_t* data = object->body.GetData();
    const std::vector<uint8_t> bytes(data, data + object->body.GetSize());
    // The OBEX name (and type) a send puts it under; beside the object on stdout, on stderr.
    const std::string name = object->name + (object->type ? " " + *object->type : "");
    if (out == "-") {
        SetBinary(stdout);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                             std::fflush(stdout) == 0;
        if (!written) return Fail(out, kExitNoOutput, kCannotWrite, false);
        PrintNotice(name);
        return 0;
    }
    const char* cause = nullptr;
    switch (WriteWholeFile(out, bytes, force)) {
    case WriteResult::Written: break;
    case WriteResult::Exists: cause = "ファイルがすでにあります。置き換えるには --force を指定してください。"; break;
    case WriteResult::IsFolder: cause = "フォルダです。書き出すファイルの名前を指定してください。"; break;
    case WriteResult::NoFolder: cause = kNoFolder; break;
    case WriteResult::Denied: cause = "書き込みの権限がありません。"; break;
    case WriteResult::Failed: cause = kCannotWrite; break;
    }
    if (cause) return Fail(out, kExitNoOutput, cause, false);
    PrintOut(name);
    return 0;
}

int RunUnwrap(const UnwrapCommand& command)
{
    FileContents file;
    std::string ansiPath, message, cause;
    const FileReadStatus read = ReadInput(command.object, 0, kMaxReceivedObject, &file, &cause);
    if (command.object != "-") FromArgument(command.object, &ansiPath);
    if (read != FileReadStatus::Ok) {
        MediaObjectFromFile(read, file, ansiPath.c_str(), &message);  // the message File > Open gives
        return Fail(command.object, kExitNoInput, cause.empty() ? message : cause, command.json);
    }
    if (!IsDirectory(command.dir)) return Fail(command.dir, kExitNoOutput, kNoFolder, command.json);
    // Saved by `receive --keep-raw`, an object keeps the name it came under.
    const std::string obexName = command.obexName.value_or(FileNameFromPath(ansiPath.c_str()));
    ReceivedObject received;
    const int32_t parsed = ParseReceivedObject(file.bytes.data(), (uint32_t)file.bytes.size(),
                                               obexName.c_str(),
                                               command.time ? &*command.time : nullptr, &received);
    if (parsed != 0) {
        return Fail(command.object, ExitStatus(parsed, false),
                    ResultMessage(Direction::Receive, parsed, true), command.json);
    }
    return SaveReceived(received, obexName, command.dir, command.json, json::object());
}

int RunSend(const LinkOptions& link, const FileList& list, const SendEntries& entries,
            bool keepGoing, CancelSignal& cancel)
{
    std::vector<std::string> files;
    std::string subject, message;
    if (const int collected = CollectFiles(list, &files, &subject, &message)) {
        return Fail(subject, collected, message, link.json);
    }
    if (entries.fileName && files.size() > 1) {
        PrintError("zvx send: --name: ファイルが複数あるときは使えません (どれも同じ名前になります)。");
        PrintError("zvx send --help で使い方を表示します。");
        return kExitUsage;
    }
    const size_t count = files.size();
    // Standard input can be read once: its job is kept from the check.
    std::optional<SendJob> fromStdin;
    if (!keepGoing) {
        // Every file is checked before the port opens: a refusal sends nothing. Only the jobs of
        // standard input are kept; the others are read again in turn, so that a batch of
        // movies does not have to fit in memory at once.
        for (const std::string& file : files) {
            SendJob job;
            const int status = LoadSendJob(file, entries, &job, &message);
            if (status != 0) return Fail(file, status, message, link.json);
            if (file == "-") fromStdin = std::move(job);
        }
    }
    const std::unique_ptr<TransportFactory> transports = MakeTransports(link);
    const std::unique_ptr<InfraredMonitor> monitor = link.irda ? InfraredMonitorService() : nullptr;
    const std::string where = link.irda ? "IrDA" : link.port;
    int first = 0;  // the status of the first file that failed
    size_t sent = 0, failed = 0;
    for (size_t i = 0; i < count && !cancel.IsCancelled(); ++i) {
        const std::string& file = files[i];
        std::string shown;  // the file's name, for the progress line
        FromArgument(file, &shown);
        shown = FileNameFromPath(shown.c_str());
        const std::string label =
            count > 1 ? "[" + std::to_string(i + 1) + "/" + std::to_string(count) + "] " : "";
        SendJob job;
        int status = 0;
        if (fromStdin && file == "-") {
            job = std::move(*fromStdin);
        } else {
            status = LoadSendJob(file, entries, &job, &message);
        }
        if (status != 0) {
            Fail(file, status, message, link.json);
            ++failed;
            if (first == 0) first = status;
            if (!keepGoing) break;
            continue;
        }
        const uint32_t bytes = (uint32_t)job.body.size();
        TransferSession session(SendRequestFor(link, std::move(job)), &cancel);
        {
            RunningTransfer running;
            ConsoleUi ui(Direction::Send, label + shown);
            session.Run(ui, *transports, monitor.get(), nullptr);
        }
        const int32_t result = session.Result();
        const bool cancelled = cancel.IsCancelled();
        const PortFault fault = result == SEND_NO_PORT && !link.irda
                                    ? PortOpenFault(*transports, link.port)
                                    : PortFault::None;
        const std::string end = EndMessage(Direction::Send, result, !link.irda, cancelled, fault);
        if (result != SEND_OK) {
            // A port that does not open names the port, not the picture.
            const int status = ExitStatus(result, cancelled);
            Fail(result == SEND_NO_PORT ? where : file, status, end, link.json, cancelled, &file);
            ++failed;
            if (first == 0) first = status;
            // Nothing would reach a phone that is not there: the rest would fail alike.
            if (!keepGoing || result == SEND_NO_PORT || result == SEND_NO_PEER) break;
            continue;
        }
        ++sent;
        if (link.json) {
            json record = Outcome(0);
            AddPath(record, file);
            record["bytes"] = bytes;
            record["message"] = AnsiToUtf8(end);
            PrintJson(record);
        } else if (GetVerbosity() != Verbosity::Quiet) {
            PrintPathLine(label, file);
            PrintOut("  " + end);
        }
    }
    if (count > 1) {
        char line[160];
        std::snprintf(line, sizeof line, "%d ファイル中 %d ファイルを送信しました (失敗 %d、送らなかったもの %d)。",
                      (int)count, (int)sent, (int)failed, (int)(count - sent - failed));
        if (first != 0) {
            PrintError(std::string(line) + " 最初の失敗の終了コード: " + std::to_string(first));
        } else {
            PrintNotice(line);
        }
        if (link.json) {
            json record = Outcome(first, cancel.IsCancelled());
            record["files"] = count;
            record["sent"] = sent;
            record["failed"] = failed;
            PrintJson(record);
        }
    }
    return first;
}

int RunReceive(const LinkOptions& link, const ReceiveOptions& options, CancelSignal& cancel)
{
    if (!IsDirectory(options.dir)) return Fail(options.dir, kExitNoOutput, kNoFolder, link.json);
    if (!IsWritableDirectory(options.dir)) {
        return Fail(options.dir, kExitNoOutput, kFolderNotWritable, link.json);
    }
    const std::unique_ptr<TransportFactory> transports = MakeTransports(link);
    const std::unique_ptr<InfraredMonitor> monitor = link.irda ? InfraredMonitorService() : nullptr;
    const std::string where = link.irda ? "IrDA" : link.port;
    SavingSink sink(options, link.json);
    // A session may carry several objects, each saved as it arrives: a later failure loses
    // nothing.
    while (options.forever || sink.Kept() < options.count) {
        TransferRequest request = LinkRequest(link, Direction::Receive);
        request.keepRaw = options.keepRaw;
        TransferSession session(std::move(request), &cancel);
        const uint32_t reported = sink.Reported();
        {
            RunningTransfer running;
            ConsoleUi ui(Direction::Receive);
            session.Run(ui, *transports, monitor.get(), sink);
        }
        sink.RunHooks();
        const int32_t result = session.Result();
        // A failure the sink has not reported object by object.
        if (result != RECEIVE_OK && sink.Reported() == reported) {
            const PortFault fault = result == RECEIVE_NO_PORT && !link.irda
                                        ? PortOpenFault(*transports, link.port)
                                        : PortFault::None;
            Fail(where, ExitStatus(result, cancel.IsCancelled()),
                 EndMessage(Direction::Receive, result, !link.irda, cancel.IsCancelled(), fault),
                 link.json, cancel.IsCancelled());
        }
        if (cancel.IsCancelled()) {
            if (!options.forever && sink.Kept() >= options.count) break;
            if (result == RECEIVE_OK) PrintError("受信をキャンセルしました。");
            return CancelStatus();
        }
        if (result == RECEIVE_OK) continue;
        // Waiting for ever outlasts a phone that failed, but not a lost port.
        if (options.forever && result != RECEIVE_NO_PORT) continue;
        return sink.FirstFailure() ? sink.FirstFailure() : ExitStatus(result, false);
    }
    return sink.FirstFailure();
}

int ExitStatus(int32_t result, bool cancelled)
{
    if (cancelled) return CancelStatus();
    if (result == RECEIVE_NOT_KEPT) return kExitNoOutput;  // a file that cannot be written
    return result < 0 ? kExitInternal : result;  // -1: a failure no result stands for
}

std::vector<PortEntry> PhonePortsFirst(std::vector<PortEntry> ports)
{
    std::stable_partition(ports.begin(), ports.end(), LooksLikePhone);
    return ports;
}

int RunPorts(bool asJson)
{
    const std::vector<PortEntry> ports = PhonePortsFirst(ListSerialPorts());
    if (ports.empty()) PrintError(kNoSerialPortsMessage);
    for (const PortEntry& port : ports) {
        if (asJson) {
            json record = Outcome(0);
            record["port"] = PathToUtf8(port.name);
            record["description"] = AnsiToUtf8(port.description);
            PrintJson(record);
        } else {
            PrintLine(stdout, PathToConsole(port.name) + ToConsole(" - " + port.description));
        }
    }
    return 0;
}

#include "cli/Commands.h"

#include <algorithm>

#include "app/ObjectInfo.h"
#include "app/SendSettingsRules.h"
#include "app/TransferSession.h"
#include "app/TransferTexts.h"
#include "cli/Platform.h"
#include "cli/Text.h"
#include "formats/AtomParser.h"

namespace {

using nlohmann::json;

const char kCannotWrite[] = "ファイルの書き込みに失敗しました。";
const char kNoFolder[] = "保存先のフォルダがありません。";
const char kFolderNotWritable[] = "保存先のフォルダに書き込めません。";

json TextOrNull(const char* text) { return text ? json(AnsiToUtf8(text)) : json(nullptr); }

// A failure concerning `path`: a line on stderr and, for scripts, one on stdout.
int Fail(const std::string& path, int status, const std::string& message, bool asJson)
{
    std::fputs((PathToConsole(path) + ToConsole(": " + message) + "\n").c_str(), stderr);
    if (asJson) {
        PrintJson({{"path", PathToUtf8(path)}, {"status", status}, {"message", AnsiToUtf8(message)}});
    }
    return status;
}

void PrintPathLine(const std::string& label, const std::string& path)
{
    std::fputs((ToConsole(label) + PathToConsole(path) + "\n").c_str(), stdout);
    std::fflush(stdout);
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
    j["path"] = PathToUtf8(path);
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
    if (!IsTransferableKind(received.kind)) {
        return Fail(dir, kExitRefused, kReceiveKindUnsupported, asJson);
    }
    const std::string path = SaveNew(dir, ReceivedFileName(received, obexName), received.kind,
                                     received.body, received.time);
    if (path.empty()) return Fail(dir, kExitNoOutput, kCannotWrite, asJson);
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
    return request;
}

// The request the send settings dialog would make of `job`: its entries (checked already, so
// they fit the dialog's fields) and the body.
TransferRequest SendRequestFor(const LinkOptions& link, SendJob job)
{
    TransferRequest request = LinkRequest(link, Direction::Send);
    SendSettings& settings = request.settings;
    settings.format = job.format;
    std::snprintf(settings.title, sizeof settings.title, "%s", job.title.value_or("").c_str());
    std::snprintf(settings.summary, sizeof settings.summary, "%s", job.summary.value_or("").c_str());
    std::snprintf(settings.fileName, sizeof settings.fileName, "%s", job.fileName.value_or("").c_str());
    settings.time = job.time;
    settings.redistributionForbidden = job.redistributionForbidden;
    request.payload.kind = job.kind;
    request.payload.body = std::move(job.body);
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
            if (raw.empty()) return Refuse(incoming, kExitNoOutput, RECEIVE_NOT_KEPT, kCannotWrite, extra);
            extra["raw"] = PathToUtf8(raw);
            if (!json_) PrintPathLine("", raw);
        }
        if (incoming.refusal != 0) {
            return Refuse(incoming, incoming.refusal, incoming.refusal,
                          ResultMessage(Direction::Receive, incoming.refusal, true), extra);
        }
        const ReceivedObject& received = incoming.object;
        const std::string path = SaveNew(options_.dir, ReceivedFileName(received, incoming.name),
                                         received.kind, received.body, received.time);
        if (path.empty()) return Refuse(incoming, kExitNoOutput, RECEIVE_NOT_KEPT, kCannotWrite, extra);
        ++kept_;
        ++offered_;
        const std::unique_ptr<MediaObject> object = MakeReceivedObject(received);
        extra["status"] = 0;
        ShowObject(path, *object, DecodePicture(*object).get(), json_, std::move(extra));
        return 0;
    }

    uint32_t Kept() const { return kept_; }
    // Objects reported so far, kept or refused.
    uint32_t Reported() const { return offered_; }
    // The status of the first object refused; 0 when none was.
    int FirstFailure() const { return firstFailure_; }

private:
    // A line on stderr naming the object and, for scripts, one on stdout.
    int32_t Refuse(const IncomingObject& incoming, int status, int32_t result,
                   const std::string& message, json extra)
    {
        ++offered_;
        if (firstFailure_ == 0) firstFailure_ = status;
        PrintError(ObjectLabel(incoming) + ": " + message);
        if (json_) {
            extra["name"] = AnsiToUtf8(incoming.name);
            extra["status"] = status;
            extra["message"] = AnsiToUtf8(message);
            PrintJson(extra);
        }
        return result;
    }

    const ReceiveOptions& options_;
    bool json_;
    uint32_t kept_ = 0, offered_ = 0;
    int firstFailure_ = 0;
};

bool LooksLikePhone(const std::string& description)
{
    std::string lower = description;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    }
    for (const char* word : {"phone", "foma", "mova", "携帯"}) {
        if (lower.find(word) != std::string::npos) return true;
    }
    return description.find("OBEX") != std::string::npos;  // the serial dialog's own rule
}

}  // namespace

int RunInfo(const std::vector<std::string>& files, bool asJson)
{
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
            line += std::string(list.empty() ? " " : ", ") + std::to_string(f) + " " + FormatName(f);
            list.push_back({{"number", f}, {"name", FormatName(f)},
                            {"label", AnsiToUtf8(PhoneFormatLabel(f))}});
        }
        ShowObject(file, *media.object, media.picture.get(), asJson, {{"formats", list}}, {line});
    }
    return status;
}

int RunWrap(const std::string& file, const SendEntries& entries, const std::string& out)
{
    LocalMedia media;
    SendJob job;
    std::string message;
    int status = LoadMedia(file, &media, &message);
    if (status == 0) status = BuildSendJob(*media.object, entries, &job, &message);
    if (status != 0) return Fail(file, status, message, false);
    if (job.kind == MEDIA_JPEG || job.kind == MEDIA_GIF) job.picture = media.picture.get();
    std::unique_ptr<OutgoingObject> object;
    const int32_t built = BuildOutgoingObject(job, nullptr, &object);
    if (built != 0) return Fail(file, built, ResultMessage(Direction::Send, built, true), false);
    const uint8_t* bytes = object->body.GetData();
    if (!WriteWholeFile(out, std::vector<uint8_t>(bytes, bytes + object->body.GetSize()))) {
        return Fail(out, kExitNoOutput, kCannotWrite, false);
    }
    // The OBEX name (and type) a send puts it under.
    PrintOut(object->name + (object->type ? " " + *object->type : ""));
    return 0;
}

int RunUnwrap(const UnwrapCommand& command)
{
    FileContents file;
    const FileReadStatus read = ReadLocalFile(command.object, 0, kMaxReceivedObject, &file);
    std::string ansiPath, message;
    FromArgument(command.object, &ansiPath);
    if (read != FileReadStatus::Ok) {
        MediaObjectFromFile(read, file, ansiPath.c_str(), &message);  // the message File > Open gives
        return Fail(command.object, kExitNoInput, message, command.json);
    }
    if (!IsDirectory(command.dir)) return Fail(command.dir, kExitNoOutput, kNoFolder, command.json);
    // Saved by `receive --keep-raw`, an object keeps the name it came under.
    const std::string obexName = command.obexName.value_or(FileNameFromPath(ansiPath.c_str()));
    ReceivedObject received;
    const int32_t parsed = ParseReceivedObject(file.bytes.data(), (uint32_t)file.bytes.size(),
                                               obexName.c_str(),
                                               command.time ? &*command.time : nullptr, &received);
    if (parsed != 0) {
        return Fail(command.object, parsed, ResultMessage(Direction::Receive, parsed, true),
                    command.json);
    }
    return SaveReceived(received, obexName, command.dir, command.json, json::object());
}

int RunSend(const LinkOptions& link, const std::vector<std::string>& files,
            const SendEntries& entries, CancelSignal& cancel)
{
    // Every file is read and checked before the port opens: a refusal sends nothing.
    struct Prepared {
        std::string path;
        SendJob job;
    };
    std::vector<Prepared> prepared;
    for (const std::string& file : files) {
        LocalMedia media;
        Prepared p{file, {}};
        std::string message;
        int status = LoadMedia(file, &media, &message);
        if (status == 0) status = BuildSendJob(*media.object, entries, &p.job, &message);
        if (status != 0) return Fail(file, status, message, link.json);
        prepared.push_back(std::move(p));
    }
    const std::unique_ptr<TransportFactory> transports = MakeTransports(link);
    const std::unique_ptr<InfraredMonitor> monitor = link.irda ? InfraredMonitorService() : nullptr;
    for (Prepared& p : prepared) {
        const uint32_t bytes = (uint32_t)p.job.body.size();
        TransferSession session(SendRequestFor(link, std::move(p.job)), &cancel);
        {
            RunningTransfer running;
            ConsoleUi ui(Direction::Send);
            session.Run(ui, *transports, monitor.get(), nullptr);
        }
        const TransferEnd& end = session.End();
        if (!end.succeeded) {
            return Fail(p.path, cancel.IsCancelled() ? kExitCancelled : session.Result(), end.status,
                        link.json);
        }
        if (link.json) {
            PrintJson({{"path", PathToUtf8(p.path)}, {"status", 0}, {"bytes", bytes},
                       {"message", AnsiToUtf8(end.status)}});
        } else {
            PrintPathLine("", p.path);
            PrintOut("  " + end.status);
        }
    }
    return 0;
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
        const int32_t result = session.Result();
        // A failure the sink has not reported object by object.
        if (result != RECEIVE_OK && sink.Reported() == reported) {
            Fail(where, result, session.End().status, link.json);
        }
        if (cancel.IsCancelled()) {
            if (!options.forever && sink.Kept() >= options.count) break;
            if (result == RECEIVE_OK) PrintError("受信をキャンセルしました。");
            return kExitCancelled;
        }
        if (result == RECEIVE_OK) continue;
        // Waiting for ever outlasts a phone that failed, but not a lost port.
        if (options.forever && result != RECEIVE_NO_PORT) continue;
        return sink.FirstFailure() ? sink.FirstFailure() : result;
    }
    return sink.FirstFailure();
}

std::vector<PortEntry> PhonePortsFirst(std::vector<PortEntry> ports)
{
    std::stable_partition(ports.begin(), ports.end(),
                          [](const PortEntry& p) { return LooksLikePhone(p.description); });
    return ports;
}

int RunPorts(bool asJson)
{
    const std::vector<PortEntry> ports = PhonePortsFirst(ListSerialPorts());
    if (ports.empty()) PrintError(kNoSerialPortsMessage);
    for (const PortEntry& port : ports) {
        if (asJson) {
            PrintJson({{"port", PathToUtf8(port.name)}, {"description", AnsiToUtf8(port.description)}});
        } else {
            std::fputs((PathToConsole(port.name) + ToConsole(" - " + port.description) + "\n").c_str(),
                       stdout);
        }
    }
    return 0;
}

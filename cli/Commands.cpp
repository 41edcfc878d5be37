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

// Runs one transfer the way a worker does: inside the Infrared Monitor bracket (the service
// restarted on every path); Ctrl+C ends it through the transfer's cancel signal.
template <class Transfer>
int32_t RunTransfer(Transfer& transfer, TransferUi& ui, TransportFactory& transports,
                    InfraredMonitor* monitor)
{
    InfraredMonitorBracket bracket(monitor, ui, transports);
    return transfer.Run();
}

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
        std::unique_ptr<Zorvex::ImageManager> picture;
    };
    std::vector<Prepared> prepared;
    for (const std::string& file : files) {
        LocalMedia media;
        Prepared p{file, {}, nullptr};
        std::string message;
        int status = LoadMedia(file, &media, &message);
        if (status == 0) status = BuildSendJob(*media.object, entries, &p.job, &message);
        if (status != 0) return Fail(file, status, message, link.json);
        // The writer reads a JPEG's or GIF's size from its decoded form.
        if (p.job.kind == MEDIA_JPEG || p.job.kind == MEDIA_GIF) p.picture = std::move(media.picture);
        prepared.push_back(std::move(p));
    }
    const std::unique_ptr<TransportFactory> transports = MakeTransports(link);
    const std::unique_ptr<InfraredMonitor> monitor = link.irda ? InfraredMonitorService() : nullptr;
    for (Prepared& p : prepared) {
        const uint32_t bytes = (uint32_t)p.job.body.size();
        int32_t result;
        {
            ConsoleUi ui(Direction::Send);
            SendTransfer transfer(ui, *transports, cancel);
            transfer.Job() = std::move(p.job);
            transfer.SetPicture(std::move(p.picture));
            result = RunTransfer(transfer, ui, *transports, monitor.get());
        }
        const TransferEnd end =
            PresentEnd(Direction::Send, result == SEND_OK,
                       ResultMessage(Direction::Send, result, !link.irda), cancel.IsCancelled());
        if (!end.succeeded) return Fail(p.path, result, end.status, link.json);
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
    const std::unique_ptr<TransportFactory> transports = MakeTransports(link);
    const std::unique_ptr<InfraredMonitor> monitor = link.irda ? InfraredMonitorService() : nullptr;
    const std::string where = link.irda ? "IrDA" : link.port;
    int status = 0;
    for (uint32_t n = 0; options.forever || n < options.count; ++n) {
        ConsoleUi ui(Direction::Receive);
        ReceiveTransfer transfer(ui, *transports, cancel);
        transfer.KeepRaw(options.keepRaw);
        const int32_t result = RunTransfer(transfer, ui, *transports, monitor.get());
        ui.EndLine();
        if (result != RECEIVE_OK) {
            const TransferEnd end =
                PresentEnd(Direction::Receive, false,
                           ResultMessage(Direction::Receive, result, !link.irda), cancel.IsCancelled());
            Fail(where, result, end.status, link.json);
            // Waiting for ever outlasts a phone that failed, but not a cancel or a lost port.
            if (options.forever && !cancel.IsCancelled() && result != RECEIVE_NO_PORT) continue;
            return result;
        }
        // Each object is saved as it arrives, so that a later failure loses nothing.
        json extra = json::object();
        if (options.keepRaw) {
            const std::string raw = SaveNew(options.dir, transfer.ReceivedName(), MEDIA_UNKNOWN,
                                            transfer.RawBody(), transfer.Received().time);
            if (raw.empty()) {
                Fail(options.dir, kExitNoOutput, kCannotWrite, link.json);
                if (status == 0) status = kExitNoOutput;
            }
            extra["raw"] = raw.empty() ? json(nullptr) : json(PathToUtf8(raw));
            if (!raw.empty() && !link.json) PrintPathLine("", raw);
        }
        const int saved = SaveReceived(transfer.Received(), transfer.ReceivedName(), options.dir,
                                       link.json, std::move(extra));
        if (status == 0) status = saved;
    }
    return status;
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

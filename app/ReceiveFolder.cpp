#include "app/ReceiveFolder.h"

#include "app/FileRules.h"
#include "app/FolderFiles.h"
#include "core/CodePage.h"
#include "core/SafeName.h"

namespace {

// stem + suffix + extension, the stem cut at a whole character until the file system takes it.
std::string FittedName(const std::string& stem, const std::string& suffix,
                       const std::string& extension)
{
    std::string cut = stem;
    while (!cut.empty() && !NameFits(cut + suffix + extension)) {
        size_t last = 0;
        for (size_t i = 0; i < cut.size(); i += IsShiftJisLeadByte((unsigned char)cut[i]) ? 2 : 1) {
            last = i;
        }
        cut.erase(last);
    }
    return (cut.empty() ? "zvx" : cut) + suffix + extension;
}

}  // namespace

std::string SaveNew(const std::string& dir, const std::string& name, int32_t kind,
                    const std::vector<uint8_t>& bytes, int32_t time, std::string* savedName)
{
    std::string full = SafeFileName(name);
    if (full.empty()) full = "zvx";
    if (const SaveRule* rule = SaveRuleForKind(kind)) {
        std::string named;
        if (FinalSaveName(full, *rule, &named) == SaveNameStatus::Ok) full = named;
    }
    // A '.' is never part of a double-byte character, so the last one starts the extension.
    const size_t dot = full.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? full : full.substr(0, dot);
    const std::string extension = full.substr(stem.size());

    const std::string temporary = WriteTemporary(dir, bytes, time);
    if (temporary.empty()) return "";
    for (int n = 0; n < 10000; ++n) {
        const std::string fitted =
            FittedName(stem, n == 0 ? "" : "-" + std::to_string(n), extension);
        const std::string path = PathInDirectory(dir, fitted);
        const PlaceResult placed = PlaceFile(temporary, path);
        if (placed == PlaceResult::Placed) {
            if (savedName) *savedName = fitted;
            return path;
        }
        if (placed == PlaceResult::Failed) break;
    }
    RemoveFile(temporary);
    return "";
}

std::string ReceivedFileName(const ReceivedObject& object, const std::string& obexName)
{
    // The reader has already decoded a J-N51 name: decoding it again would turn a "=41" the
    // phone meant into "A".
    if (object.fileName && !object.fileName->empty()) return *object.fileName;
    if (object.format == FORMAT_FUJITSU && object.title) return *object.title;
    if (object.format == FORMAT_DIRECT) return obexName;
    return "";
}

int32_t FolderSink::Report(FolderEntry& entry, int32_t refusal)
{
    entry.refusal = refusal;
    if (listed_) listed_(entry);
    return refusal;
}

int32_t FolderSink::Take(IncomingObject& incoming)
{
    const ReceivedObject& received = incoming.object;
    FolderEntry entry;
    entry.obexName = incoming.name;
    entry.phone = incoming.peer;
    entry.kind = received.kind;
    entry.format = received.format;
    entry.size = (uint32_t)received.body.size();
    if (incoming.refusal != 0) return Report(entry, incoming.refusal);
    // The view shows what is kept: an object it cannot show is refused before anything is saved.
    std::unique_ptr<MediaObject> object = MakeReceivedObject(received);
    std::unique_ptr<ViewContent> content = DecodeContent(object);
    if (!content) return Report(entry, RECEIVE_CONTENT_REFUSED);
    if (SaveNew(dir_, ReceivedFileName(received, incoming.name), received.kind, received.body,
                received.time, &entry.savedName).empty()) {
        return Report(entry, RECEIVE_NOT_KEPT);
    }
    ++saved_;
    // Kept in the folder whatever the view does with it.
    if (view_) view_->Deliver(std::move(content));
    return Report(entry, 0);
}

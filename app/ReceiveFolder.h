// Saving what came from a phone into a folder under its safe name, never replacing a file; zvx
// and the program's continuous receive share it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/TransferSession.h"
#include "formats/VNoteReader.h"

// Saves `bytes` in `dir` under `name` made safe ("zvx" when nothing usable is left) with the
// extension of `kind`'s save rule (kind 0: the name as it is), never replacing a file: name.jpg,
// then name-1.jpg, and so on. The file appears whole or not at all. The path, or empty;
// `savedName`: the name it got (a program text).
std::string SaveNew(const std::string& dir, const std::string& name, int32_t kind,
                    const std::vector<uint8_t>& bytes, int32_t time,
                    std::string* savedName = nullptr);

// The name a received object is saved under: its own file name (as the reader decoded it), else a
// Fujitsu title, else the OBEX name of a bare picture; empty when none.
std::string ReceivedFileName(const ReceivedObject& object, const std::string& obexName);

// One object of a continuous receive, kept or refused, as its list shows it.
struct FolderEntry {
    std::string savedName;  // the file's name in the folder; empty when refused
    std::string obexName;   // the PUT's Name header
    std::string phone;      // the phone's device name over infrared
    int32_t kind = 0, format = 0;
    uint32_t size = 0;      // bytes of the object's content
    int32_t refusal = 0;    // 0, or the receive result the phone heard
};

// The program's continuous receive: every object that decodes is saved in the folder before
// the phone hears it was delivered, then becomes the view's current object. An object that
// cannot be shown or saved is refused. Each object, kept or refused, is reported to `listed`.
class FolderSink : public ReceivedObjectSink {
public:
    FolderSink(std::string dir, ContentSink* view, std::function<void(const FolderEntry&)> listed)
        : dir_(std::move(dir)), view_(view), listed_(std::move(listed)) {}
    int32_t Take(IncomingObject& incoming) override;
    uint32_t Saved() const { return saved_; }

private:
    int32_t Report(FolderEntry& entry, int32_t refusal);

    std::string dir_;
    ContentSink* view_;
    std::function<void(const FolderEntry&)> listed_;
    uint32_t saved_ = 0;
};

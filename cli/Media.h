// zvx's media files: reading one as File > Open does, and the job a send of it makes with the
// checks of the send settings dialog. Saving what came from a phone is the program's
// (app/ReceiveFolder.h).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/ReceiveFolder.h"  // SaveNew, ReceivedFileName
#include "app/SendSettingsRules.h"  // SendEntries
#include "core/FileAccess.h"
#include "core/MediaObject.h"
#include "formats/ImageManager.h"
#include "formats/VNoteReader.h"
#include "formats/VNoteWriter.h"

// Exit statuses of zvx's own refusals; the results' (1 to 14, cli/Commands.h) come before them.
constexpr int kExitUsage = 64;     // arguments not understood
constexpr int kExitRefused = 65;   // data or entries the program refuses
constexpr int kExitNoInput = 66;   // a file that cannot be read
constexpr int kExitNoOutput = 73;  // a file that cannot be written
constexpr int kExitInternal = 70;  // a failure no rule expects (out of memory)
constexpr int kExitCancelled = 130;  // Ctrl+C, as shells report a command it ended

// A file as the system spells its path, or standard input for "-". The open failure says why
// in `message` (a missing file, a folder, no permission) when ExaminePath can tell.
FileReadStatus ReadInput(const std::string& path, uint32_t minSize, uint32_t maxSize,
                         FileContents* out, std::string* message);

// A media file as File > Open makes it: the object and, for a picture, its decoded form.
struct LocalMedia {
    std::unique_ptr<MediaObject> object;
    std::unique_ptr<Zorvex::ImageManager> picture;
    std::string fileName;   // the file's own name (Shift_JIS), also when too long to be the object's
    bool nameLost = false;  // the file's name has no Shift_JIS form: the object has none
};
// 0, or an exit status with `message`: the open, size and read refusals of File > Open (Shift_JIS,
// naming `path`, with the cause when known), and "対応していないデータ形式です。" for a picture
// that does not decode. "-" reads standard input (an object without a file name).
int LoadMedia(const std::string& path, LocalMedia* media, std::string* message);

// The media file at `path` loaded (into `loaded` when given) and PrepareSend's job for it, as the
// dialog makes it: 0, or LoadMedia's status, or kExitRefused with the dialog's refusal (or one of
// ours for a format the kind cannot go in, or a text too long for its edit), led by the option
// that would mend it ("--summary: サマリーを入力してください。"). `job.picture` is the caller's.
int LoadSendJob(const std::string& path, const SendEntries& entries, SendJob* job,
                std::string* message, LocalMedia* loaded = nullptr);

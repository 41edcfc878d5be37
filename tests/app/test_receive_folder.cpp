// The continuous receive's sink: what each object leaves in the folder, the view and the list,
// and what the phone hears.
#include <gtest/gtest.h>

#include "app/ReceiveFolder.h"
#include "core/FileAccess.h"
#include "tests/support/TestFiles.h"

namespace {

struct CountingView : ContentSink {
    bool Deliver(std::unique_ptr<ViewContent>) override { return ++delivered, true; }
    int delivered = 0;
};

std::vector<uint8_t> FileBytes(const std::string& path)
{
    FileContents file;
    ReadWholeFile(path.c_str(), 0, 1 << 20, &file);
    return file.bytes;
}

}  // namespace

TEST(FolderSink, SavesBeforeTheAnswerNeverReplacingAndRefusesWhatItCannotKeep)
{
    const std::vector<uint8_t> melody = {'m', 'e', 'l', 'o', 0, 0, 0, 0}, old = {1, 2, 3};
    const struct {
        const char* what;
        int32_t kind, readerRefusal;
        const char* existing;  // a file already in the folder
        bool folderGone;
        int32_t heard;       // what the phone hears
        const char* file;    // saved under, or (refused) absent
    } rows[] = {
        {"own name, the kind's extension", MEDIA_IMELODY, 0, nullptr, false, 0, "song.mld"},
        {"a file of that name stays", MEDIA_IMELODY, 0, "song.mld", false, 0, "song-1.mld"},
        {"a picture that does not decode", MEDIA_JPEG, 0, nullptr, false, RECEIVE_CONTENT_REFUSED, "song.jpg"},
        {"the reader's refusal", MEDIA_IMELODY, RECEIVE_KIND_REFUSED, nullptr, false, RECEIVE_KIND_REFUSED, "song.mld"},
        {"the folder is gone", MEDIA_IMELODY, 0, nullptr, true, RECEIVE_NOT_KEPT, "song.mld"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ScratchDir scratch;
        const std::string folder = scratch.File(""), dir = row.folderGone ? folder + "gone/" : folder;
        ASSERT_TRUE(!row.existing || WriteScratchFile(folder + row.existing, old));
        CountingView view;
        std::vector<FolderEntry> listed;
        FolderSink sink(dir, &view, [&](const FolderEntry& entry) { listed.push_back(entry); });
        IncomingObject incoming;
        incoming.peer = "P905i";
        incoming.refusal = row.readerRefusal;
        incoming.object.kind = row.kind;
        incoming.object.fileName = "song";
        incoming.object.body = row.kind == MEDIA_JPEG ? std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 1} : melody;
        EXPECT_EQ(row.heard, sink.Take(incoming));

        const bool kept = row.heard == 0;
        ASSERT_EQ(1u, listed.size());
        EXPECT_EQ(row.heard, listed[0].refusal);
        EXPECT_EQ(kept ? row.file : "", listed[0].savedName);
        EXPECT_EQ("P905i", listed[0].phone);
        EXPECT_EQ(kept ? 1 : 0, view.delivered);
        EXPECT_EQ(kept ? melody : std::vector<uint8_t>{}, FileBytes(dir + row.file));
        EXPECT_TRUE(!row.existing || FileBytes(folder + row.existing) == old) << "replaced";
    }
}

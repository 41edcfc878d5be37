// The continuous receive's sink: what each object leaves in the folder, in the view and in the
// list, and what the phone hears.
#include <gtest/gtest.h>

#include "app/ReceiveFolder.h"
#include "core/FileAccess.h"
#include "tests/core/TestFiles.h"

namespace {

struct CountingView : ContentSink {
    bool Deliver(std::unique_ptr<ViewContent> content) override
    {
        last = content->object->GetFileName() ? content->object->GetFileName() : "";
        ++delivered;
        return true;
    }
    int delivered = 0;
    std::string last;
};

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> FileBytes(const std::string& path)
{
    FileContents file;
    if (ReadWholeFile(path.c_str(), 0, 1 << 20, &file) != FileReadStatus::Ok) return {};
    return file.bytes;
}

}  // namespace

TEST(FolderSink, SavesBeforeTheAnswerNeverReplacingAndRefusesWhatItCannotKeep)
{
    const std::vector<uint8_t> melody = Bytes(std::string("melo") + std::string(36, '\x01'));
    const std::vector<uint8_t> badJpeg = Bytes("\xFF\xD8\xFF\xE0 not a picture");
    struct Row {
        const char* what;
        int32_t kind, readerRefusal;
        const char* name;      // the object's own file name
        const char* existing;  // a file already in the folder
        bool folderGone;
        int32_t heard;         // what the phone hears
        const char* saved;     // the name it is saved under; empty: nothing saved
    } rows[] = {
        {"own name, the kind's extension", MEDIA_IMELODY, 0, "song", nullptr, false, 0, "song.mld"},
        {"a file of that name stays", MEDIA_IMELODY, 0, "song.mld", "song.mld", false, 0, "song-1.mld"},
        {"a picture that does not decode", MEDIA_JPEG, 0, "bad", nullptr, false,
         RECEIVE_CONTENT_REFUSED, ""},
        {"the reader's refusal", MEDIA_IMELODY, RECEIVE_KIND_REFUSED, "song", nullptr, false,
         RECEIVE_KIND_REFUSED, ""},
        {"the folder is gone", MEDIA_IMELODY, 0, "song", nullptr, true, RECEIVE_NOT_KEPT, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string folder = ScratchDir();
        const std::string dir = row.folderGone ? folder + "gone" : folder;
        const std::vector<uint8_t> old = Bytes("already here");
        if (row.existing) {
            ASSERT_TRUE(WriteScratchFile(folder + row.existing, old));
        }
        CountingView view;
        std::vector<FolderEntry> listed;
        FolderSink sink(dir, &view, [&](const FolderEntry& entry) { listed.push_back(entry); });

        IncomingObject incoming;
        incoming.name = "obex.bin";
        incoming.peer = "P905i";
        incoming.refusal = row.readerRefusal;
        incoming.object.kind = row.kind;
        incoming.object.format = FORMAT_DOCOMO;
        incoming.object.fileName = row.name;
        incoming.object.body = row.kind == MEDIA_JPEG ? badJpeg : melody;
        EXPECT_EQ(sink.Take(incoming), row.heard);

        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].refusal, row.heard);
        EXPECT_EQ(listed[0].savedName, row.saved);
        EXPECT_EQ(listed[0].phone, "P905i");
        EXPECT_EQ(listed[0].size, incoming.object.body.size());
        const bool kept = row.heard == 0;
        EXPECT_EQ(view.delivered, kept ? 1 : 0);
        EXPECT_EQ(sink.Saved(), kept ? 1u : 0u);
        const std::string name = kept ? row.saved : row.name + std::string(row.kind == MEDIA_JPEG ? ".jpg" : ".mld");
        EXPECT_EQ(FileBytes(dir + name), kept ? melody : std::vector<uint8_t>{}) << name;
        if (row.existing) {
            EXPECT_EQ(FileBytes(folder + row.existing), old);
        }
    }
}

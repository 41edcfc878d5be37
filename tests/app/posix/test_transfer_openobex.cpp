// Both transfers against libopenobex as the phone, over a socketpair.
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include <gtest/gtest.h>

#include "tests/app/TransferFixtures.h"
#include "tests/formats/VNoteFixtures.h"
#include "tests/support/posix/FdTransport.h"
#include "tests/support/posix/OpenObexPeer.h"
#include "tests/support/TestFiles.h"

namespace {

// The program's end of a socketpair; the phone (libopenobex) has the other.
class SocketTransports : public TransportFactory {
public:
    explicit SocketTransports(int32_t maxPacket) : maxPacket_(maxPacket)
    {
        EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, fds));
    }
    ~SocketTransports() override { ::close(fds[1]); }
    bool IsSerial() const override { return true; }
    std::unique_ptr<ObexServerSocket> CreateServerSocket() override
    {
        return std::make_unique<FdTransport>(fds[0], maxPacket_);
    }
    std::unique_ptr<ObexClientSocket> CreateClientSocket() override
    {
        return std::make_unique<FdTransport>(fds[0], maxPacket_);
    }
    void SetUpLine(ObexSocket&) override {}
    std::string PeerName(ObexSocket&) override { return ""; }
    void Pause(uint32_t) override {}
    int fds[2] = {-1, -1};

private:
    int32_t maxPacket_;
};

const std::vector<uint8_t> kJpeg = ReadTestData("pictures/dot.jpg");

TEST(TransferWithOpenObex, ReceivesWhatThePhonePushes)
{
    SendJob melody;
    melody.kind = MEDIA_IMELODY, melody.format = FORMAT_DOCOMO, melody.body = vnote_test::MldHeader();
    melody.time = vnote_test::kTime, melody.fileName = "m.mld", melody.summary = "";
    std::unique_ptr<OutgoingObject> vnote;
    ASSERT_EQ(0, BuildOutgoingObject(melody, nullptr, &vnote));

    struct Case { std::vector<uint8_t> body; bool hasLength; int32_t kind, format; std::vector<uint8_t> content; } cases[] = {
        {kJpeg, true, MEDIA_JPEG, FORMAT_DIRECT, kJpeg},
        // Without a Length header the dialog is told no total.
        {std::vector<uint8_t>(vnote->body.GetData(), vnote->body.GetData() + vnote->body.GetSize()),
         false, MEDIA_IMELODY, FORMAT_DOCOMO, vnote_test::MldHeader()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        SocketTransports transports(1024);
        OpenObexPut put;
        put.nameUtf16be = Utf16BigEndian(u"a.vnt");
        put.body = c.body;
        put.hasLength = c.hasLength;
        OpenObexClientResult phone;
        std::thread peer([&] { phone = RunOpenObexClient(transports.fds[1], 1024, put); });
        RecordingUi ui;
        KeepingSink sink;
        const bool ok = RunSession(ReceiveRequest(), ui, transports, nullptr, &sink);
        peer.join();
        EXPECT_TRUE(ok) << ui.LastStatus();
        EXPECT_TRUE(phone.ok) << phone.error;
        const MediaObject* kept = sink.Kept();
        ASSERT_TRUE(kept);
        EXPECT_EQ(c.kind, kept->GetKind());
        EXPECT_EQ(c.format, kept->GetFormat());
        EXPECT_EQ(c.content, std::vector<uint8_t>(kept->GetBody(), kept->GetBody() + kept->GetBodyLength()));
        ASSERT_FALSE(ui.progress.empty());
        EXPECT_EQ(c.hasLength ? (uint32_t)c.body.size() : 0u, ui.progress.back().second);
        EXPECT_EQ((uint32_t)c.body.size(), ui.progress.back().first);
    }
}

TEST(TransferWithOpenObex, SendsTheWritersObject)
{
    SendJob job;
    job.kind = MEDIA_JPEG, job.format = FORMAT_DIRECT, job.fileName = "写真.jpg", job.body = kJpeg;
    job.time = vnote_test::kTime;
    for (int32_t size : {255, 2048}) {
        SCOPED_TRACE(size);
        SocketTransports transports(size);
        OpenObexReceived phone;
        std::thread peer([&] { phone = RunOpenObexServer(transports.fds[1], size, true); });
        RecordingUi ui;
        const bool ok = RunSession(SendRequest(job), ui, transports);
        peer.join();
        EXPECT_TRUE(ok) << ui.LastStatus();
        EXPECT_TRUE(phone.ok) << phone.error;
        EXPECT_EQ(Utf16BigEndian(u"写真.jpg"), phone.name);
        EXPECT_EQ("20080309T140507Z", std::string(phone.time.begin(), phone.time.end()));
        EXPECT_TRUE(phone.hasLength);
        EXPECT_EQ(kJpeg, phone.body);  // direct mode sends the file itself
    }
}

}  // namespace

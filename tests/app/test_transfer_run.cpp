// Both transfers end to end over an in-memory link whose other end plays the phone: our own
// OBEX engine for well-formed objects, raw packets for phones that misbehave.
#include <algorithm>

#include <gtest/gtest.h>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/app/TransferFixtures.h"
#include "tests/formats/VNoteFixtures.h"
#include "tests/support/ObexPackets.h"
#include "tests/support/TestFiles.h"

namespace {

using ::Bytes;
using vnote_test::Bmp24;
using vnote_test::kTime;
using vnote_test::MldHeader;
using vnote_test::TinyGif;
using vnote_test::TinyMovie;

// What a phone pushes: the writer's object for a job, or a bare file.
struct Pushed {
    std::string name;
    std::optional<std::string> type;
    std::vector<uint8_t> body;
};

Pushed Written(SendJob& job)
{
    std::unique_ptr<OutgoingObject> object;
    EXPECT_EQ(0, BuildOutgoingObject(job, nullptr, &object));
    Pushed p{object->name, object->type, {}};
    p.body.assign(object->body.GetData(), object->body.GetData() + object->body.GetSize());
    return p;
}

// A phone that pushes one object with our client: CONNECT, PUT, DISCONNECT.
void PushWithClient(MemoryEnd& end, const Pushed& pushed)
{
    ObexClient client(&end);
    client.Connect();
    client.SetName(pushed.name.c_str());
    if (pushed.type) client.SetType(pushed.type->c_str());
    client.SetTime(kTime);
    client.SetBody(pushed.body.data(), (uint32_t)pushed.body.size());
    client.SetOperation(OBEX_OP_PUT | OBEX_FINAL_BIT);
    client.SendRequest();
    client.SetOperation(OBEX_OP_DISCONNECT);
    client.SendRequest();
}

Bytes ReadPacket(MemoryEnd& end)
{
    Bytes packet(3);
    for (int32_t got = 0; got < 3;) got += end.Receive(packet.data(), got, 3 - got);
    const int32_t length = packet[1] << 8 | packet[2];
    packet.resize((size_t)length);
    for (int32_t got = 3; got < length;) got += end.Receive(packet.data(), got, length - got);
    return packet;
}

void SendAll(MemoryEnd& end, const Bytes& packet)
{
    for (int32_t sent = 0; sent < (int32_t)packet.size();)
        sent += end.Send(packet.data(), sent, (int32_t)packet.size() - sent);
}

// A phone that sends each packet and reads the answer.
void Script(MemoryEnd& end, const std::vector<Bytes>& packets)
{
    for (const Bytes& p : packets) {
        SendAll(end, p);
        ReadPacket(end);
    }
}

const Bytes kName = UnicodeHeader(OBEX_HI_NAME, u"a.vnt");

bool Shown(RecordingUi& ui, const std::string& text)
{
    for (const std::string& s : ui.statuses)
        if (s == text) return true;
    return false;
}

// --- Receive ------------------------------------------------------------------------------------

struct ReceiveCase {
    const char* what;
    std::function<Pushed()> push;
    int32_t kind, format;
    const char* fileName;  // expected, nullptr = none
};

TEST(ReceiveTransfer, PhoneObjectsBecomeCurrentObjects)
{
    const std::vector<uint8_t> jpeg = ReadTestData("pictures/dot.jpg");
    const std::vector<uint8_t> gif = TinyGif();
    const ReceiveCase cases[] = {
        {"bare JPEG", [&] { return Pushed{"dot.jpg", {}, jpeg}; }, MEDIA_JPEG, FORMAT_DIRECT, nullptr},
        {"docomo picture",
         [&] {
             SendJob job;
             job.kind = MEDIA_GIF, job.format = FORMAT_DOCOMO, job.body = gif, job.time = kTime;
             job.fileName = "tiny.gif", job.summary = "青い空";
             Zorvex::ImageManager picture(gif.data(), (uint32_t)gif.size());
             job.picture = &picture;
             return Written(job);
         },
         MEDIA_GIF, FORMAT_DOCOMO, "tiny.gif"},
        {"melody",
         [&] {
             SendJob job;
             job.kind = MEDIA_IMELODY, job.format = FORMAT_DOCOMO, job.body = MldHeader();
             job.time = kTime, job.fileName = "m.mld", job.summary = "";
             return Written(job);
         },
         MEDIA_IMELODY, FORMAT_DOCOMO, "m.mld"},
        {"movie",
         [&] {
             SendJob job;
             job.kind = MEDIA_MOVIE, job.format = FORMAT_DOCOMO, job.body = TinyMovie(176, 144);
             job.time = kTime, job.fileName = "m.3gp", job.summary = "";
             return Written(job);
         },
         MEDIA_MOVIE, FORMAT_DOCOMO, "m.3gp"},
        // The phone sends the file name quoted-printable; it comes back as it was written.
        {"J-N51 picture",
         [&] {
             SendJob job;
             job.kind = MEDIA_JPEG, job.format = FORMAT_JN51_JPEG, job.body = jpeg;
             job.fileName = "写真=1.jpg", job.time = kTime;
             Zorvex::ImageManager picture(jpeg.data(), (uint32_t)jpeg.size());
             job.picture = &picture;
             return Written(job);
         },
         MEDIA_JPEG, FORMAT_JN51_JPEG, "写真=1.jpg"},
    };
    for (const ReceiveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const bool serial = (&c - cases) % 2 == 1;  // both transports take turns
        const Pushed pushed = c.push();
        MemoryTransports transports(2048, serial);
        transports.peerName = "P900i";
        RecordingUi ui;
        KeepingSink sink;
        bool ok;
        {
            PhoneThread phone([&] { PushWithClient(transports.phone, pushed); });
            ok = RunSession(ReceiveRequest(serial), ui, transports, nullptr, &sink);
        }
        EXPECT_TRUE(ok);
        EXPECT_EQ("受信に成功しました。", ui.LastStatus());
        EXPECT_EQ(std::vector<bool>{true}, ui.doneCalls);
        // Only an infrared link names the phone in the caption; only a serial one has a line
        // to set up, but the set-up is asked for either way.
        ASSERT_FALSE(ui.captions.empty());
        EXPECT_EQ(serial ? "受信完了" : "デバイス〝P900i〟より受信中", ui.captions.front());
        EXPECT_EQ(1, transports.lineSetUps);
        const MediaObject* kept = sink.Kept();
        ASSERT_TRUE(kept);
        EXPECT_EQ(c.kind, kept->GetKind());
        EXPECT_EQ(c.format, kept->GetFormat());
        EXPECT_STREQ(c.fileName, kept->GetFileName());
        const std::vector<uint8_t> expected =
            c.format == FORMAT_DIRECT ? pushed.body
            : c.kind == MEDIA_GIF     ? gif
            : c.kind == MEDIA_IMELODY ? MldHeader()
            : c.kind == MEDIA_MOVIE   ? TinyMovie(176, 144)
                                      : jpeg;
        EXPECT_EQ(expected, std::vector<uint8_t>(kept->GetBody(), kept->GetBody() + kept->GetBodyLength()));
        // Progress counts the PUT's body against the announced Length.
        ASSERT_FALSE(ui.progress.empty());
        EXPECT_EQ(std::make_pair((uint32_t)pushed.body.size(), (uint32_t)pushed.body.size()),
                  ui.progress.back());
    }
}

struct ReceiveFailure {
    const char* what;
    std::vector<Bytes> packets;  // after the CONNECT
    bool dropAfter;              // the phone goes away after its packets
    const char* message;
};

TEST(ReceiveTransfer, FailuresEndWithTheirMessages)
{
    const Bytes connect = ConnectPacket(OBEX_OP_CONNECT, 8192);
    const Bytes noMarker = Text("BEGIN:VNOTE\r\nVERSION:1.1\r\nEND:VNOTE\r\n");
    const ReceiveFailure cases[] = {
        {"GET", {Packet(OBEX_OP_GET | OBEX_FINAL_BIT, kName)}, false, "不正な要求が行われました。"},
        {"SETPATH", {Packet(0x85, Cat({{0x02, 0x00}, kName}))}, false,
         "不正な要求が行われました。"},
        {"PUT without body", {Packet(OBEX_OP_PUT | OBEX_FINAL_BIT, kName)}, false,
         "データが渡されませんでした。"},
        {"vNote without marker",
         {Packet(OBEX_OP_PUT | OBEX_FINAL_BIT, Cat({kName, BytesHeader(OBEX_HI_END_OF_BODY, noMarker)}))},
         false, "サポートしていないファイル形式です。"},
        {"link dropped mid-PUT", {Packet(OBEX_OP_PUT & ~OBEX_FINAL_BIT, Cat({kName, BytesHeader(OBEX_HI_BODY, noMarker)}))},
         true, "予期しない接続解除が行われました。"},
    };
    for (const ReceiveFailure& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryTransports transports;
        RecordingUi ui;
        KeepingSink sink;
        bool ok;
        {
            PhoneThread phone([&] {
                Script(transports.phone, {connect});
                for (const Bytes& p : c.packets) SendAll(transports.phone, p);
                if (c.dropAfter) ReadPacket(transports.phone);  // the CONTINUE
                if (c.dropAfter) transports.phone.Close();
            });
            ok = RunSession(ReceiveRequest(), ui, transports, nullptr, &sink);
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(c.message, ui.LastStatus());
        EXPECT_TRUE(Shown(ui, "受信中にエラーが発生しました。"));
        EXPECT_EQ("受信失敗", ui.captions.back());
        EXPECT_EQ(std::vector<bool>{false}, ui.doneCalls);
        EXPECT_FALSE(sink.kept);
    }
}

// What the phone hears for each object it pushes, against what the PC keeps, whatever the
// phone does after an answer. The receiving side is the program (one object per receive) or a
// sink that keeps every object (zvx) or fails to write each one.
TEST(ReceiveTransfer, PhoneHearsSuccessExactlyForWhatIsKept)
{
    const Bytes jpeg = ReadTestData("pictures/dot.jpg");
    const auto put = [&](const Bytes& body) {
        return Packet(OBEX_OP_PUT | OBEX_FINAL_BIT, Cat({kName, BytesHeader(OBEX_HI_END_OF_BODY, body)}));
    };
    const Bytes object = put(jpeg), disconnect = Packet(OBEX_OP_DISCONNECT);
    const Bytes undecodable = put(Cat({{0xFF, 0xD8, 0xFF, 0xE0}, Bytes(40, 0x11)}));
    const Bytes gifAsJpeg = [&] {  // a docomo vNote that says JPEG around a GIF
        const Bytes gif = TinyGif();
        Zorvex::ImageManager picture(gif.data(), (uint32_t)gif.size());
        SendJob job;
        job.kind = MEDIA_JPEG, job.format = FORMAT_DOCOMO, job.body = gif, job.picture = &picture;
        job.fileName = "a.jpg", job.summary = "", job.time = kTime;
        return put(Written(job).body);
    }();
    enum Sink { Program, KeepsAll, CannotWrite };
    enum After { Disconnect, Quiet, Drop, Cancel };
    const struct Row {
        const char* what;
        Sink sink;
        std::vector<Bytes> puts;  // after the CONNECT, each answered
        After after;
        Bytes heard;              // the answer to each PUT
        int kept;
        const char* message;
    } rows[] = {
        {"quiet after the answer", Program, {object}, Quiet, {0xA0}, 1, "受信に成功しました。"},
        {"line dropped after the answer", Program, {object}, Drop, {0xA0}, 1, "受信に成功しました。"},
        {"cancel after the answer", Program, {object}, Cancel, {0xA0}, 1, "受信に成功しました。"},
        {"two objects", Program, {object, object}, Disconnect, {0xA0, 0xD3}, 1, "受信に成功しました。"},
        {"three objects, then silence", Program, {object, object, object}, Quiet, {0xA0, 0xD3, 0xD3}, 1,
         "受信に成功しました。"},
        {"a GET after the object", Program, {object, Packet(OBEX_OP_GET | OBEX_FINAL_BIT)}, Quiet,
         {0xA0, 0xC0}, 1, "受信に成功しました。"},
        {"undecodable picture", Program, {undecodable}, Disconnect, {0xCF}, 0, "対応していないデータ形式です。"},
        {"refused, then a good one", Program, {undecodable, object}, Disconnect, {0xCF, 0xA0}, 1,
         "受信に成功しました。"},
        {"GIF labelled JPEG", KeepsAll, {gifAsJpeg}, Disconnect, {0xCF}, 0, "対応していないデータ形式です。"},
        {"three objects kept", KeepsAll, {object, object, object}, Drop, {0xA0, 0xA0, 0xA0}, 3,
         "受信に成功しました。"},
        {"cannot write", CannotWrite, {object, object}, Disconnect, {0xD0, 0xD0}, 0,
         "受信したデータを保存できませんでした。"},
        {"cancel with nothing kept", CannotWrite, {object}, Cancel, {0xD0}, 0, "受信をキャンセルしました。"},
    };
    struct AllSink : ReceivedObjectSink {
        explicit AllSink(bool writes) : writes(writes) {}
        int32_t Take(IncomingObject& in) override
        {
            if (in.refusal != 0) return in.refusal;
            if (!writes) return RECEIVE_NOT_KEPT;
            ++kept;
            return 0;
        }
        bool writes;
        int kept = 0;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        MemoryTransports transports;
        RecordingUi ui;
        KeepingSink view;
        AllSink all(row.sink == KeepsAll);
        TransferSession session(ReceiveRequest());
        Bytes heard;
        {
            PhoneThread phone([&] {
                MemoryEnd& end = transports.phone;
                Script(end, {ConnectPacket(OBEX_OP_CONNECT, 8192)});
                for (const Bytes& p : row.puts) {
                    SendAll(end, p);
                    heard.push_back(ReadPacket(end)[0]);
                }
                if (row.after == Disconnect) Script(end, {disconnect});
                if (row.after == Drop) end.Close();
                if (row.after == Quiet || row.after == Cancel) ReadPacket(end);  // until the PC hangs up
            });
            PhoneThread canceller([&] {
                if (row.after == Cancel) ui.CancelWhenShown("接続解除中です。", session);
            });
            const bool ok = row.sink == Program ? session.Run(ui, transports, nullptr, &view)
                                                : session.Run(ui, transports, nullptr, all);
            EXPECT_EQ(row.kept > 0, ok);
        }
        EXPECT_EQ(row.heard, heard);
        const int kept = row.sink == Program ? (view.kept ? 1 : 0) : all.kept;
        EXPECT_EQ(row.kept, kept);
        EXPECT_EQ(std::count(heard.begin(), heard.end(), 0xA0), kept) << "SUCCESS only for what is kept";
        EXPECT_EQ(row.message, ui.LastStatus());
    }
}

TEST(ReceiveTransfer, PortFailureNamesThePortAndPictureFailureIsReported)
{
    for (bool serial : {false, true}) {
        MemoryTransports transports(2048, serial);
        transports.failCreate = true;
        RecordingUi ui;
        KeepingSink sink;
        EXPECT_FALSE(RunSession(ReceiveRequest(serial), ui, transports, nullptr, &sink));
        EXPECT_EQ(serial ? "指定の通信ポートが使用できません。" : "赤外線ポートが使用できません。",
                  ui.LastStatus());
    }
    // The window cannot take the object (the program is closing): the phone hears a failure.
    MemoryTransports transports;
    RecordingUi ui;
    KeepingSink refusing(false);
    bool ok;
    {
        PhoneThread phone([&] {
            PushWithClient(transports.phone, Pushed{"a.jpg", {}, ReadTestData("pictures/dot.jpg")});
        });
        ok = RunSession(ReceiveRequest(), ui, transports, nullptr, &refusing);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ("受信したデータを保存できませんでした。", ui.LastStatus());
}

// --- Send ---------------------------------------------------------------------------------------

// A phone that takes one object with our server, answering every request with `answer`.
struct Taken {
    std::string name, type;
    int32_t time = 0;
    uint32_t length = 0;
    std::vector<uint8_t> body;
};

class Collector : public ObexBodyReceiver {
public:
    void Receive(ObexObject*, const uint8_t* data, int32_t length, bool) override
    {
        bytes.insert(bytes.end(), data, data + length);
    }
    std::vector<uint8_t> bytes;
};

void TakeWithServer(MemoryEnd& end, Taken* taken)
{
    ObexServer server(&end);
    server.Accept();
    Collector collector;
    server.SetBodyReceiver(&collector);
    server.ReceiveRequest();
    taken->name = server.GetName() ? server.GetName() : "";
    taken->type = server.GetType() ? server.GetType() : "";
    taken->time = server.GetTime();
    taken->length = server.GetLength();
    taken->body = collector.bytes;
    server.SendResponse(0x20);
    server.ReceiveRequest();
    server.SendResponse(0x20);
}

SendJob Job(int32_t format, const char* fileName, int32_t kind, std::vector<uint8_t> body)
{
    SendJob job;
    job.kind = kind, job.format = format, job.body = std::move(body), job.time = kTime;
    job.title = "タイトル", job.summary = "サマリー", job.fileName = fileName;
    return job;
}

TEST(SendTransfer, PutsExactlyWhatTheWriterBuilds)
{
    const std::vector<uint8_t> gif = TinyGif();
    struct Case { int32_t kind, format; std::vector<uint8_t> body; const char* file; } cases[] = {
        {MEDIA_GIF, FORMAT_DOCOMO, gif, "tiny.gif"},
        {MEDIA_IMELODY, FORMAT_FUJITSU, MldHeader(), "m.mld"},  // with a Type header
        {MEDIA_BMP, FORMAT_P504I, Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}), "b.bmp"},
        {MEDIA_MOVIE, FORMAT_NEC, TinyMovie(128, 96), "m.3gp"},
        {MEDIA_JPEG, FORMAT_DIRECT, ReadTestData("pictures/dot.jpg"), "dot.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        // The oracle: the writer's object for the same job.
        SendJob job = Job(c.format, c.file, c.kind, c.body);
        std::unique_ptr<Zorvex::ImageManager> picture;
        if (c.kind == MEDIA_GIF) picture = std::make_unique<Zorvex::ImageManager>(gif.data(), (uint32_t)gif.size());
        job.picture = picture.get();
        const Pushed expected = Written(job);

        MemoryTransports transports;
        RecordingUi ui;
        Taken taken;
        bool ok;
        {
            PhoneThread phone([&] { TakeWithServer(transports.phone, &taken); });
            ok = RunSession(SendRequest(job), ui, transports);
        }
        EXPECT_TRUE(ok);
        EXPECT_EQ("送信に成功しました。", ui.LastStatus());
        EXPECT_EQ("送信完了", ui.captions.back());
        EXPECT_EQ(expected.name, taken.name);
        EXPECT_EQ(expected.type.value_or(""), taken.type);
        EXPECT_EQ(kTime, taken.time);
        EXPECT_EQ(expected.body.size(), taken.length);
        EXPECT_EQ(expected.body, taken.body);
        // Each report comes before a piece is handed out: the first says nothing is sent yet.
        ASSERT_FALSE(ui.progress.empty());
        EXPECT_EQ(std::make_pair(0u, (uint32_t)expected.body.size()), ui.progress.front());
        EXPECT_EQ((uint32_t)expected.body.size(), ui.progress.back().second);
    }
}

TEST(SendTransfer, RefusalsAndUnsendableKinds)
{
    // The phone refuses the PUT: no DISCONNECT follows.
    MemoryTransports transports;
    RecordingUi ui;
    int packetsAfterRefusal = -1;
    bool ok;
    {
        PhoneThread phone([&] {
            MemoryEnd& end = transports.phone;
            ReadPacket(end);
            SendAll(end, ConnectPacket(OBEX_RSP_SUCCESS, 8192));
            ReadPacket(end);
            SendAll(end, Packet(0xC3));  // Forbidden
            packetsAfterRefusal = 0;
            for (;;) {
                ReadPacket(end);
                ++packetsAfterRefusal;
            }
        });
        ok = RunSession(SendRequest(Job(FORMAT_DIRECT, "a.jpg", MEDIA_JPEG, ReadTestData("pictures/dot.jpg"))),
                        ui, transports);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ("データの受け取りを拒否されました。", ui.LastStatus());
    EXPECT_EQ(0, packetsAfterRefusal);

    for (int32_t kind : {0, 5, 8}) {
        MemoryTransports unused;
        RecordingUi refused;
        EXPECT_FALSE(RunSession(SendRequest(Job(FORMAT_DIRECT, "x", kind, MldHeader())),
                                refused, unused));
        EXPECT_EQ("この形式の送信には対応していません。", refused.LastStatus());
        EXPECT_EQ(std::vector<bool>{false}, refused.doneCalls);
    }
}

// --- Cancel and failures of the session ----------------------------------------------------------

// A cancel at any moment, before the transport exists or after, ends the transfer as a cancel; one
// that comes once the object has gone through leaves the success standing. Either way the service
// runs again, the dialog no longer follows a transfer and is told of the end once.
TEST(TransferSession, CancelAtAnyMoment)
{
    enum Moment { BeforeRun, StoppingService, WaitingForPhone, MidPut, RestartingService };
    const struct Case {
        Direction direction;
        Moment moment;
        const char* cancelAt;  // status line after which the dialog cancels
    } cases[] = {
        {Direction::Receive, BeforeRun, nullptr},
        {Direction::Receive, StoppingService, nullptr},
        {Direction::Receive, WaitingForPhone, "接続待ち中です。"},
        {Direction::Receive, MidPut, "受信中です。"},
        {Direction::Receive, RestartingService, nullptr},
        {Direction::Send, BeforeRun, nullptr},
        {Direction::Send, StoppingService, nullptr},
        {Direction::Send, WaitingForPhone, "接続待ち中です。"},  // no phone in range: retried
        {Direction::Send, MidPut, "送信中です。"},
        {Direction::Send, RestartingService, nullptr},
    };
    const std::vector<uint8_t> jpeg = ReadTestData("pictures/dot.jpg");
    for (const Case& c : cases) {
        const bool receive = c.direction == Direction::Receive;
        SCOPED_TRACE(std::string(receive ? "receive " : "send ") + std::to_string(c.moment));
        MemoryTransports transports;
        transports.noDeviceUntilClosed = !receive && c.moment == WaitingForPhone;
        RecordingUi ui;
        KeepingSink sink;
        FakeMonitor monitor(true, FakeMonitor::NoFault);
        TransferSession session(receive ? ReceiveRequest()
                                        : SendRequest(Job(FORMAT_DIRECT, "a.jpg", MEDIA_JPEG, jpeg)));
        if (c.moment == BeforeRun) session.Cancel();
        if (c.moment == StoppingService) monitor.onStop = [&] { session.Cancel(); };
        if (c.moment == RestartingService) monitor.onStart = [&] { session.Cancel(); };
        bool ok;
        {
            PhoneThread phone([&] {
                MemoryEnd& end = transports.phone;
                if (c.moment == RestartingService) {
                    Taken taken;
                    return receive ? PushWithClient(end, Pushed{"a.jpg", {}, jpeg})
                                   : TakeWithServer(end, &taken);
                }
                if (c.moment != MidPut) return;
                if (receive) {  // a PUT that never ends
                    Script(end, {ConnectPacket(OBEX_OP_CONNECT, 8192),
                                 Packet(OBEX_OP_PUT & ~OBEX_FINAL_BIT,
                                        Cat({kName, BytesHeader(OBEX_HI_BODY, jpeg)}))});
                } else {  // a phone that never answers the PUT
                    ReadPacket(end);
                    SendAll(end, ConnectPacket(OBEX_RSP_SUCCESS, 255));
                }
                ReadPacket(end);  // until the program closes the link
            });
            std::thread dialog([&] {
                if (c.cancelAt) ui.CancelWhenShown(c.cancelAt, session);
            });
            ok = session.Run(ui, transports, &monitor, &sink);
            dialog.join();
        }
        const bool succeeds = c.moment == RestartingService;
        EXPECT_EQ(succeeds, ok);
        EXPECT_EQ(succeeds ? (receive ? "受信に成功しました。" : "送信に成功しました。")
                           : (receive ? "受信をキャンセルしました。" : "送信をキャンセルしました。"),
                  ui.LastStatus());
        EXPECT_EQ(std::vector<bool>{succeeds}, ui.doneCalls);
        EXPECT_FALSE(ui.active);
        EXPECT_EQ(1, monitor.stops);
        EXPECT_EQ(1, monitor.starts);
        EXPECT_EQ(succeeds && receive, sink.Kept() != nullptr);
    }
}

// Out of memory (or any failure that is no transfer result) ends the transfer with a message,
// after the service was started again and the dialog stopped following the transfer.
TEST(TransferSession, UnexpectedFailureEndsWithAMessage)
{
    for (Direction direction : {Direction::Receive, Direction::Send}) {
        MemoryTransports transports;
        transports.outOfMemory = true;
        RecordingUi ui;
        FakeMonitor monitor(true, FakeMonitor::NoFault);
        const TransferRequest request =
            direction == Direction::Receive
                ? ReceiveRequest()
                : SendRequest(Job(FORMAT_DIRECT, "a.jpg", MEDIA_JPEG, ReadTestData("pictures/dot.jpg")));
        EXPECT_FALSE(RunSession(request, ui, transports, &monitor));
        EXPECT_EQ("予期しないエラーが発生しました。", ui.LastStatus());
        EXPECT_EQ(direction == Direction::Receive ? "受信失敗" : "送信失敗", ui.captions.back());
        EXPECT_EQ(std::vector<bool>{false}, ui.doneCalls);
        EXPECT_FALSE(ui.active);
        EXPECT_EQ(1, monitor.starts);
    }
}

TEST(InfraredMonitorBracket, StopsARunningServiceAndRestartsIt)
{
    using F = FakeMonitor;
    struct Case {
        bool running; F::Fault fault; std::vector<std::string> statuses; int stops, starts;
    } cases[] = {
        {true, F::NoFault,
         {"Infrared Monitorサービスを停止中です。", "Infrared Monitorサービスを停止しました。",
          "Infrared Monitorサービスを開始中です。", "Infrared Monitorサービスを開始しました。"},
         1, 1},
        {false, F::NoFault, {}, 0, 0},
        {false, F::QueryFails, {"Infrared Monitorサービスの操作に失敗しました。"}, 0, 0},
        {true, F::StartFails,
         {"Infrared Monitorサービスを停止中です。", "Infrared Monitorサービスを停止しました。",
          "Infrared Monitorサービスを開始中です。", "Infrared Monitorサービスの開始に失敗しました。"},
         1, 0},
    };
    for (const Case& c : cases) {
        FakeMonitor monitor(c.running, c.fault);
        MemoryTransports timing;
        RecordingUi ui;
        InfraredMonitorBracket bracket(&monitor, ui, timing);
        bracket.Restore();
        EXPECT_EQ(c.statuses, ui.statuses);
        EXPECT_EQ(c.stops, monitor.stops);
        EXPECT_EQ(c.starts, monitor.starts);
    }
}

}  // namespace

// Our client and our server on two threads over an in-memory link that moves bytes in uneven
// pieces: whole PUT sessions at several packet sizes, digest authentication, and cancels.
#include <cstring>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "obex/ObexClient.h"
#include "obex/ObexCrypto.h"
#include "obex/ObexServer.h"
#include "tests/support/ObexPackets.h"

namespace {

Bytes Pattern(size_t size)
{
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = (uint8_t)((i * 131) ^ (i >> 9));
    return b;
}

// Runs `serve` on its own thread; rethrows nothing, records the message of what it threw.
class ServerThread {
public:
    explicit ServerThread(std::function<void()> serve)
        : thread_([this, serve] {
              try {
                  serve();
              } catch (const ZvError& e) {
                  failed = true;
                  code = e.GetCode();
                  message = e.GetMessageText();
              }
          }) {}
    void Join() { thread_.join(); }
    bool failed = false;
    int32_t code = 0;
    std::string message;

private:
    std::thread thread_;
};

class Collector : public ObexBodyReceiver {
public:
    void Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool) override
    {
        bytes.insert(bytes.end(), data, data + length);
        lastAnnounced = owner->GetLength();
    }
    Bytes bytes;
    uint32_t lastAnnounced = 0;
};

struct Sizes {
    int32_t client, server;
};

class Session : public ::testing::TestWithParam<Sizes> {};

TEST_P(Session, PutThenDisconnectArrivesIntact)
{
    const Sizes sizes = GetParam();
    const int32_t chunk = std::min(sizes.client, sizes.server) - 6;
    for (size_t size : {(size_t)0, (size_t)1, (size_t)chunk, (size_t)chunk + 1, (size_t)(7 * chunk + 5)}) {
        SCOPED_TRACE(size);
        MemoryPair pair(sizes.client, sizes.server);
        Bytes body = Pattern(size);
        Collector collector;
        std::string name, type;
        int32_t time = 0, operation = 0, disconnect = 0;
        ServerThread server([&] {
            ObexServer s(&pair.server);
            s.Accept();
            s.SetBodyReceiver(&collector);
            s.ReceiveRequest();
            operation = s.GetOperation();
            name = s.GetName() ? s.GetName() : "";
            type = s.GetType() ? s.GetType() : "";
            time = s.GetTime();
            s.SendResponse(0x20);
            s.ReceiveRequest();
            disconnect = s.GetOperation();
            s.SendResponse(0x20);
        });
        {
            ObexClient c(&pair.client);
            c.Connect();
            EXPECT_EQ(std::min(sizes.client, sizes.server), c.GetSendCapacity());
            c.SetName("写真ソ表.jpg");
            c.SetType("image/jpeg");
            c.SetTime(1210315415);
            MemoryBodySource source(body.data(), (uint32_t)body.size());
            c.SetBodySource(&source);
            c.SetLength((uint32_t)body.size());
            c.SetOperation(0x82);
            c.SendRequest();
            EXPECT_EQ(0x20, c.GetResponseCode());
            EXPECT_EQ(body.size(), source.GetPosition());
            c.SetOperation(0x81);
            c.SendRequest();
            EXPECT_EQ(0x20, c.GetResponseCode());
        }
        server.Join();
        ASSERT_FALSE(server.failed) << server.message;
        EXPECT_EQ(0x82, operation);
        EXPECT_EQ(0x81, disconnect);
        EXPECT_EQ("写真ソ表.jpg", name);
        EXPECT_EQ("image/jpeg", type);
        EXPECT_EQ(1210315415, time);
        EXPECT_EQ(body, collector.bytes);
        EXPECT_EQ(size, collector.lastAnnounced);
    }
}

INSTANTIATE_TEST_SUITE_P(PacketSizes, Session,
                         ::testing::Values(Sizes{255, 255}, Sizes{1024, 8192}, Sizes{2048, 2048},
                                           Sizes{8192, 8192}, Sizes{8192, 1024}),
                         [](const ::testing::TestParamInfo<Sizes>& info) {
                             return "client" + std::to_string(info.param.client) + "server" +
                                    std::to_string(info.param.server);
                         });

// ---- Authentication at CONNECT ---------------------------------------------------------------

struct AuthOutcome {
    bool clientConnected = false;
    int32_t clientCode = 0;
    std::string clientMessage;
    std::string realm;  // of the challenge the client saw, after a refusal
    int32_t realmCodeset = -1;
    bool askedForUserId = false;
};

// The server asks for `serverPassword` (and, when given, the user id); the client offers its own.
void ConnectWithAuth(const char* serverPassword, const char* serverUser, const char* clientPassword,
                     const char* clientUser, AuthOutcome* outcome)
{
    MemoryPair pair(2048, 2048);
    ServerThread server([&] {
        ObexServer s(&pair.server);
        s.SetAuthPassword(serverPassword);
        if (serverUser) {
            s.SetAuthUserId(serverUser);
            s.SetRequestUserId(true);
        }
        s.SetRealm(0xFF, "部屋");
        s.Accept();
        s.ReceiveRequest();
        s.SendResponse(0x20);
    });
    {
        ObexClient c(&pair.client);
        c.SetAuthPassword(clientPassword);
        if (clientUser) c.SetAuthUserId(clientUser);
        try {
            c.Connect();
            outcome->clientConnected = true;
            c.SetOperation(0x81);
            c.SendRequest();
        } catch (const ZvError& e) {
            outcome->clientCode = e.GetCode();
            outcome->clientMessage = e.GetMessageText();
            outcome->realm = c.GetRealm() ? c.GetRealm() : "(none)";
            outcome->realmCodeset = c.GetRealmCodeset();
            outcome->askedForUserId = c.IsRequestUserId();
        }
    }
    server.Join();
    if (outcome->clientConnected) {
        EXPECT_FALSE(server.failed) << server.message;
    } else {
        // The client gave up and closed the link; the server learns it from its transport.
        EXPECT_TRUE(server.failed);
        EXPECT_EQ(OBEX_ERR_IO, server.code);
    }
}

TEST(SessionAuth, RightPasswordIsAccepted)
{
    AuthOutcome outcome;
    ConnectWithAuth("秘密", nullptr, "秘密", nullptr, &outcome);
    EXPECT_TRUE(outcome.clientConnected) << outcome.clientMessage;
}

TEST(SessionAuth, WrongPasswordIsRefusedOnce)
{
    AuthOutcome outcome;
    ConnectWithAuth("secret", nullptr, "guess", nullptr, &outcome);
    EXPECT_FALSE(outcome.clientConnected);
    EXPECT_EQ(11, outcome.clientCode);
    EXPECT_EQ("PrepareConnect:接続要求に失敗しました。", outcome.clientMessage);
    EXPECT_EQ("部屋", outcome.realm);
    EXPECT_EQ(0xFF, outcome.realmCodeset);
    EXPECT_FALSE(outcome.askedForUserId);
}

TEST(SessionAuth, ClientWithoutPasswordIsRefused)
{
    AuthOutcome outcome;
    ConnectWithAuth("secret", nullptr, nullptr, nullptr, &outcome);
    EXPECT_FALSE(outcome.clientConnected);
    EXPECT_EQ("PrepareConnect:接続要求に失敗しました。", outcome.clientMessage);
}

TEST(SessionAuth, UserIdWhenTheServerAsksForOne)
{
    AuthOutcome right, wrongUser, noUser;
    ConnectWithAuth("pw", "alice", "pw", "alice", &right);
    EXPECT_TRUE(right.clientConnected) << right.clientMessage;
    ConnectWithAuth("pw", "alice", "pw", "mallory", &wrongUser);
    EXPECT_EQ("PrepareConnect:接続要求に失敗しました。", wrongUser.clientMessage);
    EXPECT_TRUE(wrongUser.askedForUserId);
    ConnectWithAuth("pw", "alice", "pw", nullptr, &noUser);
    EXPECT_EQ(8, noUser.clientCode);
    EXPECT_EQ("PrepareConnect:ユーザーIDが要求されましたが、ユーザーIDが設定されていません。", noUser.clientMessage);
}

class Provider : public PasswordProvider {
public:
    const char* GetPassword(const char* userId) override
    {
        asked = userId ? userId : "(null)";
        return userId && std::strcmp(userId, "bob") == 0 ? "bobs-pw" : nullptr;
    }
    const char* GetUserId() override { return "bob"; }
    std::string asked;
};

TEST(SessionAuth, PasswordProviderOnBothSides)
{
    MemoryPair pair(1024, 1024);
    Provider serverSide, clientSide;
    ServerThread server([&] {
        ObexServer s(&pair.server);
        s.SetAuthPasswordProvider(&serverSide);
        s.SetRequestUserId(true);
        s.Accept();
    });
    ObexClient c(&pair.client);
    c.SetAuthPasswordProvider(&clientSide);
    c.Connect();
    server.Join();
    EXPECT_FALSE(server.failed) << server.message;
    EXPECT_EQ("bob", serverSide.asked);
    EXPECT_EQ("bob", clientSide.asked);
}

// ---- Server-side challenge of a request ------------------------------------------------------

// A hand-driven client that answers the server's UNAUTHORIZED with the digest of `password`.
class RawPeer : public ObexObject {
public:
    using ObexObject::ObexObject;
    using ObexObject::auth_;
    using ObexObject::BeginPacket;
    using ObexObject::StorePacketLength;
    void Send(const Bytes& packet)
    {
        BeginPacket(packet[0]);
        WriteBytes(packet.data() + 3, (int32_t)packet.size() - 3);
        StorePacketLength();
        SendPacket();
    }
    uint8_t Receive()
    {
        ReceivePacket();
        uint8_t code = ReadByte();
        ReadWord();
        if (code == 0xA0 && GetReceivedPacketLength() >= 7) ReadDoubleWord();  // CONNECT fields
        ParseReceivePacket();
        return code;
    }
};

TEST(SessionAuth, ServerChallengesARequestAndChecksTheRepeat)
{
    for (const char* password : {"pw", "wrong"}) {
        SCOPED_TRACE(password);
        MemoryPair pair(1024, 1024);
        ServerThread server([&] {
            ObexServer s(&pair.server);
            s.Accept();
            s.SetAuthPassword("pw");  // after Accept, so the CONNECT passes unchallenged
            s.ReceiveRequest();
            s.Authenticate();
            s.SendResponse(0x20);
        });
        RawPeer peer(&pair.client);
        peer.AllocateSendBuffer(1024);
        peer.AllocateReceiveBuffer(1024);
        peer.Send(ConnectPacket(0x80, 1024));
        EXPECT_EQ(0xA0, peer.Receive());
        peer.Send(Packet(0x81));
        ASSERT_EQ(0xC1, peer.Receive());
        ASSERT_TRUE(peer.auth_.hasChallengeNonce);
        Bytes block = Cat({Bytes(peer.auth_.challengeNonce, peer.auth_.challengeNonce + 16), Text(":"), Text(password)});
        uint8_t digest[16];
        ASSERT_TRUE(Md5(block.data(), (uint32_t)block.size(), digest));
        peer.Send(Packet(0x81, BytesHeader(0x4E, Cat({{0x00, 16}, Bytes(digest, digest + 16)}))));
        if (std::strcmp(password, "pw") == 0) {
            EXPECT_EQ(0xA0, peer.Receive());
            server.Join();
            EXPECT_FALSE(server.failed) << server.message;
        } else {
            server.Join();
            EXPECT_EQ(13, server.code);
            EXPECT_EQ("Authenticate:認証情報が得られませんでした(2)。", server.message);
        }
    }
}

// ---- Cancel ----------------------------------------------------------------------------------

TEST(SessionCancel, CloseFromAnotherThreadEndsABlockedAcceptAndRequest)
{
    MemoryPair pair(2048, 2048);
    ObexServer s(&pair.server);
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        s.Close();
    });
    EXPECT_THROW(s.Accept(), TransportException);  // blocked in ReceivePacket for the CONNECT
    canceller.join();

    MemoryPair pair2(2048, 2048);
    ServerThread server([&] {
        ObexServer s2(&pair2.server);
        s2.Accept();
        s2.ReceiveRequest();  // the client goes away in the middle of its PUT
    });
    ObexClient c(&pair2.client);
    c.Connect();
    // Half a packet, then the link closes.
    uint8_t half[] = {0x02, 0x00, 0x20, 0x48, 0x00};
    int32_t sent = 0;
    while (sent < 5) sent += pair2.client.Send(half, sent, 5 - sent);
    c.Close();
    server.Join();
    EXPECT_TRUE(server.failed);
    EXPECT_EQ(OBEX_ERR_IO, server.code);
}

}  // namespace

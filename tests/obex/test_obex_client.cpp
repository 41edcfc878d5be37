// ObexClient against a scripted server: the exact packets it sends, packet-size negotiation,
// the chunked PUT, the answers it refuses, and a cancel from another thread.
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "obex/ObexClient.h"
#include "obex/ObexCrypto.h"
#include "tests/support/ObexPackets.h"

namespace {

// Splits a captured byte stream into its packets.
std::vector<Bytes> Packets(const Bytes& stream)
{
    std::vector<Bytes> packets;
    size_t at = 0;
    while (at + 3 <= stream.size()) {
        size_t length = (size_t)((stream[at + 1] << 8) | stream[at + 2]);
        if (length < 3 || at + length > stream.size()) break;
        packets.emplace_back(stream.begin() + (long)at, stream.begin() + (long)(at + length));
        at += length;
    }
    EXPECT_EQ(stream.size(), at) << "trailing bytes that form no packet";
    return packets;
}

Bytes Pattern(size_t size)
{
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = (uint8_t)(i * 7 + i / 251);
    return b;
}

class Client : public ::testing::Test {
protected:
    Client() : transport(2048), client(&transport) {}
    void ConnectWithPeerMaximum(uint16_t peer)
    {
        transport.AddInput(ConnectPacket(0xA0, peer));
        client.Connect();
        transport.ClearSent();
    }
    ScriptedTransport transport;
    ObexClient client;
};

TEST_F(Client, ConnectNegotiatesThePacketSizes)
{
    client.SetName("dropped");  // headers set before Connect do not travel with it
    transport.AddInput(ConnectPacket(0xA0, 1024));
    client.Connect();
    EXPECT_EQ(1, transport.connects);
    EXPECT_EQ(ConnectPacket(0x80, 2048), transport.Sent());
    EXPECT_EQ(1024, client.GetSendCapacity());
    EXPECT_EQ(2048, client.GetReceiveCapacity());
    EXPECT_EQ(0x20, client.GetResponseCode());
    ExpectObexError([&] { client.Connect(); }, 8, "Conenct:既にConnect済みです。");
}

TEST_F(Client, PeerMaximumOf16IsTheSmallestAccepted)
{
    ConnectWithPeerMaximum(16);
    EXPECT_EQ(16, client.GetSendCapacity());

    ScriptedTransport t;
    ObexClient c(&t);
    t.AddInput(ConnectPacket(0xA0, 15));
    ExpectObexError([&] { c.Connect(); }, 3, "Conenct:受信した最大パケットサイズが小さすぎます。");
    EXPECT_THROW(c.SetOperation(0x81), ObexException);  // a failed Connect leaves it unconnected
}

TEST_F(Client, ConnectRefusals)
{
    transport.AddInput(Packet(0xA0, {0x10, 0x00}));
    ExpectObexError([&] { client.Connect(); }, 3, "Conenct:受信したパケットが小さすぎます。");
    for (uint8_t refusal : {0xC3, 0xC1}) {  // UNAUTHORIZED is refused too without a password
        ScriptedTransport t;
        ObexClient c(&t);
        t.AddInput(ConnectPacket(refusal, 1024));
        ExpectObexError([&] { c.Connect(); }, 11, "PrepareConnect:接続要求に失敗しました。");
    }
    client.Close();
    ExpectObexError([&] { client.Connect(); }, 8, "Conenct:既にClose済みです。");
    ExpectObexError([&] { client.SetOperation(0x82); }, 8, "SetOperation:既にClose済みです。");
    ExpectObexError([&] { client.SendRequest(); }, 8, "SendRequest:既にClose済みです。");
}

TEST_F(Client, ConnectAfterARefusalSendsAFreshConnect)
{
    transport.AddInput(ConnectPacket(0xC3, 1024));
    ExpectObexError([&] { client.Connect(); }, 11, "PrepareConnect:接続要求に失敗しました。");
    transport.ClearSent();
    transport.AddInput(ConnectPacket(0xA0, 512));
    client.Connect();
    EXPECT_EQ(2, transport.connects);
    EXPECT_EQ(ConnectPacket(0x80, 2048), transport.Sent());
    EXPECT_EQ(512, client.GetSendCapacity());
    EXPECT_EQ(0x20, client.GetResponseCode());
}

TEST_F(Client, RequestPreconditions)
{
    ExpectObexError([&] { client.GetResponseCode(); }, 8, "GetResponseCode:レスポンスは未受信です。");
    ExpectObexError([&] { client.SetOperation(0x82); }, 8, "SetOperation:CONNECTしていません。");
    ExpectObexError([&] { client.SendRequest(); }, 8, "SendRequest:CONNECTしていません。");
    ExpectObexError([&] { client.GetRealm(); }, 8, "GetRealm:まだデータを受信していません。");
    ExpectObexError([&] { client.IsReadOnly(); }, 8, "IsReadOnly:まだデータを受信していません。");
    ConnectWithPeerMaximum(1024);
    ExpectObexError([&] { client.SendRequest(); }, 8, "SendRequest:オペレーションが設定されていません。");
    client.SetOperation(0x81);
    client.SetBody("x", 1);
    ExpectObexError([&] { client.SendRequest(); }, 8,
                    "SendRequest:リクエスト時にBODYおよびEND-OF-BODYヘッダでデータを送信できるのはPUTオペレーションのみです。");
    EXPECT_TRUE(transport.Sent().empty());
}

TEST_F(Client, PutOfExactlyOneChunk)
{
    ConnectWithPeerMaximum(1024);
    Bytes body = Pattern(1018);  // 1024 - 6
    client.SetName("a.jpg");
    client.SetType("image/jpeg");
    client.SetTime(1210315415);
    client.SetBody(body.data(), (uint32_t)body.size());
    client.SetOperation(0x82);
    for (int i = 0; i < 2; ++i) transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0xA0));
    client.SendRequest();
    EXPECT_EQ(0x20, client.GetResponseCode());

    std::vector<Bytes> sent = Packets(transport.Sent());
    ASSERT_EQ(3u, sent.size());
    EXPECT_EQ(Packet(0x02, Cat({UnicodeHeader(0x01, u"a.jpg"), BytesHeader(0x42, Cat({Text("image/jpeg"), {0}})),
                                BytesHeader(0x44, Text("20080509T064335Z")), DoubleWordHeader(0xC3, 1018)})),
              sent[0]);
    EXPECT_EQ(Packet(0x02, BytesHeader(0x48, body)), sent[1]);
    EXPECT_EQ(1024u, sent[1].size());
    EXPECT_EQ((Bytes{0x82, 0x00, 0x06, 0x49, 0x00, 0x03}), sent[2]);
    EXPECT_EQ(0u, transport.InputLeft());
}

TEST_F(Client, PutBodySplitsIntoChunksOfCapacityLessSix)
{
    ConnectWithPeerMaximum(100);
    Bytes body = Pattern(500);  // 94 * 5 + 30
    client.SetBody(body.data(), (uint32_t)body.size());
    client.SetOperation(0x82);
    transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0xA0));  // a success while body remains counts as CONTINUE
    for (int i = 0; i < 5; ++i) transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0xA0));
    client.SendRequest();
    std::vector<Bytes> sent = Packets(transport.Sent());
    ASSERT_EQ(8u, sent.size());
    Bytes joined;
    for (size_t i = 1; i < 7; ++i) {
        EXPECT_EQ(0x02, sent[i][0]);
        EXPECT_EQ(0x48, sent[i][3]);
        EXPECT_LE(sent[i].size(), 100u);
        joined.insert(joined.end(), sent[i].begin() + 6, sent[i].end());
    }
    EXPECT_EQ(100u, sent[1].size());
    EXPECT_EQ(body, joined);
    EXPECT_EQ(0x82, sent[7][0]);
}

TEST_F(Client, EmptyBodyIsHeadersThenEndOfBody)
{
    ConnectWithPeerMaximum(1024);
    client.SetBody(nullptr, 0);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0xA0));
    client.SendRequest();
    std::vector<Bytes> sent = Packets(transport.Sent());
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(Packet(0x02, DoubleWordHeader(0xC3, 0)), sent[0]);
    EXPECT_EQ(Packet(0x82, {0x49, 0x00, 0x03}), sent[1]);
}

TEST_F(Client, FinalResponseProblemsAfterEndOfBody)
{
    ConnectWithPeerMaximum(1024);
    client.SetBody(nullptr, 0);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0x20));  // success class but not final
    ExpectObexError([&] { client.SendRequest(); }, 3, "SendRequest:予期しないレスポンスを受け取りました。");

    client.SetBody(nullptr, 0);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0x90));
    ExpectObexError([&] { client.SendRequest(); }, 11, "SendRequest:リクエストに失敗しました。");
    EXPECT_EQ(0x10, client.GetResponseCode());
}

TEST_F(Client, ForbiddenStopsThePutAndDropsItsHeaders)
{
    ConnectWithPeerMaximum(1024);
    client.SetName("a");
    client.SetBody("abc", 3);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0xC3));
    ExpectObexError([&] { client.SendRequest(); }, 11, "SendRequest:リクエストに失敗しました。");
    EXPECT_EQ(1u, Packets(transport.Sent()).size());
    EXPECT_EQ(0x43, client.GetResponseCode());

    // The next request goes out without the failed one's headers or body.
    transport.ClearSent();
    client.SetOperation(0x81);
    transport.AddInput(Packet(0xA0));
    client.SendRequest();
    EXPECT_EQ((Bytes{0x81, 0x00, 0x03}), transport.Sent());
}

TEST_F(Client, RequestWithoutBody)
{
    ConnectWithPeerMaximum(1024);
    client.SetOperation(0x81);
    transport.AddInput(Packet(0x90));  // answered with the bare final packet again
    transport.AddInput(Packet(0xA0, BytesHeader(0x42, Text("x"))));
    client.SendRequest();
    EXPECT_EQ((Bytes{0x81, 0x00, 0x03, 0x81, 0x00, 0x03}), transport.Sent());
    EXPECT_STREQ("x", client.GetType());

    transport.AddInput(Packet(0xC4));
    ExpectObexError([&] { client.SendRequest(); }, 11, "SendRequest:転送中にエラーが発生しました。");
}

TEST_F(Client, GetCollectsTheBodyOverSeveralResponses)
{
    ConnectWithPeerMaximum(1024);
    client.SetOperation(0x83);
    client.SetName("x");
    transport.AddInput(Packet(0x90, BytesHeader(0x48, Text("ab"))));
    transport.AddInput(Packet(0xA0, BytesHeader(0x49, Text("cd"))));
    client.SendRequest();
    ASSERT_EQ(4u, client.GetContentLength());
    EXPECT_EQ(0, std::memcmp("abcd", client.GetBody(), 4));
    std::vector<Bytes> sent = Packets(transport.Sent());
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ((Bytes{0x83, 0x00, 0x03}), sent[1]);
}

TEST_F(Client, AnswersAChallengeInTheMiddleOfAPut)
{
    ConnectWithPeerMaximum(1024);
    client.SetAuthPassword("pw");
    client.SetAuthUserId("me");
    Bytes nonce = Pattern(16);
    client.SetBody("abc", 3);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0xC1, BytesHeader(0x4D, Cat({{0x00, 16}, nonce, {0x01, 1, 0x01}}))));
    transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0x90));
    transport.AddInput(Packet(0xA0));
    client.SendRequest();
    std::vector<Bytes> sent = Packets(transport.Sent());
    ASSERT_EQ(4u, sent.size());
    const Bytes digest = Hex("c87d57ec99fd33e255c93e627e63ab43");  // MD5 of nonce ":pw"
    EXPECT_EQ(Packet(0x02, BytesHeader(0x4E, Cat({{0x00, 16}, digest, {0x01, 3, 'm', 'e', 0}}))), sent[1]);
    EXPECT_EQ(Packet(0x02, BytesHeader(0x48, Text("abc"))), sent[2]);
}

TEST_F(Client, ChallengeProblems)
{
    ConnectWithPeerMaximum(1024);
    client.SetAuthPassword("pw");
    client.SetBody("abc", 3);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0xC1));
    ExpectObexError([&] { client.SendRequest(); }, 12,
                    "Authenticate:UNAUTHORIZEDでありながらAuthenticate Challengeが含まれていません。");

    client.SetBody("abc", 3);
    client.SetOperation(0x82);
    transport.AddInput(Packet(0xC1, BytesHeader(0x4D, Cat({{0x00, 16}, Bytes(16, 1), {0x01, 1, 0x01}}))));
    ExpectObexError([&] { client.SendRequest(); }, 8,
                    "Authenticate:ユーザーIDが要求されましたが、ユーザーIDが設定されていません。");
}

TEST_F(Client, ConnectChallengeWithoutNonce)
{
    ScriptedTransport t;
    ObexClient c(&t);
    c.SetAuthPassword("pw");
    t.AddInput(ConnectPacket(0xC1, 1024, BytesHeader(0x4D, {0x01, 1, 0x00})));
    ExpectObexError([&] { c.Connect(); }, 12, "PrepareConnect:あるべきNonce情報が存在しませんでした。");
    // The first CONNECT carried our own challenge.
    std::vector<Bytes> sent = Packets(t.Sent());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(0x4D, sent[0][7]);

    ScriptedTransport t2;
    ObexClient c2(&t2);
    c2.SetAuthPassword("pw");
    t2.AddInput(ConnectPacket(0xC1, 1024));
    ExpectObexError([&] { c2.Connect(); }, 12, "PrepareConnect:Authenticate Challengeが送られてきませんでした。");
}

TEST(ClientCancel, CloseFromAnotherThreadEndsABlockedPut)
{
    MemoryPair pair(2048, 2048);
    ObexClient client(&pair.client);
    // A peer that answers CONNECT and then goes silent.
    std::thread peer([&] {
        uint8_t buf[7];
        int32_t got = 0;
        while (got < 7) got += pair.server.Receive(buf, got, 7 - got);
        Bytes answer = ConnectPacket(0xA0, 2048);
        int32_t sent = 0;
        while (sent < (int32_t)answer.size()) sent += pair.server.Send(answer.data(), sent, (int32_t)answer.size() - sent);
    });
    client.Connect();
    peer.join();
    client.SetBody("abc", 3);
    client.SetOperation(0x82);
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        client.Close();
    });
    try {
        client.SendRequest();
        ADD_FAILURE() << "the blocked request did not fail";
    } catch (const ZvError& e) {
        EXPECT_EQ(OBEX_ERR_IO, e.GetCode());
    }
    canceller.join();
}

}  // namespace

// ObexServer against a scripted client: CONNECT handling, multi-packet requests with CONTINUE,
// responses, and the states in which each operation is refused.
#include <cstring>

#include <gtest/gtest.h>

#include "obex/ObexServer.h"
#include "tests/support/ObexPackets.h"

namespace {

class Server : public ::testing::Test {
protected:
    Server() : transport(8192), server(&transport) {}
    void AcceptWithPeerMaximum(uint16_t peer)
    {
        transport.AddInput(ConnectPacket(0x80, peer));
        server.Accept();
        transport.ClearSent();
    }
    ScriptedTransport transport;
    ObexServer server;
};

TEST_F(Server, AcceptAnswersConnectWithItsOwnMaximum)
{
    transport.AddInput(ConnectPacket(0x80, 1024, UnicodeHeader(0x01, u"ignored")));
    server.Accept();
    EXPECT_EQ(1, transport.accepts);
    EXPECT_EQ(ConnectPacket(0xA0, 8192), transport.Sent());
    EXPECT_EQ(1024, server.GetSendCapacity());
    EXPECT_EQ(8192, server.GetReceiveCapacity());
    EXPECT_STREQ("ignored", server.GetName());
    ExpectObexError([&] { server.Accept(); }, 8, "Accept:既にAccept済みです。");
}

TEST_F(Server, AcceptRefusals)
{
    struct Case {
        Bytes packet;
        int32_t code;
        const char* message;
    } cases[] = {
        {ConnectPacket(0x80, 15), 3, "Accept:受信した最大パケットサイズが小さすぎます。"},
        {Packet(0x82, BytesHeader(0x48, Text("x"))), 3, "Accept:CONNECTオペレーション以外のオペレーションを受信しました。"},
        {Packet(0xFF), 9, "Accept:ABORTオペレーションを受信しました。"},
        {Packet(0x80, {0x10, 0x00}), 3, "ReadWord:パケット長が不正です。"},
    };
    for (const Case& c : cases) {
        ScriptedTransport t;
        ObexServer s(&t);
        t.AddInput(c.packet);
        ExpectObexError([&] { s.Accept(); }, c.code, c.message);
        ExpectObexError([&] { s.ReceiveRequest(); }, 8, "ReceiveRequest:Acceptを実行していません。");
    }
    AcceptWithPeerMaximum(16);
    EXPECT_EQ(16, server.GetSendCapacity());
    server.Close();
    ExpectObexError([&] { server.ReceiveRequest(); }, 8, "ReceiveRequest:既にclose済みです。");
    ExpectObexError([&] { server.SendResponse(0x20); }, 8, "SendResponse:既にclose済みです。");
    ExpectObexError([&] { server.Authenticate(); }, 8, "Authenticate:既にclose済みです。");
    ScriptedTransport t;
    ObexServer closed(&t);
    closed.Close();
    ExpectObexError([&] { closed.Accept(); }, 8, "Accept:既にClose済みです。");
}

TEST_F(Server, PutInThreePacketsIsAnsweredContinueTwice)
{
    AcceptWithPeerMaximum(1024);
    ExpectObexError([&] { server.GetOperation(); }, 8, "GetOperation:データを受信していません。");
    transport.AddInput(Packet(0x02, Cat({UnicodeHeader(0x01, u"写真.jpg"), DoubleWordHeader(0xC3, 6)})));
    transport.AddInput(Packet(0x02, BytesHeader(0x48, Text("abc"))));
    transport.AddInput(Packet(0x82, BytesHeader(0x49, Text("def"))));
    server.ReceiveRequest();
    EXPECT_EQ(0x82, server.GetOperation());
    EXPECT_EQ((Bytes{0x90, 0x00, 0x03, 0x90, 0x00, 0x03}), transport.Sent());
    EXPECT_STREQ("写真.jpg", server.GetName());
    EXPECT_EQ(6u, server.GetLength());
    ASSERT_EQ(6u, server.GetContentLength());
    EXPECT_EQ(0, std::memcmp("abcdef", server.GetBody(), 6));

    ExpectObexError([&] { server.ReceiveRequest(); }, 8, "ReceiveRequest:レスポンスを送信していません。");
    ExpectObexError([&] { server.SetBodyReceiver(nullptr); }, 8, "SetBodyReceiver:既にリクエストを受け付け済みです。");
    server.SetBody("x", 1);
    ExpectObexError([&] { server.SendResponse(0x20); }, 8,
                    "SendResponse:GETオペレーション以外はBODYおよびEND-OF-BODYヘッダによるデータ転送を行えません。");
    server.ResetOutgoingHeaders();
    transport.ClearSent();
    server.SendResponse(0x20);
    EXPECT_EQ((Bytes{0xA0, 0x00, 0x03}), transport.Sent());
    ExpectObexError([&] { server.SendResponse(0x20); }, 8, "SendResponse:リクエストを受信していません。");

    transport.AddInput(Packet(0x81));
    server.ReceiveRequest();
    EXPECT_EQ(0x81, server.GetOperation());
    EXPECT_EQ(0u, server.GetContentLength());  // each request starts afresh
}

TEST_F(Server, ResponseCarriesPendingHeaders)
{
    AcceptWithPeerMaximum(1024);
    transport.AddInput(Packet(0x81));
    server.ReceiveRequest();
    server.SetDescription("ok");
    server.SendResponse(0x43);
    EXPECT_EQ(Packet(0xC3, UnicodeHeader(0x05, u"ok")), transport.Sent());
}

TEST_F(Server, OtherOperationInTheMiddleOfARequest)
{
    AcceptWithPeerMaximum(1024);
    transport.AddInput(Packet(0x02, BytesHeader(0x48, Text("abc"))));
    transport.AddInput(Packet(0x81));
    ExpectObexError([&] { server.ReceiveRequest(); }, 3,
                    "ReceiveRequest:分割されたオペレーションの受信中に他のオペレーションに遷移しました。");
    // No request is pending after a failure.
    transport.AddInput(Packet(0x02));
    transport.AddInput(Packet(0xFF));
    ExpectObexError([&] { server.ReceiveRequest(); }, 9, "ReceiveRequest:ABORTオペレーションを受信しました。");
    transport.AddInput(Packet(0xFF));
    server.ReceiveRequest();
    EXPECT_EQ(0xFF, server.GetOperation());
}

class Collector : public ObexBodyReceiver {
public:
    void Receive(ObexObject*, const uint8_t* data, int32_t length, bool endOfBody) override
    {
        bytes.insert(bytes.end(), data, data + length);
        ended = endOfBody;
        ++calls;
    }
    Bytes bytes;
    bool ended = false;
    int calls = 0;
};

TEST_F(Server, ReceiverServesOneRequestOnly)
{
    AcceptWithPeerMaximum(1024);
    Collector collector;
    server.SetBodyReceiver(&collector);
    transport.AddInput(Packet(0x02, BytesHeader(0x48, Text("ab"))));
    transport.AddInput(Packet(0x82, BytesHeader(0x49, {})));
    server.ReceiveRequest();
    EXPECT_EQ(Text("ab"), collector.bytes);
    EXPECT_TRUE(collector.ended);
    EXPECT_EQ(0u, server.GetContentLength());
    server.SendResponse(0x20);
    transport.AddInput(Packet(0x82, BytesHeader(0x48, Text("cd"))));
    server.ReceiveRequest();
    EXPECT_EQ(2, collector.calls);
    EXPECT_EQ(2u, server.GetContentLength());

    // Also after a failed request.
    server.SendResponse(0x20);
    server.SetBodyReceiver(&collector);
    transport.AddInput(Packet(0x02));
    transport.AddInput(Packet(0xFF));
    EXPECT_THROW(server.ReceiveRequest(), ObexException);
    transport.AddInput(Packet(0x82, BytesHeader(0x48, Text("ef"))));
    server.ReceiveRequest();
    EXPECT_EQ(2, collector.calls);
}

TEST_F(Server, AuthenticateNeedsAConfiguredPendingRequest)
{
    AcceptWithPeerMaximum(1024);
    ExpectObexError([&] { server.Authenticate(); }, 8, "Authenticate:リクエストを受信していません。");
    transport.AddInput(Packet(0x81));
    server.ReceiveRequest();
    ExpectObexError([&] { server.Authenticate(); }, 8, "Authenticate:認証用の設定がなされていません。");
    server.SetAuthPassword("pw");
    transport.ClearSent();
    transport.AddInput(Packet(0xFF));
    ExpectObexError([&] { server.Authenticate(); }, 9, "Authenticate:中止要求が出されました。");
    ASSERT_GE(transport.Sent().size(), 3u);
    EXPECT_EQ(0xC1, transport.Sent()[0]);
    transport.AddInput(Packet(0x82));
    ExpectObexError([&] { server.Authenticate(); }, 13, "Authenticate:認証に対応していないクライアントです。");
    transport.AddInput(Packet(0x82));
    ExpectObexError([&] { server.Authenticate(); }, 13, "Authenticate:認証情報が得られませんでした(1)。");
    transport.AddInput(Packet(0x82, BytesHeader(0x4E, Cat({{0x00, 16}, Bytes(16, 0)}))));
    ExpectObexError([&] { server.Authenticate(); }, 13, "Authenticate:認証情報が得られませんでした(2)。");
}

}  // namespace

// The IrDA transports against a scripted WinSock: start-up, the records handed to the platform,
// the shared attempt budget of Connect, the read loop, and Close from another thread.
#include <gtest/gtest.h>

#include <thread>

#include "transport/TransportException.h"
#include "tests/transport/FakeWinSock.h"
#include "tests/transport/TransportTestSupport.h"
#include "transport/win32/ObexInfraredSocket.h"

namespace {

FakeDevice Phone(const char* name, uint8_t first = 0x11)
{
    return FakeDevice{{first, 0x22, 0x33, 0x44}, name};
}

}  // namespace

// --- start-up and Open --------------------------------------------------------------------------

TEST(IrdaStartup, AsksForVersion11AndBalancesWithCleanup)
{
    FakeWinSock api;
    {
        ObexInfraredClientSocket client(api);
        ObexInfraredServerSocket server(api);
        EXPECT_EQ(api.askedVersion, MAKEWORD(1, 1));
        EXPECT_EQ(api.startups, 2);
        EXPECT_EQ(api.cleanups, 0);
        EXPECT_EQ(client.GetMaxPacketSize(), 2048);
        EXPECT_EQ(server.GetMaxPacketSize(), 2048);
        client.Open();
        server.Open();
    }
    EXPECT_EQ(api.cleanups, 2);
    EXPECT_EQ(api.OpenCount(), 0u) << "destructors close what Close did not";
}

TEST(IrdaStartup, FailuresThrowCode4)
{
    FakeWinSock failing;
    failing.startupResult = WSASYSNOTREADY;
    ExpectObexError([&] { ObexInfraredClientSocket s(failing); }, 4,
                    "ObexInfraredSocket:WinSockの初期化に失敗しました。");
    EXPECT_EQ(failing.cleanups, 0);

    FakeWinSock wrongVersion;
    wrongVersion.grantedVersion = MAKEWORD(2, 2);
    ExpectObexError([&] { ObexInfraredServerSocket s(wrongVersion); }, 4,
                    "ObexInfraredSocket:WinSockのバージョンが1.1未対応です。");
    EXPECT_EQ(wrongVersion.cleanups, 1) << "a granted start-up is undone";

    FakeWinSock noSocket;
    noSocket.socketFails = true;
    ObexInfraredClientSocket client(noSocket);
    ExpectObexError([&] { client.Open(); }, 4, "IrOpen:ソケットのオープンに失敗しました。");
    ObexInfraredServerSocket server(noSocket);
    ExpectObexError([&] { server.Open(); }, 4, "IrOpen:ソケットのオープンに失敗しました。");
    EXPECT_EQ(noSocket.socketFamily, 26);
    EXPECT_EQ(noSocket.socketType, SOCK_STREAM);
    EXPECT_EQ(noSocket.socketProtocol, 0);
}

TEST(IrdaStartup, RealWinSockUnderThisSystemHasNoIrdaSockets)
{
    // No IrDA stack here: the platform's own socket call fails and Open says so.
    ObexInfraredClientSocket client;
    ExpectObexError([&] { client.Open(); }, 4, "IrOpen:ソケットのオープンに失敗しました。");
    client.Close();
    client.Close();
}

// --- OwnedString ------------------------------------------------------------------------------

TEST(OwnedString, CopiesAndReplacesText)
{
    OwnedString s;
    EXPECT_EQ(s.GetText(), nullptr);
    EXPECT_EQ(s.GetTextLength(), 0);
    char source[] = "P504i";
    s.SetText(source);
    source[0] = 'X';
    EXPECT_STREQ(s.GetText(), "P504i");
    EXPECT_EQ(s.GetTextLength(), 5);
    s.SetText("デバイス");
    EXPECT_EQ(s.GetTextLength(), 8) << "Shift_JIS bytes";
    s.SetText(nullptr);
    EXPECT_EQ(s.GetText(), nullptr);
}

// --- server -----------------------------------------------------------------------------------

TEST(IrdaServer, AcceptPublishesBindsListensAndNamesThePeer)
{
    FakeWinSock api;
    api.devicesOnConnection = {Phone("N504i"), Phone("Other", 0x55)};
    ObexInfraredServerSocket server(api);
    server.Open();
    server.Accept();

    EXPECT_STREQ(api.iasSet.irdaClassName, "OBEX");
    EXPECT_STREQ(api.iasSet.irdaAttribName, "IrDA:TinyTP");
    EXPECT_EQ(api.iasSet.irdaAttribType, 3u);
    EXPECT_EQ(api.iasSet.irdaAttribute.irdaAttribUsrStr.Len, 12);
    EXPECT_EQ(api.iasSetLength, (int)sizeof(IAS_SET));

    EXPECT_EQ(api.bound.irdaAddressFamily, 26);
    const uint8_t zero[4] = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(api.bound.irdaDeviceID, zero, 4), 0);
    char expectedName[25] = "OBEX";
    EXPECT_EQ(std::memcmp(api.bound.irdaServiceName, expectedName, 25), 0);
    EXPECT_EQ(api.boundLength, 32);
    EXPECT_EQ(api.backlog, 2);

    EXPECT_STREQ(server.GetText(), "N504i") << "first device of the list";
}

TEST(IrdaServer, PeerNameOf22BytesIsTerminated)
{
    FakeWinSock api;
    api.devicesOnConnection = {Phone("ABCDEFGHIJKLMNOPQRSTUV")};  // fills the field exactly
    ObexInfraredServerSocket server(api);
    server.Open();
    server.Accept();
    EXPECT_STREQ(server.GetText(), "ABCDEFGHIJKLMNOPQRSTUV");
}

TEST(IrdaServer, EmptyDeviceListLeavesNoName)
{
    FakeWinSock api;
    ObexInfraredServerSocket server(api);
    server.Open();
    server.Accept();
    EXPECT_EQ(server.GetText(), nullptr);
    EXPECT_EQ(server.GetTextLength(), 0);
}

TEST(IrdaServer, EachAcceptStepFailsWithItsOwnMessage)
{
    struct Case {
        bool FakeWinSock::*flag;
        const char* message;
    } cases[] = {
        {&FakeWinSock::iasSetFails, "Accept:接続相手の検索中にエラーが発生しました。"},
        {&FakeWinSock::bindFails, "Accept:接続相手の決定中にエラーが発生しました(1)。"},
        {&FakeWinSock::listenFails, "Accept:接続相手の決定中にエラーが発生しました(2)。"},
        {&FakeWinSock::acceptFails, "Accept:接続受け付け中にエラーが発生しました(2)。"},
    };
    for (const Case& c : cases) {
        FakeWinSock api;
        api.*c.flag = true;
        ObexInfraredServerSocket server(api);
        server.Open();
        ExpectObexError([&] { server.Accept(); }, 6, c.message);
    }
    // Accept before Open: every platform call meets an invalid socket.
    FakeWinSock api;
    ObexInfraredServerSocket server(api);
    ExpectObexError([&] { server.Accept(); }, 6, "Accept:接続相手の検索中にエラーが発生しました。");
}

TEST(IrdaServer, CloseFromAnotherThreadEndsABlockedAccept)
{
    FakeWinSock api;
    api.acceptBlocks = true;
    ObexInfraredServerSocket server(api);
    server.Open();
    std::thread canceller([&] {
        api.WaitUntilBlocked();
        server.Close();
    });
    ExpectObexError([&] { server.Accept(); }, 6, "Accept:接続受け付け中にエラーが発生しました(2)。");
    canceller.join();
    EXPECT_EQ(api.OpenCount(), 0u);
    server.Close();
    EXPECT_EQ(api.closedSockets.size(), 1u) << "the second Close closes nothing";
}

TEST(IrdaServer, CloseRacingAcceptLeavesNoLink)
{
    FakeWinSock api;
    ObexInfraredServerSocket server(api);
    server.Open();
    // Close lands while the platform's accept is returning a connection.
    api.duringAccept = [&] { server.Close(); };
    api.acceptFails = false;
    ExpectObexError([&] { server.Accept(); }, 6, "Accept:接続受け付け中にエラーが発生しました(2)。");
    EXPECT_EQ(api.OpenCount(), 0u);
}

TEST(IrdaServer, ReceiveLoopsUntilCountAndCloseClosesConnectionFirst)
{
    FakeWinSock api;
    ObexInfraredServerSocket server(api);
    server.Open();
    server.Accept();
    api.incoming = "0123456789";
    api.recvPlan = {3, 4, 3};
    uint8_t buffer[16] = {};
    EXPECT_EQ(server.Receive(buffer, 2, 10), 10);
    EXPECT_EQ(std::memcmp(buffer + 2, "0123456789", 10), 0);
    EXPECT_EQ(api.recvAsked, (std::vector<int>{10, 7, 3}));

    EXPECT_EQ(server.Receive(buffer, 0, 0), 0);
    EXPECT_EQ(api.recvAsked.size(), 3u) << "a count of 0 makes no platform call";

    api.sendPlan = {2};
    EXPECT_EQ(server.Send(reinterpret_cast<const uint8_t*>("xyz"), 1, 2), 2);
    EXPECT_EQ(api.sent, "yz");

    server.Close();
    ASSERT_EQ(api.closedSockets.size(), 2u);
    EXPECT_EQ(api.closedSockets[0], (SOCKET)101) << "connection socket first";
    EXPECT_EQ(api.closedSockets[1], (SOCKET)100);
    ExpectObexError([&] { server.Receive(buffer, 0, 1); }, 5,
                    "IrReceive:データの受信に失敗しました(1)。");
    ExpectObexError([&] { server.Send(buffer, 0, 1); }, 5, "IrSend:データの送信に失敗しました。");
}

TEST(IrdaServer, ReceiveFailsOnErrorAndOnOrderlyClose)
{
    for (int end : {-1, 0}) {
        FakeWinSock api;
        ObexInfraredServerSocket server(api);
        server.Open();
        server.Accept();
        api.incoming = "ab";
        api.recvPlan = {2, end};
        uint8_t buffer[8];
        ExpectObexError([&] { server.Receive(buffer, 0, 5); }, 5,
                        "IrReceive:データの受信に失敗しました(1)。");
    }
}

TEST(IrdaServer, CloseFromAnotherThreadEndsABlockedReceive)
{
    FakeWinSock api;
    ObexInfraredServerSocket server(api);
    server.Open();
    server.Accept();
    std::thread canceller([&] {
        api.WaitUntilBlocked();
        server.Close();
        server.Close();
    });
    uint8_t buffer[8];
    ExpectObexError([&] { server.Receive(buffer, 0, 8); }, 5,
                    "IrReceive:データの受信に失敗しました(1)。");
    canceller.join();
    EXPECT_EQ(api.OpenCount(), 0u);
}

// --- client -----------------------------------------------------------------------------------

TEST(IrdaClient, FirstDeviceIsQueriedAddressedAndNamed)
{
    FakeWinSock api;
    api.devicesAtSearch = [](int n) {
        return n < 3 ? std::vector<FakeDevice>()
                     : std::vector<FakeDevice>{Phone("SH505i", 0xA1), Phone("P505i", 0xB2)};
    };
    api.lsapSelector = 12;
    ObexInfraredClientSocket client(api);
    client.Open();
    client.Connect();

    EXPECT_EQ(api.searches, 3);
    EXPECT_EQ(api.sleeps, 2) << "a pause after each empty search";
    EXPECT_EQ(api.query.irdaDeviceID[0], 0xA1);
    EXPECT_STREQ(api.query.irdaClassName, "OBEX");
    EXPECT_STREQ(api.query.irdaAttribName, "IrDA:TinyTP:LsapSel");
    EXPECT_EQ(api.queryLength, 1356);

    EXPECT_EQ(api.connects, 1);
    EXPECT_EQ(api.connectLength, 32);
    EXPECT_EQ(api.connectedTo.irdaAddressFamily, 26);
    EXPECT_EQ(api.connectedTo.irdaDeviceID[0], 0xA1);
    EXPECT_EQ(api.connectedTo.irdaDeviceID[3], 0x44);
    EXPECT_STREQ(api.connectedTo.irdaServiceName, "LSAP-SEL12");
    EXPECT_STREQ(client.GetText(), "SH505i");
}

TEST(IrdaClient, NoDeviceAfter100SearchesThrowsCode7AndCanBeRetried)
{
    FakeWinSock api;
    ObexInfraredClientSocket client(api);
    client.Open();
    ExpectObexError([&] { client.Connect(); }, 7, "Connect:接続対象の機器が見つかりませんでした。");
    EXPECT_EQ(api.searches, 100);
    EXPECT_EQ(api.sleeps, 100);
    EXPECT_EQ(api.connects, 0);
    EXPECT_EQ(client.GetText(), nullptr);

    // The object is unchanged: a second Connect gets a fresh budget.
    api.devicesAtSearch = [](int n) {
        return n == 150 ? std::vector<FakeDevice>{Phone("F505i")} : std::vector<FakeDevice>();
    };
    client.Connect();
    EXPECT_EQ(api.searches, 150);
    EXPECT_STREQ(client.GetText(), "F505i");
}

TEST(IrdaClient, SearchesAndConnectionAttemptsShareOneBudget)
{
    // Found at search 1: 99 connection attempts remain.
    FakeWinSock early;
    early.devicesAtSearch = [](int) { return std::vector<FakeDevice>{Phone("D505i")}; };
    early.connectSucceeds = [](int) { return false; };
    ObexInfraredClientSocket a(early);
    a.Open();
    ExpectObexError([&] { a.Connect(); }, 6, "Connect:接続対象機器と接続に失敗しました。");
    EXPECT_EQ(early.searches, 1);
    EXPECT_EQ(early.connects, 99);
    EXPECT_EQ(a.GetText(), nullptr) << "no name without a link";

    // Found only at search 100: no attempt is left.
    FakeWinSock late;
    late.devicesAtSearch = [](int n) {
        return n == 100 ? std::vector<FakeDevice>{Phone("D505i")} : std::vector<FakeDevice>();
    };
    ObexInfraredClientSocket b(late);
    b.Open();
    ExpectObexError([&] { b.Connect(); }, 6, "Connect:接続対象機器と接続に失敗しました。");
    EXPECT_EQ(late.connects, 0);

    // Found at search 40, connected at attempt 60: exactly the budget.
    FakeWinSock tight;
    tight.devicesAtSearch = [](int n) {
        return n >= 40 ? std::vector<FakeDevice>{Phone("N505i")} : std::vector<FakeDevice>();
    };
    tight.connectSucceeds = [](int n) { return n == 60; };
    ObexInfraredClientSocket c(tight);
    c.Open();
    c.Connect();
    EXPECT_EQ(tight.searches + tight.connects, 100);
    EXPECT_STREQ(c.GetText(), "N505i");
}

TEST(IrdaClient, IasQueryFailureThrowsCode6)
{
    FakeWinSock api;
    api.devicesAtSearch = [](int) { return std::vector<FakeDevice>{Phone("SO505i")}; };
    api.iasQueryFails = true;
    ObexInfraredClientSocket client(api);
    client.Open();
    ExpectObexError([&] { client.Connect(); }, 6,
                    "Connect:接続対象機器の情報取得中にエラーが発生しました。");
    EXPECT_EQ(api.connects, 0);
}

TEST(IrdaClient, CloseDuringSearchCutsThePauseShortAndEndsConnect)
{
    FakeWinSock api;
    ObexInfraredClientSocket client(api);
    client.Open();
    api.onSleep = [&](int n) {
        if (n == 5) client.Close();
    };
    ExpectObexError([&] { client.Connect(); }, 6, "Connect:接続中にクローズされました。");
    EXPECT_EQ(api.searches, 5);
    EXPECT_EQ(api.sleeps, 5);
    EXPECT_EQ(api.pausesCutShort, 1) << "the pause Close came in ends at once";

    // After Close, Connect ends at its first empty search, and the transport stays closed.
    ExpectObexError([&] { client.Connect(); }, 6, "Connect:接続中にクローズされました。");
    EXPECT_EQ(api.sleeps, 5);
    ExpectObexError([&] { client.Open(); }, 4, "IrOpen:ソケットのオープンに失敗しました。");
}

// A cancel may come before the engine opens the transport: it must still hold.
TEST(Irda, CloseBeforeOpenIsHarmlessAndKeepsTheTransportClosed)
{
    FakeWinSock api;
    ObexInfraredClientSocket client(api);
    ObexInfraredServerSocket server(api);
    for (ObexSocket* socket : {(ObexSocket*)&client, (ObexSocket*)&server}) {
        socket->Close();
        socket->Close();
        ExpectObexError([&] { socket->Open(); }, 4, "IrOpen:ソケットのオープンに失敗しました。");
        uint8_t buffer[4];
        ExpectObexError([&] { socket->Receive(buffer, 0, 4); }, 5,
                        "IrReceive:データの受信に失敗しました(1)。");
    }
    EXPECT_EQ(api.OpenCount(), 0u);
    EXPECT_TRUE(api.closedSockets.empty());
}

TEST(IrdaClient, CloseDuringConnectionAttemptsEndsConnectAfterThePause)
{
    FakeWinSock api;
    api.devicesAtSearch = [](int) { return std::vector<FakeDevice>{Phone("SH")}; };
    api.connectSucceeds = [](int) { return false; };
    ObexInfraredClientSocket client(api);
    client.Open();
    api.onSleep = [&](int n) {
        if (n == 3) client.Close();
    };
    ExpectObexError([&] { client.Connect(); }, 6, "Connect:接続中にクローズされました。");
    EXPECT_EQ(api.connects, 3);
    EXPECT_EQ(api.pausesCutShort, 1);
    EXPECT_EQ(api.OpenCount(), 0u);
}

TEST(IrdaClient, SendReturnsWhatThePlatformTookAndFailsWithCode5)
{
    FakeWinSock api;
    api.devicesAtSearch = [](int) { return std::vector<FakeDevice>{Phone("P")}; };
    ObexInfraredClientSocket client(api);
    client.Open();
    client.Connect();
    const uint8_t data[] = "abcdef";
    api.sendPlan = {4, -1};
    EXPECT_EQ(client.Send(data, 1, 5), 4);
    EXPECT_EQ(api.sent, "bcde");
    ExpectObexError([&] { client.Send(data, 0, 3); }, 5, "IrSend:データの送信に失敗しました。");
}

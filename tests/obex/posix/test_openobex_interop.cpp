// Our client and server against libopenobex over a socketpair, in both directions, at the
// packet sizes the program meets (255 minimum, 1024 openobex default, 2048 IrDA, 8192 serial),
// with bodies of no bytes, one chunk and many chunks, checked byte for byte.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include <gtest/gtest.h>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/support/posix/FdTransport.h"
#include "tests/support/posix/OpenObexPeer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t size, unsigned seed)
{
    Bytes b(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = (uint8_t)(x >> 16);
    }
    return b;
}

struct Link {
    Link() { EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, fds)); }
    ~Link()
    {
        // libopenobex may or may not have closed its end already.
        if (fcntl(fds[1], F_GETFD) != -1) close(fds[1]);
    }
    int fds[2] = {-1, -1};
};

// Body sizes for a link whose chunk (send capacity - 6) is `chunk`.
std::vector<size_t> BodySizes(int32_t chunk)
{
    return {0, (size_t)chunk, (size_t)(9 * chunk + 17)};
}

std::string Message(const ZvError& e)
{
    return std::to_string(e.GetCode()) + " " + e.GetMessageText();
}

// Keeps the body and whether an End of Body header came with it.
class BodyCollector : public ObexBodyReceiver {
public:
    void Receive(ObexObject*, const uint8_t* data, int32_t length, bool endOfBody) override
    {
        bytes.insert(bytes.end(), data, data + length);
        ended = endOfBody;
    }
    Bytes bytes;
    bool ended = false;
};

class Interop : public ::testing::TestWithParam<int> {};

TEST_P(Interop, OurClientPutsToOpenObexServer)
{
    const int size = GetParam();
    for (bool stream : {true, false}) {
        for (size_t bodySize : BodySizes(size - 6)) {
            SCOPED_TRACE("stream " + std::to_string(stream) + ", body " + std::to_string(bodySize));
            Link link;
            Bytes body = Pattern(bodySize, (unsigned)size);
            OpenObexReceived got;
            std::thread peer([&] { got = RunOpenObexServer(link.fds[1], size, stream); });
            int32_t capacity = 0;
            int32_t putResponse = -1, disconnectResponse = -1;
            try {
                FdTransport transport(link.fds[0], size);
                ObexClient client(&transport);
                client.Connect();
                capacity = client.GetSendCapacity();
                client.SetName("写真ソ表.jpg");
                client.SetType("image/jpeg");
                client.SetTime(1210315415);
                client.SetBody(body.data(), (uint32_t)body.size());
                client.SetOperation(0x82);
                client.SendRequest();
                putResponse = client.GetResponseCode();
                client.SetOperation(0x81);
                client.SendRequest();
                disconnectResponse = client.GetResponseCode();
            } catch (const ZvError& e) {
                ADD_FAILURE() << Message(e);
            }
            peer.join();
            EXPECT_TRUE(got.ok) << got.error;
            EXPECT_EQ(size, capacity);  // libopenobex announced the MTU it was given
            EXPECT_EQ(0x20, putResponse);
            EXPECT_EQ(0x20, disconnectResponse);
            EXPECT_EQ(1, got.puts);
            EXPECT_EQ(Utf16BigEndian(u"写真ソ表.jpg"), got.name);
            EXPECT_EQ(Bytes({'i', 'm', 'a', 'g', 'e', '/', 'j', 'p', 'e', 'g', 0}), got.type);
            EXPECT_EQ(std::string("20080509T064335Z"), std::string(got.time.begin(), got.time.end()));
            EXPECT_TRUE(got.hasLength);
            EXPECT_EQ(bodySize, got.length);
            EXPECT_TRUE(body == got.body) << "body of " << got.body.size() << " bytes differs";
        }
    }
}

TEST_P(Interop, OpenObexClientPutsToOurServer)
{
    const int size = GetParam();
    for (bool stream : {true, false}) {
        for (size_t bodySize : BodySizes(size - 6)) {
            SCOPED_TRACE("stream " + std::to_string(stream) + ", body " + std::to_string(bodySize));
            Link link;
            OpenObexPut put;
            put.nameUtf16be = Utf16BigEndian(u"着信メロ.mld");
            put.type = "audio/x-mld";
            put.time = "20080509T064335Z";
            put.body = Pattern(bodySize, (unsigned)size + 1);
            put.stream = stream;
            OpenObexClientResult result;
            std::thread peer([&] { result = RunOpenObexClient(link.fds[1], size, put); });

            int32_t put_op = -1, disconnect_op = -1, capacity = 0;
            std::string name, type;
            int32_t time = 0;
            uint32_t length = 0;
            BodyCollector body;
            try {
                FdTransport transport(link.fds[0], size);
                ObexServer server(&transport);
                server.Accept();
                capacity = server.GetSendCapacity();
                server.SetBodyReceiver(&body);
                server.ReceiveRequest();
                put_op = server.GetOperation();
                name = server.GetName() ? server.GetName() : "(none)";
                type = server.GetType() ? server.GetType() : "(none)";
                time = server.GetTime();
                length = server.GetLength();
                server.SendResponse(0x20);
                server.ReceiveRequest();
                disconnect_op = server.GetOperation();
                server.SendResponse(0x20);
            } catch (const ZvError& e) {
                ADD_FAILURE() << Message(e);
            }
            peer.join();
            EXPECT_TRUE(result.ok) << result.error << " connect " << result.connectResponse << " put "
                                   << result.putResponse << " disconnect " << result.disconnectResponse;
            EXPECT_EQ(size, capacity);
            EXPECT_EQ(0x82, put_op);
            EXPECT_EQ(0x81, disconnect_op);
            EXPECT_EQ("着信メロ.mld", name);
            EXPECT_EQ("audio/x-mld", type);
            EXPECT_EQ(1210315415, time);
            EXPECT_EQ(bodySize, length);
            EXPECT_TRUE(put.body == body.bytes) << "body of " << body.bytes.size() << " bytes differs";
            // libopenobex ends a streamed body with End of Body, a plain one with Body only.
            EXPECT_EQ(stream, body.ended);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PacketSizes, Interop, ::testing::Values(255, 1024, 2048, 8192),
                         [](const ::testing::TestParamInfo<int>& info) { return "mtu" + std::to_string(info.param); });

}  // namespace

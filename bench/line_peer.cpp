// libopenobex on one end of the paced line, for bench/transfer-bench.sh. Opens the tty raw and
// serves one session or sends one object with `mtu` as its packet size, then prints one line:
//   ok=<0|1> body=<bytes received or sent> error=<text>
// With a body file to compare, the server's ok also requires the received body to match it.
// "ours-server" and "ours-client" run our OBEX engine instead, natively, so that a shortfall under
// Wine can be told apart from one of the engine.
//
//   line_peer server|ours-server <tty> <mtu> [expected-body-file]
//   line_peer client|ours-client <tty> <mtu> <body-file>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/support/posix/OpenObexPeer.h"
#include "tests/support/posix/RawLine.h"
#include "transport/TransportException.h"

namespace {

constexpr int kSeconds = 600;  // a 1 MB object takes about 90 s at 115200 bps

std::vector<uint8_t> ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Our transport interface over the tty: plain read and write.
class TtyTransport : public ObexClientSocket, public ObexServerSocket {
public:
    TtyTransport(int fd, int32_t maxPacket) : fd_(fd), maxPacket_(maxPacket) {}
    int32_t GetMaxPacketSize() override { return maxPacket_; }
    void Open() override {}
    void Close() override {}
    void Connect() override {}
    void Accept() override {}
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override
    {
        const ssize_t n = read(fd_, buffer + offset, (size_t)count);
        if (n <= 0) throw TransportException(TRANSPORT_ERR_IO, "TtyTransport::Receive");
        return (int32_t)n;
    }
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override
    {
        const ssize_t n = write(fd_, buffer + offset, (size_t)count);
        if (n < 0) throw TransportException(TRANSPORT_ERR_IO, "TtyTransport::Send");
        return (int32_t)n;
    }

private:
    int fd_;
    int32_t maxPacket_;
};

bool OurClientPut(int fd, int mtu, const std::vector<uint8_t>& body, std::string* error)
{
    try {
        TtyTransport transport(fd, mtu);
        ObexClient client(&transport);
        client.Connect();
        client.SetName("bench.jpg");
        client.SetType("image/jpeg");
        client.SetTime(1704164645);
        MemoryBodySource source(body.data(), (uint32_t)body.size());
        client.SetBodySource(&source);
        client.SetLength((uint32_t)body.size());
        client.SetOperation(0x82);
        client.SendRequest();
        if (client.GetResponseCode() != 0x20) throw TransportException(TRANSPORT_ERR_IO, "PUT refused");
        client.SetOperation(0x81);
        client.SendRequest();
        return true;
    } catch (const ZvError& e) {
        *error = e.GetMessageText() ? e.GetMessageText() : "error";
        return false;
    }
}

class Collector : public ObexBodyReceiver {
public:
    void Receive(ObexObject*, const uint8_t* data, int32_t length, bool) override
    {
        if (length > 0) bytes.insert(bytes.end(), data, data + length);
    }
    std::vector<uint8_t> bytes;
};

// CONNECT, PUT, DISCONNECT as the receive transfer takes them.
bool OurServerTake(int fd, int mtu, std::vector<uint8_t>* body, std::string* error)
{
    try {
        TtyTransport transport(fd, mtu);
        ObexServer server(&transport);
        server.Accept();
        Collector collector;
        server.SetBodyReceiver(&collector);
        server.ReceiveRequest();
        server.SendResponse(0x20);
        server.ReceiveRequest();
        server.SendResponse(0x20);
        *body = std::move(collector.bytes);
        return true;
    } catch (const ZvError& e) {
        *error = e.GetMessageText() ? e.GetMessageText() : "error";
        return false;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s server|client <tty> <mtu> [body-file]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const int mtu = std::atoi(argv[3]);
    const int fd = OpenRawLine(argv[2]);
    if (fd < 0) {
        std::printf("ok=0 body=0 error=cannot open %s\n", argv[2]);
        return 1;
    }
    bool ok = false;
    size_t body = 0;
    std::string error;
    if (mode == "server") {
        OpenObexReceived got = RunOpenObexServer(fd, mtu, true, kSeconds);
        ok = got.ok && (argc < 5 || got.body == ReadFile(argv[4]));
        body = got.body.size();
        error = got.ok && !ok ? "body differs" : got.error;
    } else if (mode == "client" && argc >= 5) {
        OpenObexPut put;
        put.nameUtf16be = Utf16BigEndian(u"bench.jpg");
        put.type = "image/jpeg";
        put.time = "20240102T030405Z";
        put.body = ReadFile(argv[4]);
        OpenObexClientResult got = RunOpenObexClient(fd, mtu, put, kSeconds);
        ok = got.ok;
        body = put.body.size();
        error = got.error;
    } else if (mode == "ours-server") {
        std::vector<uint8_t> got;
        ok = OurServerTake(fd, mtu, &got, &error) && (argc < 5 || got == ReadFile(argv[4]));
        body = got.size();
    } else if (mode == "ours-client" && argc >= 5) {
        const std::vector<uint8_t> put = ReadFile(argv[4]);
        ok = OurClientPut(fd, mtu, put, &error);
        body = put.size();
    } else {
        error = "bad arguments";
    }
    close(fd);
    std::printf("ok=%d body=%zu error=%s\n", ok ? 1 : 0, body, error.c_str());
    return ok ? 0 : 1;
}

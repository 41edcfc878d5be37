// PUT throughput over a socketpair: our client to our server, our client to the libopenobex
// server, and the libopenobex client to the libopenobex server, at packet sizes 2048 and 8192
// with a 10 MB body. Prints MB/s, the ratios to the libopenobex pair, and the bytes on the wire
// per body byte. A measurement, not a test: nothing here passes or fails on timing.
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/support/ClientPut.h"
#include "tests/support/posix/FdTransport.h"
#include "tests/support/posix/OpenObexPeer.h"

namespace {

using Clock = std::chrono::steady_clock;
const size_t kBodySize = 10 * 1024 * 1024;

struct Result {
    double seconds = 0;
    uint64_t wireBytes = 0;  // both directions
    bool ok = false;
};

void MakePair(int fds[2])
{
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
        std::perror("socketpair");
        std::exit(1);
    }
}

// Counts the bytes of a session while relaying them between two socketpairs.
class CountingRelay {
public:
    CountingRelay(int a, int b) : a_(a), b_(b), one_([this] { Pump(a_, b_); }), two_([this] { Pump(b_, a_); }) {}
    ~CountingRelay()
    {
        one_.join();
        two_.join();
    }
    std::atomic<uint64_t> bytes{0};

private:
    void Pump(int from, int to)
    {
        std::vector<char> buf(65536);
        for (;;) {
            ssize_t n = read(from, buf.data(), buf.size());
            if (n <= 0) break;
            bytes += (uint64_t)n;
            if (send(to, buf.data(), (size_t)n, MSG_NOSIGNAL) != n) break;
        }
        shutdown(to, SHUT_RDWR);
        shutdown(from, SHUT_RDWR);
    }
    int a_, b_;
    std::thread one_, two_;
};

// CONNECT, PUT of `body`, DISCONNECT.
bool OurClientPut(FdTransport* transport, const std::vector<uint8_t>& body)
{
    try {
        ObexClient client(transport);
        client.Connect();
        PutThenDisconnect(client, "bench.3gp", "video/3gpp", 1210315415, body);
        return true;
    } catch (const ZvError& e) {
        std::fprintf(stderr, "client: %d %s\n", e.GetCode(), e.GetMessageText());
        return false;
    }
}

class Counter : public ObexBodyReceiver {
public:
    void Receive(ObexObject*, const uint8_t*, int32_t length, bool) override { total += (uint64_t)length; }
    uint64_t total = 0;
};

Result OursToOurs(int size, const std::vector<uint8_t>& body)
{
    int fds[2];
    MakePair(fds);
    Result r;
    uint64_t received = 0;
    bool serverOk = false;
    FdTransport serverTransport(fds[1], size);
    Clock::time_point start = Clock::now();
    std::thread server([&] {
        try {
            ObexServer s(&serverTransport);
            Counter counter;
            s.Accept();
            s.SetBodyReceiver(&counter);
            s.ReceiveRequest();
            s.SendResponse(0x20);
            s.ReceiveRequest();
            s.SendResponse(0x20);
            received = counter.total;
            serverOk = true;
        } catch (const ZvError& e) {
            std::fprintf(stderr, "server: %d %s\n", e.GetCode(), e.GetMessageText());
        }
    });
    FdTransport clientTransport(fds[0], size);
    bool clientOk = OurClientPut(&clientTransport, body);
    server.join();
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.wireBytes = serverTransport.sent + serverTransport.received;
    r.ok = clientOk && serverOk && received == body.size();
    return r;
}

Result OursToOpenObex(int size, const std::vector<uint8_t>& body)
{
    int fds[2];
    MakePair(fds);
    Result r;
    OpenObexReceived got;
    Clock::time_point start = Clock::now();
    std::thread peer([&] { got = RunOpenObexServer(fds[1], size, true, 300); });
    bool clientOk;
    {
        FdTransport transport(fds[0], size);
        clientOk = OurClientPut(&transport, body);
        r.wireBytes = transport.sent + transport.received;
    }
    peer.join();
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.ok = clientOk && got.ok && got.body == body;
    close(fds[1]);
    return r;
}

OpenObexPut BenchPut(const std::vector<uint8_t>& body)
{
    OpenObexPut put;
    put.nameUtf16be = Utf16BigEndian(u"bench.3gp");
    put.type = "video/3gpp";
    put.time = "20080509T064335Z";
    put.body = body;
    return put;
}

// Timed directly, client and server on one socketpair.
Result OpenObexToOpenObex(int size, const std::vector<uint8_t>& body)
{
    int fds[2];
    MakePair(fds);
    Result r;
    OpenObexPut put = BenchPut(body);
    OpenObexReceived got;
    Clock::time_point start = Clock::now();
    std::thread server([&] { got = RunOpenObexServer(fds[1], size, true, 300); });
    OpenObexClientResult sent = RunOpenObexClient(fds[0], size, put, 300);
    server.join();
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.ok = sent.ok && got.ok && got.body == body;
    close(fds[0]);
    close(fds[1]);
    return r;
}

// The same session through a relay that counts its bytes (slower, so not timed).
uint64_t OpenObexWireBytes(int size, const std::vector<uint8_t>& body)
{
    int clientSide[2], serverSide[2];
    MakePair(clientSide);
    MakePair(serverSide);
    OpenObexPut put = BenchPut(body);
    uint64_t bytes;
    {
        CountingRelay relay(clientSide[1], serverSide[0]);
        std::thread server([&] { RunOpenObexServer(serverSide[1], size, true, 300); });
        RunOpenObexClient(clientSide[0], size, put, 300);
        server.join();
        shutdown(clientSide[0], SHUT_RDWR);
        shutdown(serverSide[1], SHUT_RDWR);
        bytes = relay.bytes;  // read before the relay's threads are joined; both sides are done
    }
    for (int fd : {clientSide[0], clientSide[1], serverSide[0], serverSide[1]}) close(fd);
    return bytes;
}

}  // namespace

int main()
{
    std::vector<uint8_t> body(kBodySize);
    for (size_t i = 0; i < body.size(); ++i) body[i] = (uint8_t)(i * 2654435761u >> 24);
    const double megabytes = (double)kBodySize / (1024.0 * 1024.0);
    std::printf("PUT of a %.0f MB body over a socketpair; ratio = speed relative to openobex -> openobex;\n"
                "wire/body = bytes in both directions per body byte\n",
                megabytes);
    std::printf("%-6s %-30s %9s %9s %12s\n", "packet", "pair", "MB/s", "ratio", "wire/body");
    for (int size : {2048, 8192}) {
        Result reference = OpenObexToOpenObex(size, body);
        reference.wireBytes = OpenObexWireBytes(size, body);
        Result ours = OursToOurs(size, body);
        Result mixed = OursToOpenObex(size, body);
        struct Row {
            const char* name;
            Result r;
        } rows[] = {{"our client -> our server", ours},
                    {"our client -> openobex server", mixed},
                    {"openobex -> openobex", reference}};
        for (const Row& row : rows) {
            double rate = megabytes / row.r.seconds;
            double ratio = reference.seconds / row.r.seconds;
            if (row.r.wireBytes) {
                std::printf("%-6d %-30s %9.1f %9.2f %12.5f%s\n", size, row.name, rate, ratio,
                            (double)row.r.wireBytes / (double)kBodySize, row.r.ok ? "" : "  FAILED");
            } else {
                std::printf("%-6d %-30s %9.1f %9.2f %12s%s\n", size, row.name, rate, ratio, "-",
                            row.r.ok ? "" : "  FAILED");
            }
        }
    }
    return 0;
}

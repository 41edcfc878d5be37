// The Linux end of a serial line (a pseudo-terminal) for the transport and GUI tests under Wine
// and for bench/transfer-bench.sh: libopenobex as an OBEX server or client, raw packets, or our
// own engine natively. Wine passes no exit status back, so everything the caller checks goes into
// files in <outdir>: "ready" once the line is open, "result.txt" (written last, in one rename; also
// printed) and, for a server, "body.bin".
//
//   line_peer [options] server|refuse-put|refuse-disconnect|stall|ours-server <tty> <outdir>
//   line_peer [options] client <tty> <outdir> <body-file> [<name-utf16be-hex> <type> <time> [nolength]]
//   line_peer [options] ours-client <tty> <outdir> <body-file>
//   line_peer [options] raw <tty> <outdir> <packets-file>
//   options: --mtu <bytes> (1024), --seconds <limit> (40), --expect <file> (a server's ok also
//            requires the received body to equal it)
// The refusing servers answer that request with FORBIDDEN (0xC3). "stall" answers the first PUT
// packet and then leaves the line silent until the line hangs up, <outdir>/stop appears or the
// time is up. The raw mode sends what libopenobex will not (a GET, a PUT without body, half a
// PUT): each line of the packets file is one packet in hex, and the answer to it is read before
// the next line, except after a line starting with "=", which is sent and not answered. After a
// line starting with "?" an answer is waited for only until <outdir>/stop appears, and is
// reported as "-" when none came: for a request that the program must leave unanswered.
// "ours-server" and "ours-client" run our OBEX engine on the line, so that a shortfall under Wine
// can be told apart from one of the engine. A client without a name sends "bench.jpg".
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/support/ClientPut.h"
#include "tests/support/Hex.h"
#include "tests/support/posix/OpenObexPeer.h"
#include "tests/support/posix/RawLine.h"
#include "transport/TransportException.h"

namespace {

constexpr int kForbidden = 0x43;
int seconds = 40;

// Reads nothing until the line hangs up, `stop` exists or the time is up.
void StaySilent(int fd, const std::string& stop)
{
    struct stat info;
    for (int i = 0; i < seconds * 10 && stat(stop.c_str(), &info) != 0; ++i) {
        pollfd p{fd, 0, 0};
        if (poll(&p, 1, 100) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return;
    }
}

void WriteFile(const std::string& path, const std::string& data)
{
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << data;
    }
    std::rename(temporary.c_str(), path.c_str());
}

std::vector<uint8_t> ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> FromHex(const std::string& text)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back((uint8_t)std::stoi(text.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// One OBEX answer packet, or an empty vector when none came in time.
std::vector<uint8_t> ReadPacket(int fd, int milliseconds)
{
    std::vector<uint8_t> packet;
    size_t want = 3;
    while (packet.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, milliseconds) <= 0) return {};
        uint8_t byte;
        if (read(fd, &byte, 1) != 1) return {};
        packet.push_back(byte);
        if (packet.size() == 3) want = std::max<size_t>(3, (size_t)packet[1] << 8 | packet[2]);
    }
    return packet;
}

// Any answer that comes before `stop` exists, and what the line still held then.
std::vector<uint8_t> AnswerUntilStopped(int fd, const std::string& stop)
{
    struct stat info;
    for (int i = 0; i < seconds * 5; ++i) {
        const bool stopped = stat(stop.c_str(), &info) == 0;
        const std::vector<uint8_t> answer = ReadPacket(fd, stopped ? 500 : 200);
        if (!answer.empty() || stopped) return answer;
    }
    return {};
}

std::string RunRaw(int fd, const char* packetsFile, const std::string& outdir)
{
    std::ifstream in(packetsFile);
    std::string line, answers;
    while (std::getline(in, line)) {
        const char mark = line.empty() ? 0 : line[0];
        const bool answered = mark != '=';
        const std::vector<uint8_t> packet = FromHex(mark == '=' || mark == '?' ? line.substr(1) : line);
        if (write(fd, packet.data(), packet.size()) != (ssize_t)packet.size()) return "ok=0\nerror=write\n";
        if (!answered) continue;
        if (mark == '?') {
            const std::vector<uint8_t> answer = AnswerUntilStopped(fd, outdir + "/stop");
            answers += (answer.empty() ? "-" : Hex({answer[0]})) + ",";
            continue;
        }
        const std::vector<uint8_t> answer = ReadPacket(fd, seconds * 1000);
        if (answer.empty()) return "ok=0\nerror=no answer\nanswers=" + answers + "\n";
        answers += Hex({answer[0]}) + ",";
    }
    tcdrain(fd);
    return "ok=1\nanswers=" + answers + "\n";
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
        if (PutThenDisconnect(client, "bench.jpg", "image/jpeg", 1704164645, body) != 0x20) {
            throw TransportException(TRANSPORT_ERR_IO, "PUT refused");
        }
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
    int mtu = 1024;
    const char* expect = nullptr;
    int a = 1;
    for (; a + 1 < argc && std::string(argv[a]).rfind("--", 0) == 0; a += 2) {
        const std::string option = argv[a];
        if (option == "--mtu") mtu = std::atoi(argv[a + 1]);
        if (option == "--seconds") seconds = std::atoi(argv[a + 1]);
        if (option == "--expect") expect = argv[a + 1];
    }
    argc -= a - 1, argv += a - 1;
    if (argc < 4) {
        std::fprintf(stderr, "usage: line_peer [options] <mode> <tty> <outdir> ...\n");
        return 2;
    }
    const std::string mode = argv[1], outdir = argv[3];
    int fd = OpenRawLine(argv[2]);
    if (fd < 0) {
        WriteFile(outdir + "/result.txt", "ok=0\nerror=cannot open the line\n");
        return 1;
    }
    WriteFile(outdir + "/ready", "");
    std::ostringstream result;
    std::vector<uint8_t> body;
    const bool libServer = mode == "server" || mode == "refuse-put" || mode == "refuse-disconnect" || mode == "stall";
    if (libServer) {
        OpenObexAnswers answers;
        if (mode == "refuse-put") answers.put = kForbidden;
        if (mode == "refuse-disconnect") answers.disconnect = kForbidden;
        answers.stallPut = mode == "stall";
        OpenObexReceived got = RunOpenObexServer(fd, mtu, true, seconds, answers);
        if (answers.stallPut) StaySilent(fd, outdir + "/stop");
        std::string type(got.type.begin(), got.type.end());
        if (!type.empty() && type.back() == '\0') type.pop_back();
        const bool same = !expect || got.body == ReadFile(expect);
        result << "ok=" << (got.ok && same) << "\nerror=" << (got.ok && !same ? "body differs" : got.error)
               << "\nputs=" << got.puts << "\nname=" << Hex(got.name) << "\ntype=" << type
               << "\ntime=" << std::string(got.time.begin(), got.time.end())
               << "\nlength=" << (got.hasLength ? std::to_string(got.length) : "none") << "\n";
        body = std::move(got.body);
    } else if (mode == "client" && argc >= 5) {
        OpenObexPut put;
        put.body = ReadFile(argv[4]);
        put.nameUtf16be = argc >= 6 ? FromHex(argv[5]) : Utf16BigEndian(u"bench.jpg");
        put.type = argc >= 7 ? argv[6] : "image/jpeg";
        put.time = argc >= 8 ? argv[7] : "20240102T030405Z";
        put.hasLength = !(argc >= 9 && std::string(argv[8]) == "nolength");
        OpenObexClientResult got = RunOpenObexClient(fd, mtu, put, seconds);
        result << "ok=" << got.ok << "\nerror=" << got.error << "\nconnect=" << got.connectResponse
               << "\nput=" << got.putResponse << "\ndisconnect=" << got.disconnectResponse << "\n";
    } else if (mode == "ours-server") {
        std::string error;
        const bool same = OurServerTake(fd, mtu, &body, &error) && (!expect || body == ReadFile(expect));
        result << "ok=" << same << "\nerror=" << error << "\n";
    } else if (mode == "ours-client" && argc >= 5) {
        std::string error;
        const bool ok = OurClientPut(fd, mtu, ReadFile(argv[4]), &error);
        result << "ok=" << ok << "\nerror=" << error << "\n";
    } else if (mode == "raw" && argc >= 5) {
        result << RunRaw(fd, argv[4], outdir);
    } else {
        result << "ok=0\nerror=bad arguments\n";
    }
    close(fd);
    if (libServer || mode == "ours-server") WriteFile(outdir + "/body.bin", std::string(body.begin(), body.end()));
    WriteFile(outdir + "/result.txt", result.str());
    std::fputs(result.str().c_str(), stdout);
    return 0;
}

// The Linux end of a Wine COM port for the transport tests: libopenobex as an OBEX server or
// client on a pseudo-terminal. Wine passes no exit status back, so everything the test checks
// goes into files in <outdir>: "ready" once the line is open, "result.txt" (written last, in one
// rename) and, for the server, "body.bin".
//
//   serial_obex_peer server|refuse-put|refuse-disconnect|stall <tty> <outdir>
//   serial_obex_peer client <tty> <outdir> <body-file> <name-utf16be-hex> <type> <time> [nolength]
//   serial_obex_peer raw <tty> <outdir> <packets-file>
// The refusing servers answer that request with FORBIDDEN (0xC3). "stall" answers the first PUT
// packet and then leaves the line silent until the line hangs up, <outdir>/stop appears or the
// time is up. The raw mode sends what libopenobex will not (a GET, a PUT without body, half a
// PUT): each line of the packets file is one packet in hex, and the answer to it is read before
// the next line, except after a line starting with "=", which is sent and not answered. After a
// line starting with "?" an answer is waited for only until <outdir>/stop appears, and is
// reported as "-" when none came: for a request that the program must leave unanswered.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tests/support/posix/OpenObexPeer.h"
#include "tests/support/posix/RawLine.h"
#include "tests/support/Hex.h"

namespace {

constexpr int kMtu = 1024;
constexpr int kSeconds = 40;
constexpr int kForbidden = 0x43;

// Reads nothing until the line hangs up, `stop` exists or kSeconds have passed.
void StaySilent(int fd, const std::string& stop)
{
    struct stat info;
    for (int i = 0; i < kSeconds * 10 && stat(stop.c_str(), &info) != 0; ++i) {
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
    for (int i = 0; i < kSeconds * 5; ++i) {
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
        const std::vector<uint8_t> answer = ReadPacket(fd, kSeconds * 1000);
        if (answer.empty()) return "ok=0\nerror=no answer\nanswers=" + answers + "\n";
        answers += Hex({answer[0]}) + ",";
    }
    tcdrain(fd);
    return "ok=1\nanswers=" + answers + "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s server|client <tty> <outdir> ...\n", argv[0]);
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
    if (mode == "server" || mode == "refuse-put" || mode == "refuse-disconnect" || mode == "stall") {
        OpenObexAnswers answers;
        if (mode == "refuse-put") answers.put = kForbidden;
        if (mode == "refuse-disconnect") answers.disconnect = kForbidden;
        answers.stallPut = mode == "stall";
        OpenObexReceived got = RunOpenObexServer(fd, kMtu, true, kSeconds, answers);
        if (answers.stallPut) StaySilent(fd, outdir + "/stop");
        WriteFile(outdir + "/body.bin", std::string(got.body.begin(), got.body.end()));
        std::string type(got.type.begin(), got.type.end());
        if (!type.empty() && type.back() == '\0') type.pop_back();
        result << "ok=" << got.ok << "\nerror=" << got.error << "\nputs=" << got.puts
               << "\nname=" << Hex(got.name) << "\ntype=" << type
               << "\ntime=" << std::string(got.time.begin(), got.time.end())
               << "\nlength=" << (got.hasLength ? std::to_string(got.length) : "none") << "\n";
    } else if (mode == "client" && argc >= 8) {
        std::ifstream in(argv[4], std::ios::binary);
        OpenObexPut put;
        put.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        put.nameUtf16be = FromHex(argv[5]);
        put.type = argv[6];
        put.time = argv[7];
        put.hasLength = !(argc >= 9 && std::string(argv[8]) == "nolength");
        OpenObexClientResult got = RunOpenObexClient(fd, kMtu, put, kSeconds);
        result << "ok=" << got.ok << "\nerror=" << got.error << "\nconnect=" << got.connectResponse
               << "\nput=" << got.putResponse << "\ndisconnect=" << got.disconnectResponse << "\n";
    } else if (mode == "raw" && argc >= 5) {
        result << RunRaw(fd, argv[4], outdir);
    } else {
        result << "ok=0\nerror=bad arguments\n";
    }
    close(fd);
    WriteFile(outdir + "/result.txt", result.str());
    return 0;
}

// zvx as a user runs it, over pseudo-terminals with libopenobex as the phone.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>
#include <atomic>
#include <thread>

#include "cli/Commands.h"
#include "cli/Platform.h"
#include "transport/posix/SysfsPorts.h"
#include "tests/support/Mp4Bytes.h"
#include "tests/support/posix/OpenObexPeer.h"
#include "tests/support/posix/PtyPair.h"
#include "tests/support/TestFiles.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using Bytes = std::vector<uint8_t>;

constexpr int kMtu = 4096;

void Write(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

Bytes Picture(const char* name) { return ReadTestData(std::string("pictures/") + name); }

Bytes Padded(std::string head)
{
    head.resize(64, '\x11');
    return {head.begin(), head.end()};
}

struct Result {
    int status = -1;
    std::string out, err;
    json Json() const { return json::parse(out.substr(0, out.find('\n'))); }
};

// zvx running in the background in a UTF-8 locale, its output kept in files.
class Zvx {
public:
    // `env`: more of the environment; `in`: standard input; `err`: stderr when not kept in a file.
    explicit Zvx(const std::vector<std::string>& args, const char* tz = "UTC",
                 const std::vector<std::string>& more = {}, const std::string& in = "/dev/null",
                 const std::string& err = "")
        : out_(fs::temp_directory_path() / ("zvx-out-" + std::to_string(getpid()) + "-" + std::to_string(++count_)))
    {
        std::vector<std::string> env = {"LC_ALL=C.UTF-8", std::string("TZ=") + tz};
        env.insert(env.end(), more.begin(), more.end());
        for (char** e = environ; *e; ++e) env.push_back(*e);
        std::vector<char*> argv = {(char*)ZV_ZVX}, envp;
        for (const std::string& a : args) argv.push_back((char*)a.c_str());
        for (const std::string& e : env) envp.push_back((char*)e.c_str());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (out_.string() + ".1").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.empty() ? (out_.string() + ".2").c_str() : err.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY, 0600);
        EXPECT_EQ(0, posix_spawn(&pid_, ZV_ZVX, &actions, nullptr, argv.data(), envp.data()));
        posix_spawn_file_actions_destroy(&actions);
    }
    void Signal(int signal) { kill(pid_, signal); }
    Result Wait()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        Result r;
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        for (auto [file, text] : {std::pair{".1", &r.out}, {".2", &r.err}}) {
            const Bytes bytes = ReadFileBytes(out_.string() + file);
            text->assign(bytes.begin(), bytes.end());
            fs::remove(out_.string() + file);
        }
        return r;
    }

private:
    static inline int count_ = 0;
    fs::path out_;
    pid_t pid_ = -1;
};

Result RunZvx(const std::vector<std::string>& args, const char* tz = "UTC", const std::vector<std::string>& env = {},
             const std::string& in = "/dev/null")
{
    return Zvx(args, tz, env, in).Wait();
}

// A fresh folder for one test, gone afterwards.
struct Scratch {
    Scratch() : dir(fs::temp_directory_path() / ("zvx-test-" + std::to_string(getpid()))) { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
    std::string operator/(const std::string& name) const
    {
        fs::create_directories((dir / name).parent_path());
        return (dir / name).string();
    }
    std::string Folder(const std::string& name) const
    {
        fs::create_directories(dir / name);
        return (dir / name).string();
    }
    fs::path dir;
};

std::vector<fs::path> FilesIn(const fs::path& dir)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

OpenObexPut Push(const std::u16string& name, const Bytes& body)
{
    OpenObexPut put;
    put.nameUtf16be = Utf16BigEndian(name);
    put.body = body;
    return put;
}

std::u16string Utf16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

// What a peer reads from the line, or less when it stays silent for `seconds`.
size_t ReadWithin(int fd, uint8_t* buffer, size_t count, int seconds)
{
    size_t done = 0;
    pollfd wait{fd, POLLIN, 0};
    while (done < count && poll(&wait, 1, seconds * 1000) > 0) {
        const ssize_t n = read(fd, buffer + done, count - done);
        if (n <= 0) break;
        done += (size_t)n;
    }
    return done;
}

}  // namespace

// Every kind in every format it can go in: wrap's object is what the phone receives from send,
// and what comes back from a phone (receive) or a file (unwrap) is the original again.
TEST(Zvx, EveryKindInEveryFormatRoundTrips)
{
    struct Kind { const char* file; Bytes bytes; std::vector<int> formats; bool picture; } kinds[] = {
        {"photo.jpg", Picture("img.jpg"), {1, 2, 3, 4, 5, 6, 7, 8}, true},
        {"clip.3gp", testing_mp4::Movie("mp4v", 176, 144), {1, 2, 3, 4}, false},
        {"anim.gif", Picture("img.gif"), {1, 2, 3, 4, 5, 8}, true},
        {"pic.bmp", Picture("img24.bmp"), {5}, true},
        {"tune.mld", Padded(std::string("melo\0\0\0\x38", 8)), {1, 2, 3, 4, 5}, false},
        {"song.mid", Padded(std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14)), {1, 2, 3, 4}, false},
    };
    for (const Kind& kind : kinds) {
        for (int format : kind.formats) {
            SCOPED_TRACE(std::string(kind.file) + " in format " + std::to_string(format));
            Scratch scratch;
            const std::string file = scratch / kind.file, object = scratch / "object.vnt";
            Write(file, kind.bytes);
            const std::vector<std::string> entries = {"--format", std::to_string(format), "--title", u8"題名",
                                                      "--summary", u8"テスト", "--time", "@1704164645", file};
            std::vector<std::string> args = {"wrap", "-o", object};
            args.insert(args.end(), entries.begin(), entries.end());
            const Result wrapped = RunZvx(args);
            ASSERT_EQ(0, wrapped.status) << wrapped.err;
            const std::string obexName = wrapped.out.substr(0, wrapped.out.find_first_of(" \n"));

            PtyPair pty;
            OpenObexReceived phone;
            std::thread server([&] { phone = RunOpenObexServer(pty.master, kMtu, true); });
            args = {"send", "--port", pty.path};
            args.insert(args.end(), entries.begin(), entries.end());
            const Result sent = RunZvx(args);
            server.join();
            EXPECT_EQ(0, sent.status) << sent.err;
            EXPECT_TRUE(phone.ok) << phone.error;
            EXPECT_EQ(ReadFileBytes(object), phone.body);
            EXPECT_EQ(Utf16BigEndian(Utf16(obexName)), phone.name);

            OpenObexClientResult pushed;
            OpenObexPut push = Push(Utf16(obexName), phone.body);
            push.time.assign(phone.time.begin(), phone.time.end());
            std::thread client([&] { pushed = RunOpenObexClient(pty.master, kMtu, push); });
            const Result received = RunZvx({"receive", "--port", pty.path, "-o", scratch.Folder("in"), "--json"});
            client.join();
            ASSERT_EQ(0, received.status) << received.err;
            EXPECT_TRUE(pushed.ok) << pushed.error;
            const Result unwrapped = RunZvx({"unwrap", object, "--obex-name", obexName, "--time", "@1704164645",
                                          "-o", scratch.Folder("out"), "--json"});
            ASSERT_EQ(0, unwrapped.status) << unwrapped.err;

            const json got = received.Json();
            const Bytes saved = ReadFileBytes(got["path"].get<std::string>());
            EXPECT_EQ(saved, ReadFileBytes(unwrapped.Json()["path"].get<std::string>()));
            EXPECT_EQ(format, got["format"]);
            // DATE or the Time header; P504i objects and bare pictures carry none.
            EXPECT_EQ(format == 5 || format == 8 ? json(nullptr) : json("2024-01-02T03:04:05Z"), got["time"]);
            if (format == 3) {
                EXPECT_EQ(u8"題名", got["title"]);
            }
            if (format == 1 || format == 2 || format == 4) {
                EXPECT_EQ(u8"テスト", got["summary"]);
            }
            if (format == 5 && kind.picture) {
                // P504i pictures travel as 16-bit pixels and come back as a 16-bit bitmap.
                EXPECT_EQ(4, got["kind"]);
                EXPECT_EQ(64, got["width"]);
                EXPECT_EQ(48, got["height"]);
            } else {
                EXPECT_EQ(kind.bytes, saved);
            }
        }
    }
}

TEST(Zvx, SendsSeveralFilesAndReceivesSeveralObjectsWithoutOverwriting)
{
    Scratch scratch;
    PtyPair pty;
    const Bytes jpeg = Picture("img.jpg"), gif = Picture("img.gif");
    Write(scratch / "a.jpg", jpeg);
    Write(scratch / "b.gif", gif);
    std::vector<OpenObexReceived> phone(2);
    std::thread server([&] {
        for (OpenObexReceived& session : phone) session = RunOpenObexServer(pty.master, kMtu, true);
    });
    const Result sent = RunZvx({"send", "--port", pty.path, "--format", "direct", scratch / "a.jpg", scratch / "b.gif"});
    server.join();
    EXPECT_EQ(0, sent.status) << sent.err;
    EXPECT_EQ(jpeg, phone[0].body);
    EXPECT_EQ(gif, phone[1].body);

    // Hostile names stay inside the folder, and nothing there is replaced.
    Write(scratch / "in/box/escape.jpg", {'k', 'e', 'e', 'p'});
    std::thread client([&] {
        for (const char16_t* name : {u"../../escape.jpg", u"..\\..\\escape.jpg", u"escape.jpg"}) {
            EXPECT_TRUE(RunOpenObexClient(pty.master, kMtu, Push(name, jpeg)).ok);
        }
    });
    const Result received =
        RunZvx({"receive", "--port", pty.path, "-o", scratch / "in/box", "--count", "3", "--keep-raw"});
    client.join();
    EXPECT_EQ(0, received.status) << received.err;
    const std::vector<fs::path> files = FilesIn(scratch.dir / "in/box");
    ASSERT_EQ(7u, files.size()) << "the one there before, and each object unwrapped and as it came";
    const Bytes kept = {'k', 'e', 'e', 'p'};
    for (const fs::path& f : files) EXPECT_EQ(f.filename() == "escape.jpg" ? kept : jpeg, ReadFileBytes(f)) << f;
    EXPECT_EQ(3u, FilesIn(scratch.dir).size()) << "a.jpg, b.gif and in/ only";
}

// A line that drops mid-PUT and a Ctrl+C mid-PUT end with the step's result, and nothing saved.
TEST(Zvx, DroppedLineAndCtrlCMidPutEndTheTransfer)
{
    for (bool interrupt : {false, true}) {
        SCOPED_TRACE(interrupt ? "SIGINT" : "line dropped");
        Scratch scratch;
        Write(scratch / "a.jpg", Picture("img.jpg"));
        PtyPair send;
        Zvx sending({"send", "--port", send.path, "--format", "direct", scratch / "a.jpg"});
        OpenObexAnswers stall;
        stall.stallPut = true;
        EXPECT_EQ("stalled", RunOpenObexServer(send.master, 1024, true, 30, stall).error);
        if (interrupt) sending.Signal(SIGINT);
        else send.Drop();
        const Result sent = sending.Wait();
        EXPECT_EQ(interrupt ? 130 : 3, sent.status) << sent.err;
        EXPECT_EQ(interrupt, sent.err.find(u8"送信をキャンセルしました。") != std::string::npos);

        PtyPair receive;
        Zvx receiving({"receive", "--port", receive.path, "-o", scratch.Folder("in")});
        // CONNECT, then a PUT announcing 1024 bytes of which only a few come.
        const uint8_t connect[] = {0x80, 0x00, 0x07, 0x10, 0x00, 0x20, 0x00};
        const uint8_t half[] = {0x02, 0x04, 0x00, 0x48, 0x00, 0x10, 0xFF, 0xD8, 0xFF};
        ASSERT_EQ((ssize_t)sizeof connect, write(receive.master, connect, sizeof connect));
        uint8_t answer[3];
        ASSERT_EQ(3u, ReadWithin(receive.master, answer, 3, 30));
        EXPECT_EQ(0xA0, answer[0]);
        ASSERT_EQ((ssize_t)sizeof half, write(receive.master, half, sizeof half));
        if (interrupt) receiving.Signal(SIGINT);
        else receive.Drop();
        const Result received = receiving.Wait();
        EXPECT_EQ(interrupt ? 130 : 4, received.status) << received.err;
        EXPECT_EQ(interrupt, received.err.find(u8"受信をキャンセルしました。") != std::string::npos);
        EXPECT_TRUE(FilesIn(scratch.dir / "in").empty()) << "not even a temporary file";
    }
}

TEST(Zvx, RefusalsAndTimes)
{
    Scratch scratch;
    const std::string jpeg = scratch / "a.jpg", movie = scratch / "m.3gp", tiny = scratch / "tiny.jpg",
                      text = scratch / "t.vnt", out = scratch / "o.vnt";
    Write(jpeg, Picture("img.jpg"));
    Write(movie, testing_mp4::Movie("mp4v", 176, 144));
    Write(tiny, Bytes(10, 0xFF));
    Write(text, Padded("BEGIN:VNOTE\r\nX-FORMAT:2\r\n"));
    const std::string nec = scratch / "nec.vnt";
    const std::string necText = "X-NEC-TYPE:PNG\r\nBODY;ENCODING=BASE64:YWJj\r\n";
    Write(nec, Bytes(necText.begin(), necText.end()));
    const struct { std::vector<std::string> args; int status; } rows[] = {
        {{"wrap", "--format", "docomo", "--name", "a.jpg", jpeg, "-o", out}, 65},  // no summary
        {{"wrap", "--format", "direct", movie, "-o", out}, 65},                    // not for a movie
        {{"wrap", "--format", "8", "--name", u8"写真.jpg", jpeg, "-o", out}, 65},  // ASCII names only
        {{"wrap", "--format", "9", jpeg, "-o", out}, 64},
        {{"wrap", "--format", "8", "--time", "2024-02-30", jpeg, "-o", out}, 64},
        {{"info", tiny}, 66},
        {{"unwrap", text, "-o", scratch.dir.string()}, 1},
        {{"unwrap", nec, "-o", scratch.dir.string()}, 11},  // as receive: a kind it does not keep
        {{"send", "--format", "8", jpeg}, 64},
        {{"send", "--port", scratch / "none", "--format", "8", jpeg}, 1},
        {{"receive", "--port", scratch / "none"}, 9},
    };
    for (const auto& row : rows) {
        const Result r = RunZvx(row.args);
        EXPECT_EQ(row.status, r.status) << row.args[0] << " " << row.args[2] << ": " << r.err;
    }
    // WHEN forms: Unix time, UTC and local time (Tokyo) all name the same instant.
    for (auto [when, tz] : {std::pair{"@1704164645", "UTC"}, {"2024-01-02T03:04:05Z", "JST-9"},
                            {"2024-01-02 12:04:05", "JST-9"}}) {
        const Result r = RunZvx({"wrap", "--format", "1", "--summary", "s", "--time", when, jpeg, "-o", out, "-f"}, tz);
        EXPECT_EQ(0, r.status) << when;
        EXPECT_EQ("", r.err) << "docomo carries the summary and the date";
        const Bytes object = ReadFileBytes(out);
        EXPECT_NE(std::string::npos, std::string(object.begin(), object.end()).find("DATE:20240102T030405Z")) << when;
    }
    // A J-N51 name is decoded once: the phone's "=3D41" is "=41", not "A".
    ASSERT_EQ(0, RunZvx({"wrap", "--format", "jn51", "--name", "ab.jpg", jpeg, "-o", out, "--force"}).status);
    const Bytes object = ReadFileBytes(out);
    std::string jn51(object.begin(), object.end());
    jn51.replace(jn51.find(":ab.jpg"), 7, ":a=3D41.jpg");
    Write(out, {jn51.begin(), jn51.end()});
    EXPECT_EQ("a=41.jpg", fs::path(RunZvx({"unwrap", out, "-o", scratch.Folder("u"), "--json"}).Json()["path"].get<std::string>()).filename());
    // Entries the format does not carry are named rather than dropped unremarked.
    const Result dropped = RunZvx({"wrap", "--format", "direct", "--title", "t", "--time", "@1704164645", jpeg, "-o", out, "-f"});
    EXPECT_EQ(0, dropped.status);
    for (const char* option : {"--title", "--time"}) EXPECT_NE(std::string::npos, dropped.err.find(option)) << option;
}

// The one rule from results to exit statuses, where no run of zvx reaches it.
TEST(Zvx, ExitStatusOfAResult)
{
    EXPECT_EQ(0, ExitStatus(RECEIVE_OK, false));
    EXPECT_EQ(12, ExitStatus(RECEIVE_CONTENT_REFUSED, false));
    EXPECT_EQ(73, ExitStatus(RECEIVE_NOT_KEPT, false));
    EXPECT_EQ(70, ExitStatus(-1, false)) << "a failure no result stands for";
    EXPECT_EQ(CancelStatus(), ExitStatus(SEND_LINK_LOST, true));
}

TEST(Zvx, PortsFromSysfsPhonesFirst)
{
    Scratch scratch;
    const fs::path sys = scratch.dir / "sys";
    auto port = [&](const char* name, const std::string& device, std::vector<std::pair<std::string, std::string>> files) {
        fs::create_directories(sys / "class" / name);
        fs::create_directories(sys / "devices" / device);
        fs::create_directory_symlink(sys / "devices" / device, sys / "class" / name / "device");
        for (auto& [file, text] : files) std::ofstream(sys / file) << text << "\n";
    };
    port("ttyS0", "pnp/00:01", {{"class/ttyS0/type", "4"}});
    port("ttyS1", "pnp/00:02", {{"class/ttyS1/type", "0"}});  // no UART behind it
    port("ttyUSB0", "usb/1-1/1-1:1.0/ttyUSB0", {{"devices/usb/1-1/product", "USB-Serial"}});
    port("ttyACM0", "usb/1-2/1-2:1.1", {{"devices/usb/1-2/manufacturer", "NEC"},
                                        {"devices/usb/1-2/product", "FOMA N902i"},
                                        {"devices/usb/1-2/1-2:1.1/interface", "OBEX"}});
    fs::create_directories(sys / "class/tty1");  // a virtual console: no device
    const std::vector<PortEntry> ports = PhonePortsFirst(ListSerialPortsIn((sys / "class").string(), "/dev"));
    ASSERT_EQ(3u, ports.size());
    EXPECT_EQ("/dev/ttyACM0", ports[0].name);
    EXPECT_EQ("NEC FOMA N902i (OBEX)", ports[0].description);
    EXPECT_EQ("/dev/ttyS0", ports[1].name);
    EXPECT_EQ("(unknown)", ports[1].description);
    EXPECT_EQ("/dev/ttyUSB0", ports[2].name);
    EXPECT_EQ("USB-Serial", ports[2].description);
}

// A phone hears SUCCESS exactly for what zvx has written to its final name, whatever it does
// after the answer; each row pushes its objects over a pseudo-terminal and reads the answers.
TEST(Zvx, PhoneHearsSuccessExactlyForWhatIsSaved)
{
    const auto put = [](const std::u16string& name, const Bytes& body) {
        const auto word = [](Bytes& to, size_t v) {
            to.push_back((uint8_t)(v >> 8));
            to.push_back((uint8_t)v);
        };
        Bytes p = {0x82, 0, 0, 0x01};
        word(p, 2 * name.size() + 5);
        for (char16_t c : name) word(p, c);
        word(p, 0);
        p.push_back(0x49);
        word(p, body.size() + 3);
        p.insert(p.end(), body.begin(), body.end());
        p[1] = (uint8_t)(p.size() >> 8), p[2] = (uint8_t)p.size();
        return p;
    };
    const Bytes jpeg = Picture("img.jpg");
    const std::u16string kana(100, u'\uFF71');  // ｱ: one Shift_JIS byte, three in UTF-8
    enum After { Disconnect, Quiet, RemoveFolder };
    const std::string hooked = (fs::temp_directory_path() / ("zvx-hook-" + std::to_string(getpid()))).string();
    const struct Row {
        const char* what;
        std::vector<std::string> options;
        std::vector<Bytes> puts;
        After after;
        Bytes heard;
        int status;
        std::vector<std::string> saved;
    } rows[] = {
        // A hook that fails is reported; the file stays.
        {"quiet after the answer", {"--exec", "false"}, {put(u"a.jpg", jpeg)}, Quiet, {0xA0}, 0, {"a.jpg"}},
        {"two objects in one session", {"--count", "2", "--exec", "ls >>" + hooked},
         {put(u"a.jpg", jpeg), put(u"b.jpg", jpeg)}, Disconnect, {0xA0, 0xA0}, 0, {"a.jpg", "b.jpg"}},
        {"one more than --count", {}, {put(u"a.jpg", jpeg), put(u"b.jpg", jpeg)}, Disconnect,
         {0xA0, 0xD3}, 0, {"a.jpg"}},
        {"--keep-raw of an object that does not parse", {"--keep-raw"},
         {put(u"x.vnt", Padded("BEGIN:VNOTE\r\nVERSION:1.1\r\nEND:VNOTE\r\n"))}, Disconnect, {0xCF}, 1,
         {"x.vnt"}},
        {"a name over the file system's limit", {}, {put(kana + u".jpg", jpeg)}, Disconnect, {0xA0}, 0,
         {std::string(83 * 3, '\0') + ".jpg"}},  // 83 whole kana and ".jpg" fit 255 bytes
        {"the folder gone before the object", {}, {put(u"a.jpg", jpeg)}, RemoveFolder, {0xD0}, 73, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Scratch scratch;
        const std::string in = scratch.Folder("in");
        PtyPair pty;
        std::vector<std::string> args = {"receive", "--port", pty.path, "-o", in};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const mode_t mask = umask(027);  // the saved files follow it
        Zvx zvx(args);
        umask(mask);
        // Stray bytes of an earlier session, then the CONNECT.
        const uint8_t connect[] = {0x01, 0x02, 0x03, 0x80, 0x00, 0x07, 0x10, 0x00, 0x20, 0x00};
        ASSERT_EQ((ssize_t)sizeof connect, write(pty.master, connect, sizeof connect));
        uint8_t answer[256];
        ASSERT_EQ(7u, ReadWithin(pty.master, answer, 7, 30));
        if (row.after == RemoveFolder) fs::remove_all(in);
        Bytes heard;
        for (const Bytes& p : row.puts) {
            ASSERT_EQ((ssize_t)p.size(), write(pty.master, p.data(), p.size()));
            if (ReadWithin(pty.master, answer, 3, 30) != 3) break;
            heard.push_back(answer[0]);
            ReadWithin(pty.master, answer, (size_t)(answer[1] << 8 | answer[2]) - 3, 30);
        }
        const uint8_t disconnect[] = {0x81, 0x00, 0x03};
        if (row.after != Quiet) {
            ASSERT_EQ(3, write(pty.master, disconnect, 3));
        }
        const Result r = zvx.Wait();
        EXPECT_EQ(row.heard, heard);
        EXPECT_EQ(row.status, r.status) << r.err;
        EXPECT_EQ(row.options.size() > 1 && row.options[1] == "false",
                  r.err.find("--exec: false") != std::string::npos) << r.err;
        std::vector<std::string> saved;
        for (const fs::path& f : fs::exists(in) ? FilesIn(in) : std::vector<fs::path>{}) {
            saved.push_back(f.filename().string());
            EXPECT_EQ(fs::perms(0640), fs::status(f).permissions() & fs::perms::all) << f;
        }
        ASSERT_EQ(row.saved.size(), saved.size());
        for (size_t i = 0; i < saved.size(); ++i) {
            if (row.saved[i][0] != '\0') EXPECT_EQ(row.saved[i], saved[i]);
            else EXPECT_EQ(row.saved[i].size(), saved[i].size()) << "cut at a whole character";
        }
    }
    // The hook ran once a file, with the file's path.
    const Bytes log = ReadFileBytes(hooked);
    fs::remove(hooked);
    EXPECT_EQ(2, std::count(log.begin(), log.end(), '\n'));
    EXPECT_NE(std::string::npos, std::string(log.begin(), log.end()).find("/in/b.jpg"));
    // A folder it cannot write is named before any phone is waited for.
    const Result proc = RunZvx({"receive", "--port", "/dev/null", "-o", "/proc"});
    EXPECT_EQ(73, proc.status);
    EXPECT_NE(std::string::npos, proc.err.find("/proc")) << proc.err;
}

// Each usage error and refusal names the thing, the cause and the way out, in Japanese.
TEST(Zvx, ErrorsNameTheThingAndTheWayOut)
{
    Scratch scratch;
    const std::string jpeg = scratch / "a.jpg", out = scratch / "o.vnt", folder = scratch.Folder("f"),
                      plain = scratch / "plain", name18 = scratch / "abcdefghijklmn.3gp",
                      name19 = scratch / "abcdefghijklmno.3gp";
    Write(jpeg, Picture("img.jpg"));
    Write(plain, Picture("img.jpg"));
    Write(name18, testing_mp4::Movie("mp4v", 176, 144));
    Write(name19, testing_mp4::Movie("mp4v", 176, 144));
    Write(out, {'o'});
    PtyPair busy;
    ASSERT_EQ(0, flock(busy.keep, LOCK_EX | LOCK_NB)) << "another program holds the port";
    const std::vector<std::string> send = {"send", "--format", "8", jpeg};
    auto sendTo = [&](const std::string& port) { return std::vector<std::string>{"send", "--port", port, "--format", "8", jpeg}; };
    const struct { std::vector<std::string> args, env; const char* fragment; int status; } rows[] = {
        {{"sned"}, {}, u8"不明なコマンドです: sned (send のことですか?)\nzvx --help", 64},
        {{"-v"}, {}, u8"コマンド (info、wrap", 64},
        {{"send", "--formt", "docomo", jpeg}, {}, u8"不明なオプションです: --formt (--format のことですか?)\nzvx send --help", 64},
        {{"wrap", "--format", "1", jpeg, "-o", out, "extra"}, {}, u8"余分な引数です: extra", 64},
        {{"help", "send"}, {}, "--keep-going", 0},
        {{"-V"}, {}, "zvx 1.", 0},
        {send, {}, u8"--port を指定してください", 64},
        {send, {"ZVX_PORT=" + scratch / "none"}, u8"そのようなデバイスはありません", 1},
        {sendTo("/dev/null"), {}, u8"/dev/null: 指定の通信ポートが使用できません。シリアルポートではありません", 1},
        {sendTo(folder), {}, u8"シリアルポートではありません", 1},
        {sendTo(plain), {}, u8"シリアルポートではありません", 1},
        {sendTo(busy.path), {}, u8"ほかのプログラムが使用中です", 1},
        {sendTo(busy.path), {"ZVX_SPEED=fast"}, u8"ZVX_SPEED: 通信速度が不正です: fast", 64},
        {{"info", scratch / "none"}, {}, u8"none: ファイルがありません。", 66},
        {{"info", folder}, {}, u8"フォルダです", 66},
        {{"send", "--port", "x", "--format", "8", folder}, {}, u8"--recursive を指定してください", 66},
        {{"send", "--port", "x", "--format", "8", "--name", "a.jpg", jpeg, jpeg}, {}, u8"--name: ファイルが複数", 64},
        {{"wrap", "--format", "docomo", "--name", "a.jpg", jpeg, "-o", out}, {}, u8"--summary: サマリーを入力してください。", 65},
        {{"wrap", "--format", "direct", name18, "-o", out}, {}, u8"--format: ", 65},
        {{"wrap", "--format", "docomo", "--summary", "s", name19, "-o", out}, {}, u8"--name: ファイル名は18バイトまでです (19 バイト", 65},
        {{"wrap", "--format", "docomo", "--summary", "s", name18, "-o", out}, {}, u8"--force", 73},
        {{"wrap", "--format", "docomo", "--summary", "s", name18, "-o", out, "--force"}, {}, "", 0},
        {{"wrap", "--format", "8", jpeg, "-o", folder}, {}, u8"f: フォルダです。", 73},
        {{"wrap", "--format", "8", jpeg, "-o", (scratch.dir / "gone/o.vnt").string()}, {}, u8"保存先のフォルダがありません。", 73},
        {{"receive", "--port", "x", "--count", "2", "--forever"}, {}, u8"--count と --forever", 64},
    };
    for (const auto& row : rows) {
        const Result r = RunZvx(row.args, "UTC", row.env);
        SCOPED_TRACE(row.args[0] + " " + (row.args.size() > 1 ? row.args[1] : ""));
        EXPECT_EQ(row.status, r.status) << r.err;
        EXPECT_NE(std::string::npos, (r.out + r.err).find(row.fragment)) << r.out << r.err;
    }
}

// 50 files from a folder and its subfolder in natural order, one of them no picture at all:
// --keep-going sends the other 49, reports the one, and ends with its status and a summary.
TEST(Zvx, BatchFromAFolderKeepsGoingPastABadFile)
{
    Scratch scratch;
    std::vector<Bytes> sentBodies;
    for (int i = 1; i <= 50; ++i) {
        Bytes body = Picture("img.jpg");
        body.push_back((uint8_t)i);  // after the end of the picture: tells the files apart
        const std::string name = (i > 40 ? "in/sub/img" : "in/img") + std::to_string(i) + ".jpg";
        Write(scratch / name, i == 25 ? Padded("not a picture") : body);
        if (i != 25) sentBodies.push_back(body);
    }
    PtyPair pty;
    std::vector<OpenObexReceived> phone(49);
    std::thread server([&] {
        for (OpenObexReceived& session : phone) session = RunOpenObexServer(pty.master, kMtu, true);
    });
    const Result r = RunZvx({"send", "--port", pty.path, "--format", "direct", "-r", "--keep-going", "--json",
                             scratch.dir / "in"});
    server.join();
    EXPECT_EQ(65, r.status) << r.err;
    for (size_t i = 0; i < phone.size(); ++i) EXPECT_EQ(sentBodies[i], phone[i].body) << "file " << i;
    EXPECT_NE(std::string::npos, r.err.find(u8"img25.jpg: --format: ")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(u8"50 ファイル中 49 ファイルを送信しました (失敗 1")) << r.err;
    std::vector<json> records;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) records.push_back(json::parse(line));
    ASSERT_EQ(51u, records.size());
    for (size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(i == 24 ? json("failed") : json("ok"), records[i]["status"]) << i;
        EXPECT_EQ(i == 24 ? 65 : 0, records[i]["code"]) << i;
    }
    EXPECT_EQ((json{{"status", "failed"}, {"code", 65}, {"files", 50}, {"sent", 49}, {"failed", 1}}), records[50]);
}

// "-": an object or a list on standard input, an object on standard output.
TEST(Zvx, StandardInputAndOutput)
{
    Scratch scratch;
    const std::string jpeg = scratch / "a.jpg", object = scratch / "o.vnt", piped = scratch / "piped.vnt";
    Write(jpeg, Picture("img.jpg"));
    const std::vector<std::string> entries = {"--format", "direct", "--name", "cam.jpg"};
    std::vector<std::string> args = {"wrap", jpeg, "-o", object};
    args.insert(args.end(), entries.begin(), entries.end());
    ASSERT_EQ(0, RunZvx(args).status);
    args = {"wrap", "-", "-o", "-"};
    args.insert(args.end(), entries.begin(), entries.end());
    const Result wrapped = RunZvx(args, "UTC", {}, jpeg);
    EXPECT_EQ(0, wrapped.status) << wrapped.err;
    EXPECT_EQ(ReadFileBytes(object), Bytes(wrapped.out.begin(), wrapped.out.end()));
    EXPECT_EQ("cam.jpg\n", wrapped.err) << "the OBEX name goes to stderr beside the object";
    Write(piped, Bytes(wrapped.out.begin(), wrapped.out.end()));
    const Result unwrapped = RunZvx({"unwrap", "-", "--obex-name", "cam.jpg", "-o", scratch.Folder("u"), "--json"}, "UTC", {}, piped);
    ASSERT_EQ(0, unwrapped.status) << unwrapped.err;
    EXPECT_EQ(ReadFileBytes(jpeg), ReadFileBytes(unwrapped.Json()["path"].get<std::string>()));
    EXPECT_EQ("ok", unwrapped.Json()["status"]);

    const std::string list = scratch / "list";
    std::ofstream(list) << jpeg << "\r\n\n" << jpeg << "\n";
    PtyPair pty;
    std::vector<OpenObexReceived> phone(2);
    std::thread server([&] {
        for (OpenObexReceived& session : phone) session = RunOpenObexServer(pty.master, kMtu, true);
    });
    const Result sent = RunZvx({"send", "--port", pty.path, "--format", "direct", "--files-from", "-"}, "UTC", {}, list);
    server.join();
    EXPECT_EQ(0, sent.status) << sent.err;
    for (const OpenObexReceived& session : phone) EXPECT_EQ(ReadFileBytes(jpeg), session.body);
    EXPECT_NE(std::string::npos, sent.out.find("[2/2] " + jpeg)) << sent.out;
}

// Names that are not UTF-8 and texts with escape sequences are shown, never obeyed or dropped.
TEST(Zvx, NamesThatAreNotUtf8AndControlsInTexts)
{
    Scratch scratch;
    const std::string sjis = scratch / "\x95\x5c\x83\x5c.jpg", out = scratch / "o.vnt";
    Write(sjis, Picture("img.jpg"));
    const Result info = RunZvx({"info", "--json", sjis, sjis});
    ASSERT_EQ(0, info.status) << info.err;
    EXPECT_EQ(u8"\uFFFD\\\uFFFD\\.jpg", fs::path(info.Json()["path"].get<std::string>()).filename());
    EXPECT_EQ("955c835c2e6a7067", info.Json()["pathBytes"].get<std::string>().substr(info.Json()["pathBytes"].get<std::string>().size() - 16));
    EXPECT_EQ(2, std::count(info.out.begin(), info.out.end(), '\n')) << "the file after it too";
    EXPECT_NE(std::string::npos, RunZvx({"wrap", "--format", "direct", sjis, "-o", out}).err.find(u8"--name: ファイルの名前を Shift_JIS で表せません"));

    ASSERT_EQ(0, RunZvx({"wrap", "--format", "docomo", "--name", "a.jpg", "--summary", "\x1b]0;PWNED\x07\x1b[31m", sjis, "-o", out}).status);
    const Result shown = RunZvx({"unwrap", out, "-o", scratch.Folder("u")});
    EXPECT_EQ(0, shown.status) << shown.err;
    EXPECT_NE(std::string::npos, shown.out.find(u8"サマリー: ?]0;PWNED??[31m")) << shown.out;
}

// On a terminal of 60 columns each file's progress line stays one line of at most 59 columns,
// redrawn in place, whatever the length of the file's name.
TEST(Zvx, ProgressLineFitsTheTerminal)
{
    Scratch scratch;
    Bytes body = Picture("img.jpg");
    body.resize(body.size() + 200000);
    const std::string longName = scratch / "a-rather-long-file-name-of-a-picture.jpg", shortName = scratch / "b.jpg";
    Write(longName, body);
    Write(shortName, body);
    PtyPair line, terminal;
    const winsize size{24, 60, 0, 0};
    ASSERT_EQ(0, ioctl(terminal.master, TIOCSWINSZ, &size));
    std::string shown;
    std::atomic<bool> over{false};
    std::thread reader([&] {
        char buffer[4096];
        pollfd wait{terminal.master, POLLIN, 0};
        while (poll(&wait, 1, 200) > 0 || !over) {
            const ssize_t n = (wait.revents & POLLIN) ? read(terminal.master, buffer, sizeof buffer) : 0;
            if (n > 0) shown.append(buffer, (size_t)n);
        }
    });
    std::thread server([&] {
        for (int i = 0; i < 2; ++i) EXPECT_TRUE(RunOpenObexServer(line.master, kMtu, true).ok);
    });
    const Result r = Zvx({"send", "--port", line.path, "--format", "f2051", "--title", "t", longName, shortName},
                         "UTC", {}, "/dev/null", terminal.path).Wait();
    server.join();
    over = true;
    reader.join();
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(3, std::count(shown.begin(), shown.end(), '\n')) << "a line a file and the summary:\n" << shown;
    EXPECT_NE(std::string::npos, shown.find("\r[1/2] a-rather-long")) << shown;
    EXPECT_NE(std::string::npos, shown.find("\r[2/2] b.jpg 293766")) << shown;
    std::replace(shown.begin(), shown.end(), '\n', '\r');  // the summary is a line of its own
    std::istringstream segments(shown);
    for (std::string segment; std::getline(segments, segment, '\r');) {
        if (segment.compare(0, 1, "[") != 0) continue;
        size_t columns = 0;  // a wide character takes two, a half-width one (U+FF61..) one
        for (size_t i = 0; i < segment.size(); ++i) {
            const unsigned char c = (unsigned char)segment[i];
            if ((c & 0xC0) == 0x80) continue;
            const bool halfWidth = c == 0xEF && (unsigned char)segment[i + 1] >= 0xBD;
            columns += c >= 0xE1 && !halfWidth ? 2 : 1;
        }
        EXPECT_LE(columns, 59u) << segment;
    }
}

// A send never waits for ever, and a cancel in the middle of a PUT tells the phone with an ABORT
// and exits as shells expect (128 + the signal); what an earlier session left on the line does
// not disturb the next one.
TEST(Zvx, SendsEndWithinTheirLimitsAndCancelsAbort)
{
    const auto packet = [](int fd) {  // one whole packet from the program, or what came
        Bytes p(3);
        if (ReadWithin(fd, p.data(), 3, 10) != 3) return Bytes{};
        p.resize((size_t)(p[1] << 8 | p[2]));
        if (p.size() > 3) ReadWithin(fd, p.data() + 3, p.size() - 3, 10);
        return p;
    };
    const Bytes connected = {0xA0, 0x00, 0x07, 0x10, 0x00, 0x01, 0x00};  // packets of 256 bytes
    const Bytes more = {0x90, 0x00, 0x03}, done = {0xA0, 0x00, 0x03};
    enum Phone { Silent, SilentMidPut, Signalled };
    const struct Row {
        const char* what;
        Phone phone;
        std::vector<std::string> options;
        int signal;  // sent once the first PUT packet is in
        int status;
        const char* message;
    } rows[] = {
        {"no answer to CONNECT", Silent, {"--timeout", "1"}, 0, 2, u8"接続する相手が見つかりませんでした。"},
        {"silent in the middle of the PUT", SilentMidPut, {"--silence", "1"}, 0, 3,
         u8"予期しない接続解除が行われました。"},
        {"SIGINT mid-PUT", Signalled, {}, SIGINT, 130, u8"送信をキャンセルしました。"},
        {"SIGTERM mid-PUT", Signalled, {}, SIGTERM, 143, u8"送信をキャンセルしました。"},
        {"SIGHUP mid-PUT", Signalled, {}, SIGHUP, 129, u8"送信をキャンセルしました。"},
    };
    Scratch scratch;
    Write(scratch / "a.jpg", Picture("img.jpg"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PtyPair pty;
        ASSERT_EQ(3, write(pty.master, "\x01\x02\x03", 3));  // stray bytes of an earlier session
        std::vector<std::string> args = {"send", "--port", pty.path, "--format", "direct", scratch / "a.jpg"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const auto start = std::chrono::steady_clock::now();
        Zvx zvx(args);
        bool aborted = false;
        if (row.phone != Silent) {
            ASSERT_EQ(0x80, packet(pty.master).at(0));
            ASSERT_EQ(7, write(pty.master, connected.data(), connected.size()));
            ASSERT_EQ(0x02, packet(pty.master).at(0));  // the first packet of the PUT
            if (row.phone == Signalled) {
                zvx.Signal(row.signal);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the signal is taken
                ASSERT_EQ(3, write(pty.master, more.data(), more.size()));
                aborted = packet(pty.master).at(0) == 0xFF;
                ASSERT_EQ(3, write(pty.master, done.data(), done.size()));
            }
        }
        const Result r = zvx.Wait();
        EXPECT_EQ(row.status, r.status) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(row.message)) << r.err;
        EXPECT_EQ(row.phone == Signalled, aborted) << "the phone heard ABORT";
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    }
}

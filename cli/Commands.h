// zvx's commands, once their arguments are parsed. Each returns the exit status: 0, ExitStatus of
// the transfer's, writer's or reader's result that failed, or one of kExit* (cli/Media.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/SerialSettingsRules.h"
#include "cli/Console.h"
#include "cli/Media.h"

// The files a command works on, as given: arguments ("-": standard input), folders, a list.
struct FileList {
    std::vector<std::string> args;
    std::string from;        // --files-from: one path a line ("-": standard input), or empty
    bool recursive = false;  // a folder stands for the files in it and in its folders
};
// The files in the order given, a folder's sorted by name (digits by value) without the names
// starting with '.'. 0, or an exit status with `subject` and `message` naming what failed.
int CollectFiles(const FileList& list, std::vector<std::string>* files, std::string* subject,
                 std::string* message);

int RunInfo(const FileList& list, bool json);

// `out` "-": standard output. An existing `out` is replaced only with `force`.
int RunWrap(const std::string& file, const SendEntries& entries, const std::string& out,
            bool force);

struct UnwrapCommand {
    std::string object;
    std::optional<std::string> obexName;  // Shift_JIS; default: the object file's own name
    std::optional<int32_t> time;          // the Time header it came with
    std::string dir = ".";
    bool json = false;
};
int RunUnwrap(const UnwrapCommand& command);

struct LinkOptions {
    std::string port;       // a serial port, or empty with `irda`
    uint32_t speed = 115200;
    bool irda = false;
    bool json = false;
    uint32_t connectLimitMs = 0;   // how long the phone may take to connect; 0: for ever
    uint32_t silenceLimitMs = 0;   // silence tolerated mid-transfer; 0: for ever
};

// One session a file. Without `keepGoing`, every file is checked before the port opens and
// the first failure ends the batch; with it, a file that fails is reported and the rest go on
// (a port that cannot open, a phone that is not there and a cancel still end the batch).
int RunSend(const LinkOptions& link, const FileList& list, const SendEntries& entries,
            bool keepGoing, CancelSignal& cancel);

struct ReceiveOptions {
    std::string dir = ".";
    uint32_t count = 1;
    bool forever = false;
    bool keepRaw = false;
    std::string exec;  // run with each saved file's path once the session is over
};
int RunReceive(const LinkOptions& link, const ReceiveOptions& options, CancelSignal& cancel);

// The exit status of a send or receive result (or the writer's or reader's): the result itself,
// but kExitNoOutput for RECEIVE_NOT_KEPT, kExitInternal for -1 and the cancel status when
// `cancelled`.
int ExitStatus(int32_t result, bool cancelled);

// Ports whose description names OBEX or a phone come first, the rest keep their order.
std::vector<PortEntry> PhonePortsFirst(std::vector<PortEntry> ports);
int RunPorts(bool json);

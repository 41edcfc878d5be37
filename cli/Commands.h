// zvx's commands, once their arguments are parsed. Each returns the exit status: 0, the result
// of the transfer or reader that failed (1 to 10), or one of kExit* (cli/Media.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/SerialSettingsRules.h"
#include "cli/Console.h"
#include "cli/Media.h"

int RunInfo(const std::vector<std::string>& files, bool json);

int RunWrap(const std::string& file, const SendEntries& entries, const std::string& out);

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
};

int RunSend(const LinkOptions& link, const std::vector<std::string>& files,
            const SendEntries& entries, CancelSignal& cancel);

struct ReceiveOptions {
    std::string dir = ".";
    uint32_t count = 1;
    bool forever = false;
    bool keepRaw = false;
};
int RunReceive(const LinkOptions& link, const ReceiveOptions& options, CancelSignal& cancel);

// Ports whose description names OBEX or a phone come first, the rest keep their order.
std::vector<PortEntry> PhonePortsFirst(std::vector<PortEntry> ports);
int RunPorts(bool json);

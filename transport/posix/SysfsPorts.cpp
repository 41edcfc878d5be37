#include "transport/posix/SysfsPorts.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

#include "core/posix/CodePage.h"

namespace {

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string RealPath(const std::string& path)
{
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? real : "";
}

std::string Describe(const std::string& device)
{
    std::string product, interface;
    std::string dir = device;
    // A USB serial port sits below its interface, which sits below the USB device.
    for (int up = 0; up < 4 && product.empty() && dir.size() > 1; ++up) {
        if (interface.empty()) interface = FirstLine(dir + "/interface");
        product = FirstLine(dir + "/product");
        if (!product.empty()) {
            const std::string maker = FirstLine(dir + "/manufacturer");
            if (!maker.empty()) product = maker + " " + product;
        }
        dir.resize(dir.rfind('/'));
    }
    if (!product.empty()) return interface.empty() ? product : product + " (" + interface + ")";
    const std::string driver = RealPath(device + "/driver");
    return driver.empty() ? "(unknown)" : driver.substr(driver.rfind('/') + 1);
}

}  // namespace

std::vector<PortEntry> ListSerialPortsIn(const std::string& classDir, const std::string& devDir)
{
    std::vector<PortEntry> ports;
    DIR* dir = opendir(classDir.c_str());
    if (!dir) return ports;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string base = classDir + "/" + name;
        // Virtual consoles and pseudo-terminals have no device; "0" is a serial port without
        // a UART behind it (most ttyS names on a PC).
        const std::string device = RealPath(base + "/device");
        if (name[0] == '.' || device.empty() || FirstLine(base + "/type") == "0") continue;
        ports.push_back({devDir + "/" + name, Recode("CP932", "UTF-8", Describe(device))});
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
    });
    return ports;
}

std::vector<PortEntry> ListSerialPorts() { return ListSerialPortsIn("/sys/class/tty", "/dev"); }

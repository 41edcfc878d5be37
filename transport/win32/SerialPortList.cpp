#include "transport/win32/SerialPortList.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/NameValueTable.h"

namespace {

const char kPortsClass[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
const char kModemClass[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char kUnknown[] = "(unknown)";

constexpr DWORD kClassGuidBytes = 39;
constexpr DWORD kPortNameBytes = 100;
constexpr DWORD kDriverBytes = 100;
constexpr DWORD kDescriptionBytes = 200;

// A registry key closed on every path.
class Key {
public:
    Key() = default;
    Key(HKEY parent, const char* path)
    {
        if (parent && RegOpenKeyExA(parent, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~Key()
    {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // Reads a value of at most `size` bytes as text, whatever its type, always terminated
    // (registry data need not end with a NUL). False when absent or longer than `size`.
    bool ReadText(const char* name, std::vector<char>& text, DWORD size) const
    {
        text.assign(size + 1, '\0');
        if (!key_) return false;
        DWORD length = size;
        if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                             &length) != ERROR_SUCCESS) {
            text.assign(size + 1, '\0');
            return false;
        }
        text[length < size ? length : size] = '\0';
        return true;
    }

    // Names of the subkeys, enumerated by index.
    std::vector<std::vector<char>> SubkeyNames() const
    {
        std::vector<std::vector<char>> names;
        DWORD subkeys = 0, longest = 0;
        if (!key_ || RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &subkeys, &longest,
                                      nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr) != ERROR_SUCCESS) {
            return names;
        }
        for (DWORD i = 0; i < subkeys; ++i) {
            std::vector<char> name(longest + 2, '\0');
            DWORD length = longest + 1;
            if (RegEnumKeyExA(key_, i, name.data(), &length, nullptr, nullptr, nullptr,
                              nullptr) == ERROR_SUCCESS) {
                names.push_back(std::move(name));
            }
        }
        return names;
    }

private:
    HKEY key_ = nullptr;
};

bool IsPortClass(const char* guid)
{
    return lstrcmpiA(guid, kPortsClass) == 0 || lstrcmpiA(guid, kModemClass) == 0;
}

// Whether "Hardware\DeviceMap\SerialComm" lists `port` among its value data.
bool IsPortPresent(HKEY machine, const char* port)
{
    Key serialComm(machine, "Hardware\\DeviceMap\\SerialComm");
    if (!serialComm) return false;
    DWORD values = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(serialComm.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &values, &longestName, &longestData, nullptr,
                         nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<char> name(longestName + 2);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLength = longestName + 1;
        DWORD dataLength = longestData + 1;
        std::fill(data.begin(), data.end(), 0);
        if (RegEnumValueA(serialComm.get(), i, name.data(), &nameLength, nullptr, nullptr,
                          data.data(), &dataLength) != ERROR_SUCCESS) {
            continue;
        }
        data[dataLength <= longestData ? dataLength : longestData + 1] = 0;
        if (lstrcmpiA(reinterpret_cast<const char*>(data.data()), port) == 0) return true;
    }
    return false;
}

// "@oem.inf,%desc%;USB Serial Port" -> "USB Serial Port". A description without ";", or with
// nothing after its first ";", stays as it is.
void KeepPlainName(std::vector<char>& description)
{
    for (char* c = description.data(); *c; ++c) {
        if (IsDBCSLeadByte((BYTE)*c)) {
            if (!c[1]) break;
            ++c;
            continue;
        }
        if (*c == ';') {
            if (c[1]) {
                std::vector<char> rest(c + 1, c + 1 + std::strlen(c + 1) + 1);
                description.swap(rest);
            }
            return;
        }
    }
}

// Calls visit(instanceKey) for every instance key three levels under `root`.
template <typename Visit>
void WalkInstances(HKEY machine, const char* root, Visit visit)
{
    Key tree(machine, root);
    for (const auto& enumerator : tree.SubkeyNames()) {
        Key enumeratorKey(tree.get(), enumerator.data());
        for (const auto& device : enumeratorKey.SubkeyNames()) {
            Key deviceKey(enumeratorKey.get(), device.data());
            for (const auto& instance : deviceKey.SubkeyNames()) {
                Key instanceKey(deviceKey.get(), instance.data());
                if (instanceKey) visit(instanceKey);
            }
        }
    }
}

void WalkNt(const SerialPortList::System& system, NameValueTable& table)
{
    WalkInstances(system.machine, "SYSTEM\\CurrentControlSet\\Enum", [&](const Key& instance) {
        std::vector<char> text;
        if (!instance.ReadText("ClassGUID", text, kClassGuidBytes) || !IsPortClass(text.data())) {
            return;
        }
        // PortSubClass 0 marks a parallel port; a class key without it is taken as serial.
        BYTE subClass = 1;
        if (instance.ReadText("Driver", text, kDriverBytes)) {
            char path[64 + kDriverBytes];
            std::snprintf(path, sizeof path, "SYSTEM\\CurrentControlSet\\Control\\Class\\%s",
                          text.data());
            Key driver(system.machine, path);
            DWORD length = 1;
            if (!driver || RegQueryValueExA(driver.get(), "PortSubClass", nullptr, nullptr,
                                            &subClass, &length) != ERROR_SUCCESS) {
                subClass = 1;
            }
        }
        if (subClass == 0) return;

        Key parameters(instance.get(), "Device Parameters");
        std::vector<char> port, description;
        if (!instance.ReadText("DeviceDesc", description, kDescriptionBytes)) {
            description.assign(kUnknown, kUnknown + sizeof kUnknown);
        }
        if (!parameters.ReadText("PortName", port, kPortNameBytes) || !port[0]) return;
        if (!IsPortPresent(system.machine, port.data())) return;
        if (system.majorVersion >= 6) KeepPlainName(description);
        table.Set(port.data(), description.data());
    });
}

void Walk9x(const SerialPortList::System& system, NameValueTable& table)
{
    WalkInstances(system.machine, "Enum", [&](const Key& instance) {
        std::vector<char> text;
        if (!instance.ReadText("ClassGUID", text, kClassGuidBytes) || !IsPortClass(text.data())) {
            return;
        }
        std::vector<char> port, description;
        if (!instance.ReadText("DeviceDesc", description, kDescriptionBytes)) {
            description.assign(kUnknown, kUnknown + sizeof kUnknown);
        }
        if (!instance.ReadText("PortName", port, kPortNameBytes) || !port[0]) return;
        if (!IsPortPresent(system.machine, port.data())) return;
        table.Set(port.data(), description.data());
    });
}

}  // namespace

SerialPortList::SerialPortList()
{
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    System system{VER_PLATFORM_WIN32_NT, 0, HKEY_LOCAL_MACHINE};
    if (GetVersionExA(&version)) {
        system.platformId = version.dwPlatformId;
        system.majorVersion = version.dwMajorVersion;
    }
    Build(system);
}

SerialPortList::SerialPortList(const System& system)
{
    Build(system);
}

SerialPortList::~SerialPortList() = default;

void SerialPortList::Build(const System& system)
{
    NameValueTable table;
    if (system.platformId == VER_PLATFORM_WIN32_NT) {
        WalkNt(system, table);
    } else {
        Walk9x(system, table);
    }

    int32_t count = table.GetCount();
    std::vector<const char*> work((size_t)count);
    table.GetNames(work.data(), count);
    names_.reserve((size_t)count);
    descriptions_.reserve((size_t)count);
    // Shortest name first, equal lengths in lstrcmpA order: COM2 before COM10.
    for (int32_t out = 0; out < count; ++out) {
        int32_t best = -1;
        for (int32_t i = 0; i < count; ++i) {
            if (!work[(size_t)i]) continue;
            if (best < 0) {
                best = i;
                continue;
            }
            size_t a = std::strlen(work[(size_t)i]), b = std::strlen(work[(size_t)best]);
            if (a < b || (a == b && lstrcmpA(work[(size_t)i], work[(size_t)best]) < 0)) best = i;
        }
        names_.emplace_back(work[(size_t)best]);
        descriptions_.emplace_back(table.Get(work[(size_t)best]));
        work[(size_t)best] = nullptr;
    }
}

const char* SerialPortList::GetPortName(int32_t index) const
{
    return index >= 0 && index < GetPortCount() ? names_[(size_t)index].c_str() : nullptr;
}

const char* SerialPortList::GetPortDescription(int32_t index) const
{
    return index >= 0 && index < GetPortCount() ? descriptions_[(size_t)index].c_str() : nullptr;
}

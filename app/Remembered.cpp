#include "app/Remembered.h"

#include <cstring>

#include "app/SendSettingsRules.h"
#include "core/CodePage.h"
#include "core/MediaObject.h"

namespace {

constexpr size_t kMaxPortName = 63;
constexpr uint32_t kMaxSpeed = 99999999;  // the manual edit takes 8 digits
constexpr size_t kMaxPath = 260;          // MAX_PATH, the terminator included

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

bool SameNameNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

bool DriveRooted(const std::string& f)
{
    const char d = AsciiUpper(f[0]);
    return f.size() >= 3 && d >= 'A' && d <= 'Z' && f[1] == ':' && f[2] == '\\';
}

bool UncRooted(const std::string& f)
{
    return f.size() >= 3 && f[0] == '\\' && f[1] == '\\' && f[2] != '\\';
}

}  // namespace

std::optional<std::string> StoredText(const std::string& raw)
{
    // What the store gives back may or may not end in the terminator written with it.
    std::string text = raw;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    if (text.empty() || text.find('\0') != std::string::npos) return std::nullopt;
    return text;
}

bool RememberablePort(const std::string& name)
{
    if (name.empty() || name.size() > kMaxPortName) return false;
    for (unsigned char c : name) {
        if (c <= 0x20 || c >= 0x7F) return false;
    }
    return true;
}

bool RememberableSpeed(uint32_t speed) { return speed >= 1 && speed <= kMaxSpeed; }

bool RememberableFormat(int32_t format)
{
    return format >= FORMAT_DOCOMO && format <= FORMAT_DIRECT;
}

bool RememberableFolder(const std::string& folder)
{
    if (folder.size() >= kMaxPath || !(DriveRooted(folder) || UncRooted(folder))) return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        const unsigned char c = (unsigned char)folder[i];
        if (IsAnsiLeadByte(c)) {
            // A trail byte may be '\\' or '|'; it belongs to its character.
            if (++i == folder.size() || folder[i] == '\0') return false;
            continue;
        }
        if (c < 0x20 || std::strchr("*?\"<>|", c)) return false;
    }
    return true;
}

PortPreselection PreselectedPort(const std::vector<PortEntry>& ports,
                                 const std::optional<std::string>& remembered)
{
    if (remembered) {
        for (size_t i = 0; i < ports.size(); ++i) {
            if (SameNameNoCase(ports[i].name, *remembered)) return {(int32_t)i, true};
        }
    }
    return {InitialPortIndex(ports), false};
}

int32_t PreselectedFormat(int32_t objectFormat, int32_t kind, std::optional<int32_t> remembered)
{
    if (objectFormat != FORMAT_LOCAL_FILE || !remembered || !RememberableFormat(*remembered)) {
        return objectFormat;
    }
    const KindFormats formats = FormatsForKind(kind);
    if (!formats.known || formats.forcedFormat) return objectFormat;
    for (int i = 0; i < kFormatButtonCount; ++i) {
        if (kFormatButtons[i].format == *remembered) {
            return formats.enabled[i] ? *remembered : objectFormat;
        }
    }
    return objectFormat;
}

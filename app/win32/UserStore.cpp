#include "app/win32/UserStore.h"

#include <windows.h>

#include "app/Remembered.h"

namespace UserStore {

const char kKey[] = "Software\\Zorvex for Windows";

namespace {

const char kSerialPort[] = "SerialPort";
const char kSerialSpeed[] = "SerialSpeed";
const char kSendFormat[] = "SendFormat";
const char kReceiveFolder[] = "ReceiveFolder";

// Opens the key for reading, or creates it for writing; closes it on every path.
class Key {
public:
    explicit Key(bool write)
    {
        const LONG status =
            write ? RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                    &key_, nullptr)
                  : RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key()
    {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::optional<std::string> ReadText(const Key& key, const char* name)
{
    if (!key.Handle()) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Handle(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0 || size > 1024) {
        return std::nullopt;
    }
    std::string raw(size, '\0');
    if (RegQueryValueExA(key.Handle(), name, nullptr, &type, (BYTE*)&raw[0], &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    raw.resize(size);
    return StoredText(raw);
}

std::optional<uint32_t> ReadNumber(const Key& key, const char* name)
{
    if (!key.Handle()) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.Handle(), name, nullptr, &type, (BYTE*)&value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return (uint32_t)value;
}

void WriteText(const Key& key, const char* name, const std::string& text)
{
    if (key.Handle()) {
        RegSetValueExA(key.Handle(), name, 0, REG_SZ, (const BYTE*)text.c_str(),
                       (DWORD)text.size() + 1);
    }
}

void WriteNumber(const Key& key, const char* name, uint32_t value)
{
    const DWORD v = value;
    if (key.Handle()) RegSetValueExA(key.Handle(), name, 0, REG_DWORD, (const BYTE*)&v, sizeof v);
}

}  // namespace

RememberedLine LoadSerialLine()
{
    const Key key(false);
    RememberedLine line;
    line.port = ReadText(key, kSerialPort);
    if (line.port && !RememberablePort(*line.port)) line.port.reset();
    line.speed = ReadNumber(key, kSerialSpeed);
    if (line.speed && !RememberableSpeed(*line.speed)) line.speed.reset();
    return line;
}

void StoreSerialLine(const SerialLine& line)
{
    if (!RememberablePort(line.port) || !RememberableSpeed(line.speed)) return;
    const Key key(true);
    WriteText(key, kSerialPort, line.port);
    WriteNumber(key, kSerialSpeed, line.speed);
}

std::optional<int32_t> LoadSendFormat()
{
    const std::optional<uint32_t> format = ReadNumber(Key(false), kSendFormat);
    if (!format || *format > INT32_MAX || !RememberableFormat((int32_t)*format)) {
        return std::nullopt;
    }
    return (int32_t)*format;
}

void StoreSendFormat(int32_t format)
{
    if (RememberableFormat(format)) WriteNumber(Key(true), kSendFormat, (uint32_t)format);
}

std::optional<std::string> LoadReceiveFolder()
{
    std::optional<std::string> folder = ReadText(Key(false), kReceiveFolder);
    if (folder && !RememberableFolder(*folder)) folder.reset();
    return folder;
}

void StoreReceiveFolder(const std::string& folder)
{
    if (RememberableFolder(folder)) WriteText(Key(true), kReceiveFolder, folder);
}

}  // namespace UserStore

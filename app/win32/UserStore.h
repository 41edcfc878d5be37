// The per-user store of what the program remembers: values under
// HKEY_CURRENT_USER\Software\Zorvex for Windows, nothing anywhere else. Deleting the key forgets
// everything. An entry missing, of another type or failing its rule (app/Remembered.h) is read
// as nothing; a failed write is not reported.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "app/TransferRequest.h"

namespace UserStore {

extern const char kKey[];  // "Software\\Zorvex for Windows", under HKEY_CURRENT_USER

// The last serial line chosen with OK: "SerialPort" (REG_SZ) and "SerialSpeed" (REG_DWORD).
struct RememberedLine {
    std::optional<std::string> port;
    std::optional<uint32_t> speed;
};
RememberedLine LoadSerialLine();
void StoreSerialLine(const SerialLine& line);

// The format of the last successful send: "SendFormat" (REG_DWORD, 1..8).
std::optional<int32_t> LoadSendFormat();
void StoreSendFormat(int32_t format);

// The last receive folder: "ReceiveFolder" (REG_SZ, an absolute path).
std::optional<std::string> LoadReceiveFolder();
void StoreReceiveFolder(const std::string& folder);

}  // namespace UserStore

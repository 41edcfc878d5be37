// What the program remembers per user between runs (the last serial line, send format and
// receive folder): how an entry read back from the store is judged, and what the dialogs
// preselect from it. An entry missing or damaged in the store counts as never stored.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/SerialSettingsRules.h"

// A text entry as the store holds it (bytes up to the value's size, the terminator usually
// included): the text, or nothing when it is empty, holds a NUL or lacks its last byte.
std::optional<std::string> StoredText(const std::string& raw);

// Judging an entry, both before it is written and after it is read back.
bool RememberablePort(const std::string& name);      // 1..63 printable ASCII bytes, no space
bool RememberableSpeed(uint32_t speed);              // 1..99999999: what the dialog can choose
bool RememberableFormat(int32_t format);             // a send format, 1..8
// An absolute folder ("C:\..." or "\\server\share...") in whole Shift_JIS characters, shorter
// than MAX_PATH, with no control character or * ? " < > |.
bool RememberableFolder(const std::string& folder);

// The port the serial settings dialog opens with: the remembered one when the list still has
// it (names compared without regard to ASCII case), else the usual choice.
struct PortPreselection {
    int32_t index;
    bool remembered;  // the remembered port: its remembered speed is shown too
};
PortPreselection PreselectedPort(const std::vector<PortEntry>& ports,
                                 const std::optional<std::string>& remembered);

// The format the send settings dialog opens with. Only a local file (which carries no format
// of its own and would open on docomo standard) takes the remembered one, and only when its
// kind can be sent in it; every other case is the usual choice.
int32_t PreselectedFormat(int32_t objectFormat, int32_t kind, std::optional<int32_t> remembered);

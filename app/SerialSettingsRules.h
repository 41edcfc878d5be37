// What the serial port settings dialog shows and accepts: port lines, the initial port, the
// fifteen fixed speeds and the manual speed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "transport/Transports.h"  // PortEntry

enum class SerialDirection { Send, Receive };

// Caption of the dialog, of its message boxes and of the "no ports" message.
const char* SerialCaption(SerialDirection direction);

extern const char kNoSerialPortsMessage[];  // shown by the commands before the dialog opens

struct SpeedChoice {
    uint32_t speed;  // bits per second
    int buttonId;
    const char* text;
};
constexpr int kSpeedChoiceCount = 15;
// In table order, which is also the order in which OK looks for the checked button.
extern const SpeedChoice kSpeedChoices[kSpeedChoiceCount];

// The combo box line: the name, " - " and the description padded to at least 100 characters.
std::string PortLineText(const PortEntry& port);

// A port whose description contains "OBEX" (case-sensitive): the dialog opens on the first one
// (else on the first port), zvx lists them first.
bool IsObexPort(const PortEntry& port);
int32_t InitialPortIndex(const std::vector<PortEntry>& ports);

// The warning shown when the selected port cannot be opened to read its speed.
std::string PortOpenFailedText(const char* portName);

// How the speed buttons show a port's current speed: one of the fixed speeds checked with the
// manual edit disabled, or "手動設定" checked with the speed ("%u") in the enabled edit.
struct SpeedDisplay {
    int checkedButton;       // a speed button id, or the manual button's id
    bool manualEnabled;
    std::string manualText;  // set only for the manual case
};
SpeedDisplay DisplayForSpeed(uint32_t speed);

enum class SpeedStatus { Ok, Empty, Invalid };

// The speed OK chooses: the first checked fixed speed (`checked` is in table order), else the
// manual edit's leading decimal digits. Empty text and 0 (or no leading digit) are refused;
// so is a value that does not fit 32 bits.
SpeedStatus ChosenSpeed(const bool checked[kSpeedChoiceCount], const char* manualText,
                        uint32_t* speed);

// The refusal message of a status other than Ok (nullptr for Ok).
const char* SpeedStatusMessage(SpeedStatus status);

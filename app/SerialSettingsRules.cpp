#include "app/SerialSettingsRules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "res/resource.h"

const char kNoSerialPortsMessage[] = "使用可能なシリアルポートがありません。";

const SpeedChoice kSpeedChoices[kSpeedChoiceCount] = {
    {110, IDC_SPEED_110, "110bps"},          {300, IDC_SPEED_300, "300bps"},
    {600, IDC_SPEED_600, "600bps"},          {1200, IDC_SPEED_1200, "1200bps"},
    {2400, IDC_SPEED_2400, "2400bps"},       {4800, IDC_SPEED_4800, "4800bps"},
    {9600, IDC_SPEED_9600, "9600bps"},       {14400, IDC_SPEED_14400, "14400bps"},
    {19200, IDC_SPEED_19200, "19200bps"},    {38400, IDC_SPEED_38400, "38400bps"},
    {56000, IDC_SPEED_56000, "56000bps"},    {57600, IDC_SPEED_57600, "57600bps"},
    {115200, IDC_SPEED_115200, "115200bps"}, {128000, IDC_SPEED_128000, "128000bps"},
    {256000, IDC_SPEED_256000, "256000bps"},
};

const char* SerialCaption(SerialDirection direction)
{
    return direction == SerialDirection::Receive ? "受信 - シリアル設定" : "送信 - シリアル設定";
}

std::string PortLineText(const PortEntry& port)
{
    std::string line = port.name + " - " + port.description;
    const size_t padded = port.name.size() + 3 + 100;
    if (line.size() < padded) line.append(padded - line.size(), ' ');
    return line;
}

bool IsObexPort(const PortEntry& port) { return port.description.find("OBEX") != std::string::npos; }

int32_t InitialPortIndex(const std::vector<PortEntry>& ports)
{
    const auto obex = std::find_if(ports.begin(), ports.end(), IsObexPort);
    return obex == ports.end() ? 0 : (int32_t)(obex - ports.begin());
}

std::string PortOpenFailedText(const char* portName)
{
    return std::string("シリアルポート ") + portName + " のオープンに失敗しました。";
}

SpeedDisplay DisplayForSpeed(uint32_t speed)
{
    for (const SpeedChoice& c : kSpeedChoices) {
        if (c.speed == speed) return {c.buttonId, false, std::string()};
    }
    char text[16];
    std::snprintf(text, sizeof text, "%u", (unsigned)speed);
    return {IDC_SPEED_MANUAL, true, text};
}

SpeedStatus ChosenSpeed(const bool checked[kSpeedChoiceCount], const char* manualText,
                        uint32_t* speed)
{
    for (int i = 0; i < kSpeedChoiceCount; ++i) {
        if (checked[i]) {
            *speed = kSpeedChoices[i].speed;
            return SpeedStatus::Ok;
        }
    }
    if (!manualText || !*manualText) return SpeedStatus::Empty;
    uint64_t value = 0;
    for (const char* p = manualText; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (uint64_t)(*p - '0');
        if (value > UINT32_MAX) return SpeedStatus::Invalid;
    }
    if (value == 0) return SpeedStatus::Invalid;
    *speed = (uint32_t)value;
    return SpeedStatus::Ok;
}

const char* SpeedStatusMessage(SpeedStatus status)
{
    switch (status) {
    case SpeedStatus::Empty: return "通信速度を入力してください。";
    case SpeedStatus::Invalid: return "通信速度が不正です。";
    case SpeedStatus::Ok: break;
    }
    return nullptr;
}

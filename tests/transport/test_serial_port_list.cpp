// The serial port list against registry trees the tests write: a private tree that stands for
// HKEY_LOCAL_MACHINE (every rule, both system families), and a few keys in the real
// HKEY_LOCAL_MACHINE of the test's Wine prefix (the default constructor end to end).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transport/win32/SerialPortList.h"

namespace {

const char kPorts[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
const char kModem[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char kEnum[] = "SYSTEM\\CurrentControlSet\\Enum\\";
const char kClass[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";

void SetValue(HKEY root, const std::string& path, const char* name, DWORD type, const void* data,
              DWORD size, DWORD options = REG_OPTION_NON_VOLATILE)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS)
        << path;
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetText(HKEY root, const std::string& path, const char* name, const std::string& text)
{
    SetValue(root, path, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

// A registry tree of its own that stands for HKEY_LOCAL_MACHINE.
class PortRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = "Software\\ZorvexTests\\PortList" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &machine_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(machine_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }

    // An NT-family device instance with its "Device Parameters".
    void AddDevice(const std::string& instance, const char* guid, const char* port,
                   const char* description, const char* driver = nullptr)
    {
        std::string key = kEnum + instance;
        SetText(machine_, key, "ClassGUID", guid);
        if (description) SetText(machine_, key, "DeviceDesc", description);
        if (driver) SetText(machine_, key, "Driver", driver);
        if (port) SetText(machine_, key + "\\Device Parameters", "PortName", port);
    }
    void ListInSerialComm(const char* device, const char* port)
    {
        SetText(machine_, "Hardware\\DeviceMap\\SerialComm", device, port);
    }
    std::vector<std::pair<std::string, std::string>> List(DWORD major = 6,
                                                          DWORD platform = VER_PLATFORM_WIN32_NT)
    {
        SerialPortList list(SerialPortList::System{platform, major, machine_});
        std::vector<std::pair<std::string, std::string>> ports;
        for (int32_t i = 0; i < list.GetPortCount(); ++i) {
            ports.emplace_back(list.GetPortName(i), list.GetPortDescription(i));
        }
        EXPECT_EQ(list.GetPortName(list.GetPortCount()), nullptr);
        EXPECT_EQ(list.GetPortDescription(list.GetPortCount()), nullptr);
        EXPECT_EQ(list.GetPortName(-1), nullptr);
        return ports;
    }
    using Ports = std::vector<std::pair<std::string, std::string>>;

    HKEY machine_ = nullptr;
    std::string path_;
};

}  // namespace

TEST_F(PortRegistry, EmptyRegistryGivesAnEmptyList)
{
    EXPECT_TRUE(List().empty());
    EXPECT_TRUE(List(4, VER_PLATFORM_WIN32_WINDOWS).empty());
}

TEST_F(PortRegistry, PortsAndModemsInNaturalOrder)
{
    AddDevice("ACPI\\PNP0501\\1", kPorts, "COM10", "通信ポート (COM10)");
    AddDevice("ACPI\\PNP0501\\2", kPorts, "COM1", "通信ポート (COM1)");
    AddDevice("USB\\VID_0001&PID_0002\\A1", kModem, "COM2", "USB モデム");
    AddDevice("USB\\VID_0001&PID_0003\\B1", "{4d36e978-e325-11ce-bfc1-08002be10318}", "COM3",
              "lower-case class");
    ListInSerialComm("\\Device\\Serial0", "COM10");
    ListInSerialComm("\\Device\\Serial1", "com1");  // compared without regard to case
    ListInSerialComm("\\Device\\Modem0", "COM2");
    ListInSerialComm("\\Device\\Serial3", "COM3");
    EXPECT_EQ(List(), (Ports{{"COM1", "通信ポート (COM1)"},
                             {"COM2", "USB モデム"},
                             {"COM3", "lower-case class"},
                             {"COM10", "通信ポート (COM10)"}}));
}

TEST_F(PortRegistry, OnlyPortsAndModemClassesThatTheSystemListsNow)
{
    AddDevice("ACPI\\PNP0501\\1", kPorts, "COM1", "present");
    AddDevice("ACPI\\PNP0501\\2", kPorts, "COM4", "unplugged");
    AddDevice("HID\\Mouse\\1", "{4D36E96F-E325-11CE-BFC1-08002BE10318}", "COM5", "mouse");
    AddDevice("ACPI\\PNP0501\\3", kPorts, nullptr, "no port name");
    SetText(machine_, std::string(kEnum) + "ACPI\\PNP0501\\4", "ClassGUID", kPorts);
    SetText(machine_, std::string(kEnum) + "ACPI\\PNP0501\\4", "PortName", "COM6");  // not in
                                                                                 // its params
    ListInSerialComm("\\Device\\Serial0", "COM1");
    ListInSerialComm("\\Device\\Serial5", "COM5");
    ListInSerialComm("\\Device\\Serial6", "COM6");
    EXPECT_EQ(List(), (Ports{{"COM1", "present"}}));
}

TEST_F(PortRegistry, PortSubClassZeroMarksAParallelPort)
{
    AddDevice("ACPI\\PNP0400\\1", kPorts, "LPT1", "printer port", "{4D36E978-E325-11CE-BFC1-08002BE10318}\\0001");
    AddDevice("ACPI\\PNP0501\\1", kPorts, "COM1", "serial port", "{4D36E978-E325-11CE-BFC1-08002BE10318}\\0002");
    AddDevice("ACPI\\PNP0501\\2", kPorts, "COM2", "no class key", "{4D36E978-E325-11CE-BFC1-08002BE10318}\\0099");
    AddDevice("ACPI\\PNP0501\\3", kPorts, "COM3", "no driver value");
    const BYTE zero = 0, one = 1;
    SetValue(machine_, std::string(kClass) + kPorts + "\\0001", "PortSubClass", REG_BINARY, &zero, 1);
    SetValue(machine_, std::string(kClass) + kPorts + "\\0002", "PortSubClass", REG_BINARY, &one, 1);
    ListInSerialComm("\\Device\\Parallel0", "LPT1");
    ListInSerialComm("\\Device\\Serial0", "COM1");
    ListInSerialComm("\\Device\\Serial1", "COM2");
    ListInSerialComm("\\Device\\Serial2", "COM3");
    EXPECT_EQ(List(), (Ports{{"COM1", "serial port"}, {"COM2", "no class key"},
                             {"COM3", "no driver value"}}));
}

TEST_F(PortRegistry, ResourceReferenceBeforeSemicolonIsDroppedFromVersion6On)
{
    AddDevice("USB\\A\\1", kPorts, "COM1", "@oem12.inf,%serial.desc%;USB シリアル ポート");
    AddDevice("USB\\A\\2", kPorts, "COM2", "plain name");
    AddDevice("USB\\A\\3", kPorts, "COM3", "ends with;");
    AddDevice("USB\\A\\4", kPorts, "COM4", "a;b;c");
    AddDevice("USB\\A\\5", kPorts, "COM5", nullptr);
    for (const char* port : {"COM1", "COM2", "COM3", "COM4", "COM5"}) {
        ListInSerialComm((std::string("\\Device\\") + port).c_str(), port);
    }
    EXPECT_EQ(List(6), (Ports{{"COM1", "USB シリアル ポート"},
                              {"COM2", "plain name"},
                              {"COM3", "ends with;"},
                              {"COM4", "b;c"},
                              {"COM5", "(unknown)"}}));
    EXPECT_EQ(List(5)[0].second, "@oem12.inf,%serial.desc%;USB シリアル ポート");
}

TEST_F(PortRegistry, SamePortTwiceKeepsOneEntryWithTheLastDescription)
{
    AddDevice("USB\\A\\1", kPorts, "COM3", "first finding");
    AddDevice("USB\\B\\1", kModem, "COM3", "last finding");
    ListInSerialComm("\\Device\\Serial2", "COM3");
    EXPECT_EQ(List(), (Ports{{"COM3", "last finding"}}));
}

TEST_F(PortRegistry, ValuesOfUnexpectedTypesAndLengthsAreReadSafely)
{
    // A PortName stored as bytes without a terminator.
    SetText(machine_, std::string(kEnum) + "X\\A\\1", "ClassGUID", kPorts);
    SetValue(machine_, std::string(kEnum) + "X\\A\\1\\Device Parameters", "PortName", REG_BINARY,
             "COM7", 4);
    // A description of exactly 200 bytes, unterminated: kept whole.
    std::string longDescription(200, 'D');
    SetValue(machine_, std::string(kEnum) + "X\\A\\1", "DeviceDesc", REG_BINARY,
             longDescription.data(), 200);
    // A class identifier with one character too many.
    AddDevice("X\\B\\1", (std::string(kPorts) + "X").c_str(), "COM8", "long class");
    // A description longer than 200 bytes cannot be read: "(unknown)".
    AddDevice("X\\C\\1", kPorts, "COM9", std::string(300, 'E').c_str());
    // A port name longer than 100 bytes cannot be read: skipped.
    AddDevice("X\\D\\1", kPorts, std::string(150, 'P').c_str(), "long port");
    // A one-byte PortSubClass stored as a DWORD does not fit: counts as serial.
    AddDevice("X\\E\\1", kPorts, "COM11", "dword subclass", "{4D36E978-E325-11CE-BFC1-08002BE10318}\\0005");
    const DWORD zero = 0;
    SetValue(machine_, std::string(kClass) + kPorts + "\\0005", "PortSubClass", REG_DWORD, &zero, 4);
    for (const char* port : {"COM7", "COM8", "COM9", "COM11"}) {
        ListInSerialComm((std::string("\\Device\\") + port).c_str(), port);
    }
    ListInSerialComm("\\Device\\Long", std::string(150, 'P').c_str());
    EXPECT_EQ(List(), (Ports{{"COM7", longDescription}, {"COM9", "(unknown)"},
                             {"COM11", "dword subclass"}}));
}

TEST_F(PortRegistry, Windows95FamilyReadsTheInstanceKeyItself)
{
    std::string com1 = "Enum\\BIOS\\*PNP0501\\0D";
    SetText(machine_, com1, "ClassGUID", kPorts);
    SetText(machine_, com1, "PortName", "COM1");
    SetText(machine_, com1, "DeviceDesc", "@res;通信ポート");
    SetText(machine_, com1, "Driver", "Ports\\0000");
    std::string modem = "Enum\\PCI\\MODEM\\01";
    SetText(machine_, modem, "ClassGUID", kModem);
    SetText(machine_, modem, "PortName", "COM12");
    std::string gone = "Enum\\PCI\\MODEM\\02";
    SetText(machine_, gone, "ClassGUID", kModem);
    SetText(machine_, gone, "PortName", "COM13");
    // No class driver check on this family: a zero PortSubClass does not matter.
    const BYTE zero = 0;
    SetValue(machine_, std::string(kClass) + "Ports\\0000", "PortSubClass", REG_BINARY, &zero, 1);
    // An NT-style device is not looked at.
    AddDevice("ACPI\\PNP0501\\1", kPorts, "COM2", "nt only");
    ListInSerialComm("COM1", "COM1");
    ListInSerialComm("COM12", "COM12");
    ListInSerialComm("COM2", "COM2");
    EXPECT_EQ(List(4, VER_PLATFORM_WIN32_WINDOWS),
              (Ports{{"COM1", "@res;通信ポート"}, {"COM12", "(unknown)"}}));
}

TEST(SerialPortListSystem, DefaultConstructionReadsThisMachine)
{
    // A device of our own in the real device tree and its port among the present ones.
    std::string instance = std::string(kEnum) + "ZorvexTest\\Port" +
                           std::to_string(GetCurrentProcessId()) + "\\0000";
    SetText(HKEY_LOCAL_MACHINE, instance, "ClassGUID", kPorts);
    SetText(HKEY_LOCAL_MACHINE, instance, "DeviceDesc", "@zorvex.inf,%p%;Zorvex テスト ポート");
    SetText(HKEY_LOCAL_MACHINE, instance + "\\Device Parameters", "PortName", "COM42");
    HKEY serialComm;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &serialComm, nullptr),
              ERROR_SUCCESS);
    const char port[] = "COM42";
    ASSERT_EQ(RegSetValueExA(serialComm, "\\Device\\ZorvexTest", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(port), sizeof port),
              ERROR_SUCCESS);

    int found = -1;
    std::string description;
    {
        SerialPortList list;
        for (int32_t i = 0; i < list.GetPortCount(); ++i) {
            if (std::string(list.GetPortName(i)) == "COM42") {
                found = i;
                description = list.GetPortDescription(i);
            }
        }
    }
    RegDeleteValueA(serialComm, "\\Device\\ZorvexTest");
    RegCloseKey(serialComm);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kEnum) + "ZorvexTest").c_str());

    ASSERT_GE(found, 0);
    // Wine reports a system of version 6 or later.
    EXPECT_EQ(description, "Zorvex テスト ポート");

    SerialPortList after;
    for (int32_t i = 0; i < after.GetPortCount(); ++i) {
        EXPECT_STRNE(after.GetPortName(i), "COM42") << "fixture keys were removed";
    }
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/SendSettingsRules.h"
#include "app/SerialSettingsRules.h"
#include "core/MediaObject.h"
#include "res/resource.h"
#include "tests/support/TestFiles.h"

// --- Serial port settings ---

TEST(SerialSettings, CaptionsAndPortLines)
{
    EXPECT_STREQ("受信 - シリアル設定", SerialCaption(SerialDirection::Receive));
    EXPECT_STREQ("送信 - シリアル設定", SerialCaption(SerialDirection::Send));
    EXPECT_EQ("COM3 - Cable" + std::string(95, ' '), PortLineText({"COM3", "Cable"}));
    const std::string longer(150, 'x');
    EXPECT_EQ("COM10 - " + longer, PortLineText({"COM10", longer}));
    EXPECT_EQ("シリアルポート COM4 のオープンに失敗しました。", PortOpenFailedText("COM4"));
}

TEST(SerialSettings, InitialPortPrefersObexInTheDescription)
{
    struct Case {
        std::vector<PortEntry> ports;
        int32_t index;
    } cases[] = {
        {{{"COM1", "Communications Port"}, {"COM3", "USB OBEX Cable"}}, 1},
        {{{"COM1", "obex lower case"}, {"COM2", "Modem"}}, 0},
        {{{"COM2", "Modem"}, {"COM4", "IrOBEX"}, {"COM5", "OBEX too"}}, 1},
        {{{"COM7", "(unknown)"}}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.index, InitialPortIndex(c.ports)) << c.ports[0].description;
}

TEST(SerialSettings, SamePortsComparesNamesAndDescriptionsByIndex)
{
    using Ports = std::vector<PortEntry>;
    const Ports a{{"COM1", "A"}, {"COM3", "B"}};
    EXPECT_TRUE(a == Ports({{"COM1", "A"}, {"COM3", "B"}}));
    EXPECT_FALSE(a == Ports({{"COM3", "B"}, {"COM1", "A"}}));
    EXPECT_FALSE(a == Ports({{"COM1", "A"}, {"COM3", "C"}}));
    EXPECT_FALSE(a == Ports({{"COM1", "A"}}));
    EXPECT_FALSE(a == Ports({{"COM1", "A"}, {"COM3", "B"}, {"COM4", "B"}}));
}

TEST(SerialSettings, CurrentSpeedDisplay)
{
    const struct {
        uint32_t speed;
        int button;
        const char* manual;  // nullptr: a fixed speed, edit disabled
    } cases[] = {
        {110, 1038, nullptr},      {9600, 1046, nullptr},     {115200, 1052, nullptr},
        {256000, 1054, nullptr},   {230400, 1055, "230400"},  {4294967295u, 1055, "4294967295"},
    };
    for (const auto& c : cases) {
        const SpeedDisplay shown = DisplayForSpeed(c.speed);
        EXPECT_EQ(c.button, shown.checkedButton) << c.speed;
        EXPECT_EQ(c.manual != nullptr, shown.manualEnabled) << c.speed;
        EXPECT_EQ(c.manual ? c.manual : "", shown.manualText) << c.speed;
    }
}

TEST(SerialSettings, ChosenSpeed)
{
    bool none[kSpeedChoiceCount] = {};
    bool two[kSpeedChoiceCount] = {};
    two[6] = two[12] = true;  // 9600 and 115200: the first in table order counts
    struct Case {
        const bool* checked;
        const char* manual;
        SpeedStatus status;
        uint32_t speed;
    } cases[] = {
        {two, "", SpeedStatus::Ok, 9600},
        {none, "230400", SpeedStatus::Ok, 230400},
        {none, "12ab", SpeedStatus::Ok, 12},
        {none, "", SpeedStatus::Empty, 0},
        {none, "0", SpeedStatus::Invalid, 0},
        {none, "00000000", SpeedStatus::Invalid, 0},
        {none, "x9600", SpeedStatus::Invalid, 0},
        {none, "99999999999", SpeedStatus::Invalid, 0},
    };
    for (const Case& c : cases) {
        uint32_t speed = 0;
        EXPECT_EQ(c.status, ChosenSpeed(c.checked, c.manual, &speed)) << c.manual;
        EXPECT_EQ(c.speed, speed) << c.manual;
    }
    EXPECT_STREQ("通信速度を入力してください。", SpeedStatusMessage(SpeedStatus::Empty));
    EXPECT_STREQ("通信速度が不正です。", SpeedStatusMessage(SpeedStatus::Invalid));
    EXPECT_EQ(nullptr, SpeedStatusMessage(SpeedStatus::Ok));
}

// --- Send settings ---

namespace {

// Title, summary, file name, date, redistribution: enabled flags and hints per format.
struct RuleRow {
    int32_t format;
    const char* expected[5];  // nullptr: disabled with "指定できません。"
};
const char kWide[] = "全角使用可です。";
const char kAscii[] = "ASCII文字の一部のみ可です。";

}  // namespace

TEST(SendSettings, FieldRules)
{
    const RuleRow rows[] = {
        {FORMAT_DOCOMO, {nullptr, kWide, kAscii, "保存日時になります。", nullptr}},
        {FORMAT_NEC, {nullptr, kWide, kWide, nullptr, nullptr}},
        {FORMAT_FUJITSU, {kWide, nullptr, nullptr, nullptr, nullptr}},
        {FORMAT_P2102V, {nullptr, kWide, kWide, nullptr, nullptr}},
        {FORMAT_P504I, {nullptr, nullptr, nullptr, nullptr, nullptr}},
        {FORMAT_JN51_JPEG, {nullptr, nullptr, kWide, nullptr, nullptr}},
        {FORMAT_JN51_DCF, {nullptr, nullptr, kWide, nullptr, nullptr}},
        {FORMAT_DIRECT, {nullptr, nullptr, kAscii, nullptr, nullptr}},
    };
    for (const RuleRow& row : rows) {
        const FieldStates s = StatesForFormat(row.format);
        const FieldState* fields[] = {&s.title, &s.summary, &s.fileName, &s.date};
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "format " << row.format << " field " << i);
            EXPECT_EQ(row.expected[i] != nullptr, fields[i]->enabled);
            EXPECT_STREQ(row.expected[i] ? row.expected[i] : "指定できません。", fields[i]->hint);
        }
        EXPECT_FALSE(s.redistribution.enabled);
        EXPECT_STREQ("常に再配布許可になります。", s.redistribution.hint);
    }
}

TEST(SendSettings, FormatButtonsOrderAndOpeningSelection)
{
    const int order[] = {1000, 1001, 1002, 1009, 1008, 1020, 1021, 1012};
    for (int i = 0; i < kFormatButtonCount; ++i) {
        EXPECT_EQ(order[i], kFormatButtons[i].id);
        EXPECT_EQ(i + 1, kFormatButtons[i].format);
        EXPECT_EQ(&kFormatButtons[i], ButtonForFormat(i + 1));
        EXPECT_EQ(&kFormatButtons[i], ButtonForId(order[i]));
    }
    EXPECT_EQ(1000, ButtonForFormat(FORMAT_LOCAL_FILE)->id);
    for (int32_t bad : {0, 10, -1}) EXPECT_EQ(nullptr, ButtonForFormat(bad));
    EXPECT_EQ(nullptr, ButtonForId(1003));

    bool checked[kFormatButtonCount] = {};
    EXPECT_EQ(0, FormatFromChecked(checked));
    checked[7] = checked[4] = true;  // direct and P504i: P504i comes first
    EXPECT_EQ(FORMAT_P504I, FormatFromChecked(checked));
}

TEST(SendSettings, FormatsPerKind)
{
    struct Case {
        int32_t kind;
        const char* enabled;  // table order 1000 1001 1002 1009 1008 1020 1021 1012
        int32_t forced;
    } cases[] = {
        {MEDIA_JPEG, "11111111", 0},    {MEDIA_MOVIE, "11110000", 0},
        {MEDIA_GIF, "11111001", 0},     {MEDIA_BMP, "00001000", FORMAT_P504I},
        {MEDIA_IMELODY, "11111000", 0}, {MEDIA_SMF, "11110000", 0},
    };
    for (const Case& c : cases) {
        const KindFormats f = FormatsForKind(c.kind);
        std::string enabled;
        for (bool e : f.enabled) enabled += e ? '1' : '0';
        EXPECT_TRUE(f.known) << c.kind;
        EXPECT_EQ(c.enabled, enabled) << c.kind;
        EXPECT_EQ(c.forced, f.forcedFormat) << c.kind;
    }
    for (int32_t kind : {0, 5, 8, -3}) {
        const KindFormats f = FormatsForKind(kind);
        EXPECT_FALSE(f.known) << kind;
        for (bool e : f.enabled) EXPECT_TRUE(e) << kind;
    }
}

TEST(SendSettings, RefusalsInOrder)
{
    const char* const summary = "サマリーを入力してください。";
    const char* const file = "ファイル名を入力してください。";
    const char* const title = "タイトルを入力してください。";
    const char* const chars =
        "ファイル名は半角英数字およびマイナス（-）、ドット（.）、アンダーバー（_）のみで入力してください。";
    struct Case {
        int32_t format;
        const char *title, *summary, *fileName, *refusal;
    } cases[] = {
        {1, "", "", "", summary},
        {1, "", "s", "", file},
        {1, "", "s", "photo 1.jpg", chars},
        {1, "", "s", "photo_1.jpg", nullptr},
        {1, "", "s", "写真.jpg", chars},
        {2, "", "", "x", summary},
        {2, "", "s", "写真-1.jpg", nullptr},
        {4, "", "s", "", file},
        {3, "", "", "", title},
        {3, "t", "", "bad name", nullptr},
        {5, "", "", "", nullptr},
        {6, "", "", "", file},
        {7, "", "", "表.jpg", nullptr},
        {7, "", "", "ｶﾒﾗ.jpg", chars},
        {8, "", "", "", file},
        {8, "", "", "写真.jpg", chars},
        {8, "", "", "A-Z.a_z.09", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.fileName);
        const char* got = RefusalForEntries(c.format, c.title, c.summary, c.fileName);
        if (c.refusal) {
            EXPECT_STREQ(c.refusal, got);
        } else {
            EXPECT_EQ(nullptr, got);
        }
    }
}

TEST(SendSettings, FileNameBytes)
{
    struct Case {
        const char* name;
        bool narrow, wide;  // accepted without / with double-byte characters
    } cases[] = {
        {"abc", true, true},
        {"a b", false, false},
        {"a/b", false, false},
        {"\x95\x5c", false, true},   // 表: the trail byte is a backslash
        {"\xb6", false, false},      // half-width katakana
        {"a\x95", false, false},     // ends in a lone lead byte
        {"\x81\x40\x81", false, false},
        {"\x7f", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.narrow, FileNameCharactersOk(c.name, false)) << c.name;
        EXPECT_EQ(c.wide, FileNameCharactersOk(c.name, true)) << c.name;
    }
}

TEST(SendSettings, FitAnsiTextKeepsWholeCharacters)
{
    EXPECT_EQ("abc", FitAnsiText("abcdef", 3));
    EXPECT_EQ("ab", FitAnsiText("ab", 24));
    EXPECT_EQ("a", FitAnsiText("a\x95\x5c", 2));
    EXPECT_EQ("a\x95\x5c", FitAnsiText("a\x95\x5c" "b", 3));
    EXPECT_EQ("a", FitAnsiText("a\x95", 24)) << "a lone lead byte at the end is dropped";
    EXPECT_EQ(std::string(24, 'x'), FitAnsiText(std::string(30, 'x'), 24));
}

TEST(SendSettings, PickerSecondsAreLocalTime)
{
    ScopedTimeZone zone("JST-9");
    CalendarTime date, timeOfDay;
    date.year = 2005, date.month = 6, date.day = 7, date.hour = 23, date.minute = 59;
    timeOfDay.year = 1999, timeOfDay.month = 1, timeOfDay.day = 1;
    timeOfDay.hour = 8, timeOfDay.minute = 9, timeOfDay.second = 10;
    int32_t seconds = 0;
    ASSERT_TRUE(PickerSeconds(date, timeOfDay, &seconds));
    EXPECT_EQ(1118099350, seconds);  // 2005-06-06 23:09:10 UTC
}

TEST(SendSettings, SentObjectCarriesWhatWasSent)
{
    MediaObject current;
    current.SetKind(MEDIA_JPEG);
    current.SetFormat(FORMAT_LOCAL_FILE);
    current.SetTitle("old title");
    current.SetFileName("old.jpg");
    current.SetPosition(2);
    const uint8_t body[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00};
    current.SetBody(body, sizeof body);

    SendEntries sent;
    sent.format = FORMAT_FUJITSU;
    sent.title = "新しい題";
    sent.fileName = "";
    sent.time = 1118099350;
    sent.redistributionForbidden = 1;
    std::unique_ptr<MediaObject> o = BuildSentObject(current, sent);
    EXPECT_EQ(MEDIA_JPEG, o->GetKind());
    EXPECT_EQ(FORMAT_FUJITSU, o->GetFormat());
    EXPECT_STREQ("新しい題", o->GetTitle());
    EXPECT_EQ(nullptr, o->GetSummary());
    EXPECT_EQ(nullptr, o->GetFileName());
    EXPECT_EQ(2, o->GetPosition());
    EXPECT_EQ(1118099350, o->GetTime());
    EXPECT_EQ(1, o->GetRedistributionForbidden());
    ASSERT_EQ(sizeof body, o->GetBodyLength());
    EXPECT_NE(current.GetBody(), o->GetBody());
    EXPECT_EQ(0, std::memcmp(body, o->GetBody(), sizeof body));
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Remembered.h"
#include "core/MediaObject.h"

using namespace std::string_literals;

TEST(Remembered, StoredEntriesAndTheirBounds)
{
    EXPECT_EQ("COM3", StoredText("COM3\0"s).value_or("-"));
    EXPECT_EQ("COM3", StoredText("COM3"s).value_or("-"));
    for (const std::string& raw : {""s, "\0"s, "COM3\0\0"s, "CO\0M3\0"s}) EXPECT_FALSE(StoredText(raw)) << raw.size();

    EXPECT_TRUE(RememberablePort("CNCA0") && RememberablePort(std::string(63, 'C')));
    for (const char* bad : {"", "COM 3", "COM3\t", "ＣＯＭ３"}) EXPECT_FALSE(RememberablePort(bad)) << bad;
    EXPECT_FALSE(RememberablePort(std::string(64, 'C')));
    EXPECT_TRUE(RememberableSpeed(1) && RememberableSpeed(99999999));
    EXPECT_FALSE(RememberableSpeed(0) || RememberableSpeed(100000000));
    EXPECT_TRUE(RememberableFormat(1) && RememberableFormat(8));
    EXPECT_FALSE(RememberableFormat(0) || RememberableFormat(9));
}

TEST(Remembered, FolderIsAbsoluteWholeAndShorterThanMaxPath)
{
    const struct {
        std::string folder;
        bool ok;
    } cases[] = {
        {"C:\\Users\\taro\\携帯", true}, {"d:\\", true}, {"\\\\nas\\photos", true},
        {"C:\\表\\能", true},       // trail bytes 5C
        {"C:\\\x82\x7C", true},     // a trail byte 7C is no '|'
        {"C:\\" + std::string(256, 'a'), true}, {"C:\\" + std::string(257, 'a'), false},  // 259, 260
        {"photos", false}, {"C:photos", false}, {"\\\\\\x", false}, {"\\photos", false},
        {"C:\\a|b", false}, {"C:\\a?b", false}, {"C:\\a\nb", false},
        {"C:\\a\x82", false},       // a lone lead byte at the end
    };
    for (const auto& c : cases) EXPECT_EQ(c.ok, RememberableFolder(c.folder)) << c.folder;
}

TEST(Remembered, Preselections)
{
    const std::vector<PortEntry> ports{{"COM1", "Modem"}, {"COM3", "USB OBEX Cable"}, {"CNCA0", "Null"}};
    const struct {
        std::optional<std::string> remembered;
        int32_t index;
        bool isRemembered;
    } portCases[] = {{std::nullopt, 1, false}, {"CNCA0", 2, true}, {"com1", 0, true}, {"COM9", 1, false}};
    for (const auto& c : portCases) {
        const PortPreselection p = PreselectedPort(ports, c.remembered);
        EXPECT_EQ(c.index, p.index) << c.remembered.value_or("-");
        EXPECT_EQ(c.isRemembered, p.remembered) << c.remembered.value_or("-");
    }

    enum { L = FORMAT_LOCAL_FILE };
    const struct {
        int32_t objectFormat, kind;
        std::optional<int32_t> remembered;
        int32_t preselected;
    } formatCases[] = {
        {L, MEDIA_JPEG, FORMAT_DIRECT, FORMAT_DIRECT},  {L, MEDIA_JPEG, FORMAT_JN51_DCF, FORMAT_JN51_DCF},
        {L, MEDIA_JPEG, std::nullopt, L},               {L, MEDIA_MOVIE, FORMAT_P2102V, FORMAT_P2102V},
        {L, MEDIA_MOVIE, FORMAT_P504I, L},              {L, MEDIA_GIF, FORMAT_JN51_JPEG, L},
        {L, MEDIA_BMP, FORMAT_P504I, L},                // forced anyway
        {L, MEDIA_UNKNOWN, FORMAT_NEC, L},              // a kind that is reported
        {L, MEDIA_JPEG, 9, L},                          // damaged
        {FORMAT_FUJITSU, MEDIA_JPEG, FORMAT_DIRECT, FORMAT_FUJITSU},  // the object's own
        {FORMAT_UNKNOWN, MEDIA_JPEG, FORMAT_DIRECT, FORMAT_UNKNOWN},  // reported
    };
    for (const auto& c : formatCases) {
        EXPECT_EQ(c.preselected, PreselectedFormat(c.objectFormat, c.kind, c.remembered))
            << c.objectFormat << " " << c.kind << " " << c.remembered.value_or(0);
    }
}

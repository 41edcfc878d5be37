#include <gtest/gtest.h>

#include "core/SafeName.h"

TEST(SafeFileName, HostileNamesBecomeHarmless)
{
    const struct {
        std::string received, expected;
    } cases[] = {
        {"photo.jpg", "photo.jpg"},
        {"表.jpg", "表.jpg"},                     // 95 5C: the 5C is a trail byte, not a separator
        {"ソ\\表", "ソ_表"},                       // 83 5C, then a real separator
        {"..\\..\\a.jpg", "_.._a.jpg"},
        {"../../etc/passwd", "_.._etc_passwd"},
        {"C:\\Windows\\a", "C__Windows_a"},
        {"\\\\host\\share\\a.jpg", "__host_share_a.jpg"},
        {"a:b", "a_b"},                            // no alternate data stream
        {"<>\"|?*.gif", "______.gif"},
        {std::string("a\x01\x1F\x7F" "b", 5), "a___b"},
        {std::string("a\0b", 3), "a_b"},
        {"NUL", "_NUL"},
        {"con.jpg", "_con.jpg"},
        {"COM1", "_COM1"},
        {"lpt9.mld", "_lpt9.mld"},
        {"COM0", "_COM0"},
        {"lpt0.mld", "_lpt0.mld"},
        {"COM10", "COM10"},
        {"conin$", "_conin$"},
        {"CONOUT$.txt", "_CONOUT$.txt"},
        {"CONOUT", "CONOUT"},
        {"CONSOLE.jpg", "CONSOLE.jpg"},
        {"..\\CON", "_CON"},
        {"CON .txt", "_CON .txt"},
        {"name. . ", "name"},
        {" .hidden", "hidden"},
        {"..", ""},
        {"", ""},
        {"\x81", "_"},                             // a lead byte with no trail
        {"\x81\x20x", "_ x"},                      // a lead byte whose follower is no trail
        {"\x85\x40" "a", "_@a"},                   // a pair the code page does not define
        {"\xFF\x80\xA0" "b", "___b"},
        {"ｶﾒﾗ.jpg", "ｶﾒﾗ.jpg"},                   // half-width katakana are single bytes
    };
    for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.received), c.expected) << c.received;
}

TEST(SafeFileName, LongNamesAreCutAtAWholeCharacter)
{
    const std::string name = "a" + std::string(200, '\0');
    std::string wide = "a";
    for (int i = 0; i < 100; ++i) wide += "表";
    const std::string safe = SafeFileName(wide);
    EXPECT_EQ(safe.size(), kMaxSafeNameBytes - 1);  // "a" and 63 whole characters
    EXPECT_EQ(safe.substr(safe.size() - 2), "表");
    EXPECT_EQ(SafeFileName(name).size(), kMaxSafeNameBytes);
}

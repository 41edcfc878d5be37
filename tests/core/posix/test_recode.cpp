#include <gtest/gtest.h>

#include "core/posix/CodePage.h"

TEST(CodePage, RecodeMarksEachCharacterItCannotConvertOnce)
{
    const struct {
        const char *to, *from, *in, *out;
        bool ok;
    } cases[] = {
        {"CP932", "UTF-8", "\xE8\xA1\xA8x", "\x95\x5Cx", true},  // 表
        {"UTF-8", "CP932", "\x95\x5Cx", "\xE8\xA1\xA8x", true},
        {"CP932", "UTF-8", "M\xC3\xBC\xF0\x9F\x98\x80.", "M??.", false},  // ü and an emoji
        {"CP932", "UTF-8", "a\xFF" "b", "a?b", false},                        // not UTF-8
        {"CP932", "NO-SUCH-CODESET", "as given", "as given", false},
    };
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(c.out, Recode(c.to, c.from, c.in, &ok)) << c.from << " " << c.in;
        EXPECT_EQ(c.ok, ok) << c.from << " " << c.in;
    }
}

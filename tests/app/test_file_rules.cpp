#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FileRules.h"
#include "core/MediaObject.h"

namespace {

std::string Saved(int32_t kind, const std::string& chosen)
{
    const SaveRule* rule = SaveRuleForKind(kind);
    EXPECT_NE(nullptr, rule);
    if (!rule) return "";
    std::string out;
    EXPECT_EQ(SaveNameStatus::Ok, FinalSaveName(chosen, *rule, &out));
    return out;
}

}  // namespace

TEST(SaveNames, KeptEndingsAndAppendedExtensions)
{
    EXPECT_EQ("C:\\photo.JPEG", Saved(MEDIA_JPEG, "C:\\photo.JPEG"));
    EXPECT_EQ("C:\\photo.jpg", Saved(MEDIA_JPEG, "C:\\photo"));
    EXPECT_EQ("C:\\photo.png.jpg", Saved(MEDIA_JPEG, "C:\\photo.png"));
    EXPECT_EQ("tune.smf", Saved(MEDIA_SMF, "tune.smf"));
    EXPECT_EQ("tune.MID", Saved(MEDIA_SMF, "tune.MID"));
    EXPECT_EQ("tune.mid", Saved(MEDIA_SMF, "tune"));
    EXPECT_EQ("clip.3gp", Saved(MEDIA_MOVIE, "clip"));
    EXPECT_EQ("a.Gif", Saved(MEDIA_GIF, "a.Gif"));
    EXPECT_EQ("a.gif.bmp", Saved(MEDIA_BMP, "a.gif"));
    EXPECT_EQ("ring.mld", Saved(MEDIA_IMELODY, "ring"));
    EXPECT_EQ("jpg.jpg", Saved(MEDIA_JPEG, "jpg")) << "a name shorter than an ending";
    // 表 ends in the byte 0x5C; the ending after it is still found.
    EXPECT_EQ("表.JPG", Saved(MEDIA_JPEG, "表.JPG"));
}

TEST(SaveNames, AppendingMustFitThePathBuffer)
{
    const SaveRule* rule = SaveRuleForKind(MEDIA_JPEG);
    ASSERT_NE(nullptr, rule);
    std::string out;
    EXPECT_EQ(SaveNameStatus::Ok, FinalSaveName(std::string(256, 'a'), *rule, &out));
    EXPECT_EQ(260u, out.size());
    out = "untouched";
    EXPECT_EQ(SaveNameStatus::TooLong, FinalSaveName(std::string(257, 'a'), *rule, &out));
    EXPECT_EQ("untouched", out);
    // A name that already ends right is kept whatever its length.
    EXPECT_EQ(SaveNameStatus::Ok, FinalSaveName(std::string(256, 'a') + ".jpg", *rule, &out));
}

TEST(SaveNames, OnlyKnownKindsHaveRules)
{
    for (int32_t kind : {0, 5, 8, 9, -1}) EXPECT_EQ(nullptr, SaveRuleForKind(kind)) << kind;
    for (int32_t kind : {1, 2, 3, 4, 6, 7}) EXPECT_NE(nullptr, SaveRuleForKind(kind)) << kind;
}

TEST(SaveNames, InitialNameIsTheObjectsFileName)
{
    MediaObject o;
    EXPECT_EQ("", InitialSaveName(o));
    o.SetFileName("pic.jpg");
    EXPECT_EQ("pic.jpg", InitialSaveName(o));
}

TEST(FileFilters, OpenAndSaveLists)
{
    const std::string open = OpenFilter();
    const std::string expected = std::string("画像ファイル(*.jpg;*.jpeg;*.bmp;*.gif)") + '\0' +
                                 "*.jpg;*.jpeg;*.bmp;*.gif" + '\0' + "映像ファイル(*.3gp)" + '\0' +
                                 "*.3gp" + '\0' + "音楽ファイル(*.mld;*.mid;*.smf)" + '\0' +
                                 "*.mld;*.mid;*.smf" + '\0' + '\0';
    EXPECT_EQ(expected, open);
    const std::string save = SaveFilter(*SaveRuleForKind(MEDIA_SMF));
    EXPECT_EQ(std::string("音楽ファイル(*.mid;*.smf)") + '\0' + "*.mid;*.smf" + '\0' + '\0', save);
}

TEST(GivenFiles, CommandLinePathsLeavesAndTheMessageNamingTheRest)
{
    const struct {
        const char* line;
        std::vector<std::string> paths;
    } cases[] = {
        {"", {}}, {"  \t ", {}}, {"C:\\photo.jpg", {"C:\\photo.jpg"}}, {"\"\" x", {"x"}},
        {"\"C:\\a b.jpg\" C:\\c.mld\t\"D:\\表.gif\"", {"C:\\a b.jpg", "C:\\c.mld", "D:\\表.gif"}},
        {"\"C:\\unclosed name.jpg", {"C:\\unclosed name.jpg"}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.paths, CommandLinePaths(c.line)) << c.line;

    EXPECT_EQ("b.jpg", PathLeaf("C:\\a/b.jpg"));
    EXPECT_EQ("表.jpg", PathLeaf("表.jpg")) << "its trail byte 5C is no separator";
    std::vector<std::string> rest;
    for (int i = 0; i < 10; ++i) rest.push_back("C:\\x\\f" + std::to_string(i));
    const std::string ten = NotOpenedMessage(rest);
    EXPECT_EQ("開いたのは最初のファイルだけです。次のファイルは開いていません。\nf0\nf1", ten.substr(0, ten.find("\nf2")));
    EXPECT_EQ("\nf9", ten.substr(ten.size() - 3)) << "the tenth is the last named";
    rest.push_back("C:\\f10");
    EXPECT_EQ(ten + "\nほか 1 個", NotOpenedMessage(rest));
}

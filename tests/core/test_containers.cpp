#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ByteBuffer.h"
#include "core/NameValueTable.h"
#include "core/TextHelpers.h"

TEST(ByteBuffer, KeepsBytesInOrderAcrossChunks)
{
    ByteBuffer b(8);
    std::string expect;
    for (int i = 0; i < 50; ++i) {
        std::string piece(i % 11, (char)('a' + i % 26));
        b.Append(piece.data(), (uint32_t)piece.size());
        b.AppendByte((uint8_t)i);
        expect += piece;
        expect += (char)i;
    }
    b.AppendText("end");
    expect += "end";
    ASSERT_EQ(expect.size(), b.GetSize());
    EXPECT_EQ(0, std::memcmp(expect.data(), b.GetData(), expect.size()));
}

TEST(ByteBuffer, FlatCopyIsStableUntilTheNextAppend)
{
    ByteBuffer b(4);
    const uint8_t* empty = b.GetData();
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0u, b.GetSize());
    EXPECT_EQ(empty, b.GetData()) << "no append, same block";

    b.AppendText("abcdefghij");  // larger than a chunk: one chunk of its own
    const uint8_t* first = b.GetData();
    EXPECT_EQ(0, std::memcmp("abcdefghij", first, 10));
    b.AppendText("k");
    const uint8_t* second = b.GetData();
    EXPECT_EQ(11u, b.GetSize());
    EXPECT_EQ(0, std::memcmp("abcdefghijk", second, 11));
}

TEST(ByteBuffer, NeverFillsAChunkToItsLastByte)
{
    // With chunk size 8, 4 + 4 bytes would fill the first chunk exactly, so the second block
    // goes into a new chunk. Observable only through content, which must be intact.
    ByteBuffer b(8);
    b.Append("1234", 4);
    b.Append("5678", 4);
    b.Append("9", 1);
    EXPECT_EQ(9u, b.GetSize());
    EXPECT_EQ(0, std::memcmp("123456789", b.GetData(), 9));
}

TEST(NameValueTable, OrderReplaceRemove)
{
    NameValueTable t;
    t.Set("Host", "a");
    t.Set("Accept", "b");
    t.Set("Host", "c");  // keeps its place
    t.Set("host", "d");  // names are case-sensitive
    ASSERT_EQ(3, t.GetCount());
    const char* names[3];
    const char* values[3];
    ASSERT_EQ(3, t.GetNames(names, 3));
    ASSERT_EQ(3, t.GetValues(values, 3));
    EXPECT_STREQ("Host", names[0]);
    EXPECT_STREQ("c", values[0]);
    EXPECT_STREQ("Accept", names[1]);
    EXPECT_STREQ("host", names[2]);
    EXPECT_STREQ("d", t.Get("host"));
    EXPECT_EQ(nullptr, t.Get("Missing"));

    EXPECT_TRUE(t.Remove("Accept"));
    EXPECT_FALSE(t.Remove("Accept"));
    EXPECT_EQ(2, t.GetCount());
    EXPECT_STREQ("host", (t.GetNames(names, 3), names[1]));
}

TEST(NameValueTable, TooSmallArrayIsLeftUntouched)
{
    NameValueTable t;
    t.Set("a", "1");
    t.Set("b", "2");
    const char* names[2] = {"untouched", "untouched"};
    EXPECT_EQ(2, t.GetNames(names, 1));
    EXPECT_STREQ("untouched", names[0]);
    EXPECT_EQ(2, t.GetValues(nullptr, 0));
}

TEST(NameValueTable, ShiftJisNamesAndValues)
{
    NameValueTable t;
    t.Set("COM5", "通信ポート (COM5)");
    t.Set("表", "ソ");
    EXPECT_STREQ("ソ", t.Get("表"));
    EXPECT_STREQ("通信ポート (COM5)", t.Get("COM5"));
}

TEST(TextHelpers, TrimAndConvert)
{
    char a[] = " \t value \t ";
    EXPECT_STREQ("value", TrimText(a));
    char b[] = " \t\t ";
    EXPECT_STREQ("", TrimText(b));
    char c[] = "";
    EXPECT_STREQ("", TrimText(c));
    EXPECT_EQ(u"写真ソ表.jpg", TextToUtf16("写真ソ表.jpg"));
    EXPECT_EQ("写真ソ表.jpg", TextToAnsi(u"写真ソ表.jpg"));
    EXPECT_EQ("", DuplicateText(nullptr));
}

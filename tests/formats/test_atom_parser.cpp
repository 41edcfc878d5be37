#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "formats/AtomParser.h"
#include "tests/support/Mp4Bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testing_mp4::Atom;
using testing_mp4::Stsd;

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out = testing_mp4::Concat(out, p);
    return out;
}

Bytes Movie(const Bytes& stsd)
{
    Bytes stbl = Atom("stbl", stsd);
    Bytes minf = Atom("minf", stbl);
    Bytes mdia = Atom("mdia", minf);
    Bytes trak = Atom("trak", mdia);
    return Cat({Atom("ftyp", {'3', 'g', 'p', '4', 0, 0, 0, 0}), Atom("moov", trak)});
}

struct Size {
    int32_t w, h;
};

Size Read(const Bytes& b)
{
    MovieSizeReader r(b.data(), (uint32_t)b.size());
    r.Parse();
    return {r.GetWidth(), r.GetHeight()};
}

bool Throws(const Bytes& b)
{
    try {
        Read(b);
    } catch (const MP4ParseException& e) {
        EXPECT_EQ(0, e.GetCode());
        return true;
    }
    return false;
}

}  // namespace

TEST(MovieSizeReader, FindsTheMp4vFrameSize)
{
    Size s = Read(Movie(Stsd("mp4v", 176, 144)));
    EXPECT_EQ(176, s.w);
    EXPECT_EQ(144, s.h);
    Size big = Read(Movie(Stsd("mp4v", 0xFFFF, 0x8000)));
    EXPECT_EQ(65535, big.w) << "frame sizes are unsigned";
    EXPECT_EQ(32768, big.h);
}

TEST(MovieSizeReader, OtherCodecsAndBareFilesHaveNoSize)
{
    Size h263 = Read(Movie(Stsd("s263", 176, 144)));
    EXPECT_EQ(-1, h263.w);
    EXPECT_EQ(-1, h263.h);
    Size ftyp = Read(Atom("ftyp", {'3', 'g', 'p', '4'}));
    EXPECT_EQ(-1, ftyp.w);
    EXPECT_EQ(-1, Read(Bytes()).w) << "an empty buffer is an empty walk";
}

TEST(MovieSizeReader, StsdOutsideAContainerIsNotSeen)
{
    // stsd at the top level is visited (and read); inside an unknown atom it is not.
    EXPECT_EQ(176, Read(Stsd("mp4v", 176, 144)).w);
    EXPECT_EQ(-1, Read(Atom("free", Stsd("mp4v", 176, 144))).w);
}

TEST(MovieSizeReader, ZeroSizeEndsOnlyItsOwnRegion)
{
    // A size-0 atom inside moov ends the walk of moov; the walk goes on after moov.
    Bytes moov = Atom("moov", Cat({Bytes{0, 0, 0, 0, 'j', 'u', 'n', 'k'}, Atom("trak", {})}));
    Bytes after = Atom("moov", Atom("trak", Atom("mdia", Atom("minf", Atom("stbl", Stsd("mp4v", 88, 72))))));
    Size s = Read(Cat({moov, after}));
    EXPECT_EQ(88, s.w);
    EXPECT_EQ(72, s.h);
}

TEST(MovieSizeReader, RefusesStructuresThatDoNotAddUp)
{
    Bytes good = Movie(Stsd("mp4v", 176, 144));
    EXPECT_TRUE(Throws(Cat({good, Bytes{0, 0}}))) << "two bytes left over";
    EXPECT_TRUE(Throws(Cat({good, Bytes{0, 0, 0}})));
    Bytes tooBig = good;
    tooBig[3] += 1;  // ftyp claims one byte more than it has... and swallows moov's first byte
    EXPECT_TRUE(Throws(tooBig));
    Bytes huge = Atom("moov", {});
    huge[0] = 0xFF, huge[1] = 0xFF, huge[2] = 0xFF, huge[3] = 0xF8;  // near 2^32
    EXPECT_TRUE(Throws(huge));
}

TEST(MovieSizeReader, HostileSizesStayInsideTheBuffer)
{
    // Size 1 ("64-bit size follows") is taken as a one-byte atom: the walk misaligns, here
    // into a size of 256 that does not fit, and ends in the exception.
    EXPECT_TRUE(Throws(Bytes{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}));
    // A lone size-1 atom at the very end: its type would lie outside the buffer.
    EXPECT_TRUE(Throws(Cat({Atom("free", {}), Bytes{0, 0, 0, 1}})));
    // Containers smaller than their own 8-byte header are not walked.
    EXPECT_TRUE(Throws(Bytes{0, 0, 0, 4, 'm', 'o', 'o', 'v'})) << "4 bytes left after a 4-byte atom";
    EXPECT_EQ(-1, Read(Bytes{0, 0, 0, 6, 'm', 'o', 0, 0, 0, 0}).w);
    // An stsd just too short for the visual sample entry's height is not read past its end.
    Bytes shortStsd = Stsd("mp4v", 176, 144);
    shortStsd.resize(49);
    shortStsd[3] = 49;
    Size s = Read(shortStsd);
    EXPECT_EQ(-1, s.w);
}

TEST(MovieSizeReader, DeepNestingIsRefusedNotRecursedForever)
{
    Bytes b = Stsd("mp4v", 1, 1);
    for (int i = 0; i < 2000; ++i) b = Atom("moov", b);
    EXPECT_TRUE(Throws(b));
    Bytes shallow = Stsd("mp4v", 12, 34);
    for (int i = 0; i < 20; ++i) shallow = Atom("trak", shallow);
    EXPECT_EQ(12, Read(shallow).w);
}

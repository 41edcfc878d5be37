#include <stdexcept>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Codecs.h"

namespace {

std::string B64(const std::string& in)
{
    std::string out(Base64EncodedLength((uint32_t)in.size()), '\0');
    Base64Encode(&out[0], reinterpret_cast<const uint8_t*>(in.data()), (uint32_t)in.size());
    return out;
}

std::string QpEnc(const std::string& in)
{
    std::vector<char> out(QpEncodedLength(in.c_str()), 'X');
    QpEncode(out.data(), in.c_str());
    EXPECT_EQ('\0', out.back()) << "encoding fills the length it announced exactly";
    return out.data();
}

}  // namespace

TEST(Base64, LengthsAndPadding)
{
    EXPECT_EQ(0u, Base64EncodedLength(0));
    EXPECT_EQ(4u, Base64EncodedLength(1));
    EXPECT_EQ(4u, Base64EncodedLength(2));
    EXPECT_EQ(4u, Base64EncodedLength(3));
    EXPECT_EQ(8u, Base64EncodedLength(4));
    EXPECT_EQ("YWJj", B64("abc"));
    EXPECT_EQ("YWI=", B64("ab"));
    EXPECT_EQ("YQ==", B64("a"));
    EXPECT_EQ("", B64(""));
    EXPECT_EQ(3u, Base64DecodedLength(4));  // an upper bound: padding is not subtracted
    EXPECT_EQ(0u, Base64DecodedLength(7));
    // The longest input whose encoding 32 bits can count, and the first that refuses.
    EXPECT_EQ(0xFFFFFFFCu, Base64EncodedLength(0xBFFFFFFDu));
    EXPECT_THROW(Base64EncodedLength(0xBFFFFFFEu), std::length_error);
    EXPECT_THROW(Base64EncodedLength(0xFFFFFFFFu), std::length_error);
}

TEST(Base64, DecodeCountsPaddingAndRefusesBadLength)
{
    uint8_t out[8] = {};
    uint32_t n = 99;
    EXPECT_EQ(nullptr, Base64Decode(out, &n, "YWJjZ", 7));
    EXPECT_EQ(99u, n) << "a refused text writes nothing";
    ASSERT_NE(nullptr, Base64Decode(out, &n, "YWI=", 4));
    EXPECT_EQ(2u, n);
    EXPECT_EQ('a', out[0]);
    EXPECT_EQ('b', out[1]);
    ASSERT_NE(nullptr, Base64Decode(out, &n, "YQ==", 4));
    EXPECT_EQ(1u, n);
    ASSERT_NE(nullptr, Base64Decode(out, &n, "", 0));
    EXPECT_EQ(0u, n);
}

TEST(Base64, RoundTripsEveryByteValue)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += (char)i;
    for (size_t len : {0u, 1u, 2u, 3u, 254u, 255u, 256u}) {
        std::string in = all.substr(0, len);
        std::string enc = B64(in);
        std::vector<uint8_t> dec(Base64DecodedLength((uint32_t)enc.size()) + 1);
        uint32_t n = 0;
        ASSERT_NE(nullptr, Base64Decode(dec.data(), &n, enc.data(), (uint32_t)enc.size()));
        EXPECT_EQ(in, std::string(dec.begin(), dec.begin() + n)) << "length " << len;
    }
}

TEST(QuotedPrintable, EscapesWhatIsNotPlain)
{
    EXPECT_EQ("a=2Db=3Dc=5Fd", QpEnc("a-b=c_d"));
    EXPECT_EQ(" \t", QpEnc(" \t"));
    EXPECT_EQ("=83A", QpEnc("\x83\x41"));  // lead byte escaped, trail byte 'A' kept
    EXPECT_EQ("=7F=0D=0A", QpEnc("\x7F\r\n"));
    EXPECT_EQ(1u, QpEncodedLength(""));
}

TEST(QuotedPrintable, DecodeRules)
{
    EXPECT_EQ(1u, QpDecodedLength("=8"));
    EXPECT_EQ(3u, QpDecodedLength("=83A"));
    char out[16];
    EXPECT_EQ(nullptr, QpDecode(out, "=8"));
    EXPECT_EQ(nullptr, QpDecode(out, "=8a")) << "lower-case digits are refused";
    EXPECT_EQ(nullptr, QpDecode(out, "ab=\r\n")) << "soft breaks must be joined before decoding";
    ASSERT_NE(nullptr, QpDecode(out, "=83A"));
    EXPECT_EQ(std::string("\x83\x41"), std::string(out));
}

TEST(QuotedPrintable, FailedDecodeLeavesAnEmptyTextInsideTheAnnouncedBuffer)
{
    // The text ends inside an escape, so the announced buffer holds only the terminator; a
    // failed decode must neither write past it nor leave garbage in it.
    const char* text = "abcdef=8";
    ASSERT_EQ(1u, QpDecodedLength(text));
    char buf[4] = {'X', 'Y', 'Z', 'W'};
    EXPECT_EQ(nullptr, QpDecode(buf, text));
    EXPECT_EQ('\0', buf[0]);
    EXPECT_EQ('Y', buf[1]) << "nothing written past the one-byte buffer";

    char out[8] = "junk";
    EXPECT_EQ(nullptr, QpDecode(out, "ab=GG"));
    EXPECT_STREQ("", out);
}

TEST(QuotedPrintable, CountedFormsRoundTripBinary)
{
    std::vector<uint8_t> in;
    for (int i = 0; i < 256; ++i) in.push_back((uint8_t)i);
    std::string enc(QpEncodedLength(in.data(), (uint32_t)in.size()), '\0');
    QpEncode(&enc[0], in.data(), (uint32_t)in.size());
    EXPECT_EQ(in.size(), QpDecodedLength(enc.data(), (uint32_t)enc.size()));
    std::vector<uint8_t> out(in.size());
    uint32_t n = 0;
    ASSERT_NE(nullptr, QpDecode(out.data(), &n, enc.data(), (uint32_t)enc.size()));
    EXPECT_EQ(in.size(), n);
    EXPECT_EQ(in, out);
}

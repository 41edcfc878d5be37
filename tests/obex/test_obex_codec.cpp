// The packet and header codec of ObexObject: bounds of the writers and readers, framing, every
// header encoder, the parser with its error texts, and the values and bodies it yields.
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "core/CodePage.h"
#include "core/TimeConv.h"
#include "obex/ObexCrypto.h"
#include "obex/ObexObject.h"
#include "tests/support/ObexPackets.h"
#include "tests/support/TestFiles.h"

namespace {

// Opens up the protected parts the tests need.
class Probe : public ObexObject {
public:
    using ObexObject::ObexObject;
    using ObexObject::auth_;
    using ObexObject::BeginPacket;
    using ObexObject::MakeRequestDigest;
    using ObexObject::MakeSendChallengeNonce;
    using ObexObject::ParseAuthChallenge;
    using ObexObject::ParseAuthResponse;
    using ObexObject::StorePacketLength;
    using ObexObject::VerifyRequestDigest;
};

class Codec : public ::testing::Test {
protected:
    Codec() : object(&transport)
    {
        object.AllocateSendBuffer(255);
        object.AllocateReceiveBuffer(1024);
    }
    // Receives `packet` and parses its headers (after code and length).
    void Parse(const Bytes& packet)
    {
        transport.AddInput(packet);
        object.ReceivePacket();
        object.ReadByte();
        object.ReadWord();
        object.ParseReceivePacket();
    }
    // The bytes WriteHeaders produces, as one sent packet without its 3-byte prefix.
    Bytes Headers()
    {
        object.BeginPacket(0x82);
        object.WriteHeaders();
        object.StorePacketLength();
        transport.ClearSent();
        object.SendPacket();
        const Bytes& sent = transport.Sent();
        EXPECT_EQ(sent.size(), (size_t)((sent[1] << 8) | sent[2]));
        return Bytes(sent.begin() + 3, sent.end());
    }

    ScriptedTransport transport;
    Probe object;
};

const char kLengthError[] = "ParseReceivePacket:文字列の長さが不正です。";

TEST_F(Codec, WritersFillTheSendBufferExactlyAndRefuseOneMore)
{
    object.AllocateSendBuffer(7);
    object.WriteByte(0x01);
    object.WriteWord(0x0203);
    object.WriteDoubleWord(0x04050607);
    ExpectObexError([&] { object.WriteByte(0); }, 2, "WriteByte:パケットあふれが発生しました。");
    ExpectObexError([&] { object.WriteWord(0); }, 2, "WriteWord:パケットあふれが発生しました。");
    ExpectObexError([&] { object.WriteDoubleWord(0); }, 2, "WriteDoubleWord:パケットあふれが発生しました。");
    ExpectObexError([&] { object.WriteBytes("x", 1); }, 2, "WriteBytes:パケットあふれが発生しました。");
    object.SendPacket();
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6, 7}), transport.Sent());
    EXPECT_EQ(0, object.GetSendLength());

    object.AllocateSendBuffer(5);
    object.WriteWord(1);
    ExpectObexError([&] { object.WriteDoubleWord(0); }, 2, "WriteDoubleWord:パケットあふれが発生しました。");
    object.WriteBytes("abc", 3);

    object.AllocateSendBuffer(0);
    ExpectObexError([&] { object.WriteByte(0); }, 2, "WriteByte:パケットあふれが発生しました。");
}

TEST_F(Codec, ReadersStopAtThePacketEnd)
{
    transport.AddInput(Packet(0xA0, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}));
    object.ReceivePacket();
    EXPECT_EQ(10, object.GetReceivedPacketLength());
    EXPECT_EQ(0xA0, object.ReadByte());
    EXPECT_EQ(10, object.ReadWord());
    EXPECT_EQ(0x11223344u, object.ReadDoubleWord());
    ExpectObexError([&] { object.ReadDoubleWord(); }, 3, "ReadDoubleWord:パケット長が不正です。");
    uint8_t two[2];
    object.ReadBytes(two, 2);
    EXPECT_EQ(0x66, two[1]);
    ExpectObexError([&] { object.ReadWord(); }, 3, "ReadWord:パケット長が不正です。");
    ExpectObexError([&] { object.ReadBytes(two, 2); }, 3, "ReadBytes:パケット長が不正です。");
    EXPECT_EQ(0x77, object.ReadByte());
    ExpectObexError([&] { object.ReadByte(); }, 3, "ReadByte:パケット長が不正です。");
}

TEST_F(Codec, ReceivePacketLengthLimits)
{
    // Exactly 3 is a packet without headers; exactly the capacity is accepted.
    Parse(Packet(0xA0));
    EXPECT_EQ(3, object.GetReceivedPacketLength());
    object.AllocateReceiveBuffer(16);
    transport.AddInput(Packet(0x82, Bytes(13, 0x80)));
    object.ReceivePacket();
    EXPECT_EQ(16, object.GetReceivedPacketLength());
    transport.AddInput(Packet(0x82, Bytes(14, 0x80)));
    ExpectObexError([&] { object.ReceivePacket(); }, 3,
                    "ReceivePacket:受信したパケットサイズが最大バイト以上です。");
    for (uint8_t bad : {0, 1, 2}) {
        ScriptedTransport t;
        Probe o(&t);
        o.AllocateReceiveBuffer(64);
        t.AddInput({0x82, 0x00, bad});
        ExpectObexError([&] { o.ReceivePacket(); }, 3, "ReceivePacket:受信したパケットサイズが３バイト以下です。");
    }
}

TEST_F(Codec, ReceivePacketWithoutBufferRefusesInsteadOfWriting)
{
    ScriptedTransport t;
    Probe o(&t);  // no buffers yet
    t.AddInput(Packet(0xA0));
    ExpectObexError([&] { o.ReceivePacket(); }, 3, "ReceivePacket:受信したパケットサイズが最大バイト以上です。");
}

TEST_F(Codec, PeerClosingMidPacketPassesTheTransportErrorThrough)
{
    transport.AddInput({0x82, 0x00, 0x20, 0x48, 0x00});
    try {
        object.ReceivePacket();
        FAIL();
    } catch (const ZvError& e) {
        EXPECT_EQ(OBEX_ERR_IO, e.GetCode());
    }
}

TEST_F(Codec, HeaderEncoders)
{
    object.BeginPacket(0x02);
    object.WriteUnicodeHeader(0x01, "写真.jpg");
    object.WriteUnicodeHeader(0x05, "");
    object.WriteBytesHeader(0x48, "ab", 2);
    object.WriteDoubleWordHeader(0xC3, 0x01020304);
    object.StorePacketLength();
    object.SendPacket();
    Bytes expected = Packet(0x02, Cat({UnicodeHeader(0x01, u"写真.jpg"), UnicodeHeader(0x05, u""),
                                       BytesHeader(0x48, Text("ab")), DoubleWordHeader(0xC3, 0x01020304)}));
    EXPECT_EQ(expected, transport.Sent());
    // A one-character name is 7 bytes long.
    EXPECT_EQ(7, UnicodeHeader(0x01, u"a")[2]);
}

TEST_F(Codec, WriteHeadersInFixedOrder)
{
    object.SetHttpHeader("X-B", "2");
    object.SetHttpHeader("X-A", "1");
    object.SetLength(600);
    object.SetDescription("説明");
    object.SetTime(1210315415);  // 2008-05-09 06:43:35 UTC
    object.SetType("image/jpeg");
    object.SetName("a.jpg");
    object.SetCount(3);
    Bytes expected = Cat({DoubleWordHeader(0xC0, 3), UnicodeHeader(0x01, u"a.jpg"),
                          BytesHeader(0x42, Cat({Text("image/jpeg"), {0}})),
                          BytesHeader(0x44, Text("20080509T064335Z")), UnicodeHeader(0x05, u"説明"),
                          DoubleWordHeader(0xC3, 600), BytesHeader(0x47, Text("X-B: 2\r\nX-A: 1\r\n"))});
    EXPECT_EQ(expected, Headers());

    object.SetTimeAsNumber(true);
    object.RemoveHttpHeader("X-B");
    object.RemoveHttpHeader("X-A");
    Bytes numeric = Headers();
    Bytes timeNumber = DoubleWordHeader(0xC4, 1210315415);
    EXPECT_NE(numeric.end(), std::search(numeric.begin(), numeric.end(), timeNumber.begin(), timeNumber.end()));
    EXPECT_EQ(numeric.size(), expected.size() - 19 - 19 + 5);

    object.ResetOutgoingHeaders();
    EXPECT_TRUE(Headers().empty());
}

TEST_F(Codec, IsoTimeText)
{
    EXPECT_EQ("20080509T064335Z", ObexObject::FormatIsoTime(1210315415));
    EXPECT_EQ("19700101T000000Z", ObexObject::FormatIsoTime(0));
}

TEST(ObexIsoTime, UtcTextIsTheSameInstantInAnyZone)
{
    // Run in a zone far from UTC so that a missing correction would show.
    ScopedTimeZone zone("JST-9");
    TimeZoneOffsetWest();
    const uint8_t* utc = (const uint8_t*)"20080509T064335Z";
    EXPECT_EQ(1210315415, ObexObject::ParseIsoTime(utc, 16));
    int32_t local = 0;
    ASSERT_TRUE(LocalCalendarToSeconds(CalendarTime{2008, 5, 9, 6, 43, 35}, &local));
    EXPECT_EQ(local, ObexObject::ParseIsoTime(utc, 15));
    EXPECT_EQ(1210315415 - 9 * 3600, local);
}

TEST(ObexIsoTime, MalformedTexts)
{
    auto parse = [](const char* text, int32_t n) { return [=] { ObexObject::ParseIsoTime((const uint8_t*)text, n); }; };
    ExpectObexError(parse("20080509T064335Z\0", 17), 3, "ParseReceivePacket:ISO8601の長さが不正です(1)。");
    ExpectObexError(parse("20080509T06433", 14), 3, "ParseReceivePacket:ISO8601の長さが不正です(2)。");
    ExpectObexError(parse("", 0), 3, "ParseReceivePacket:ISO8601の長さが不正です(2)。");
    ExpectObexError(parse("20080509T064335X", 16), 3, "ParseReceivePacket:ISO8601の内容が不正です(1)。");
    ExpectObexError(parse("20080509-064335Z", 16), 3, "ParseReceivePacket:ISO8601の内容が不正です(2)。");
    ExpectObexError(parse("99990509T064335Z", 16), 3, "ParseReceivePacket:ISO8601の内容が不正です(3)。");
}

TEST_F(Codec, ParsesEveryHandledHeader)
{
    Parse(Packet(0x82, Cat({DoubleWordHeader(0xC0, 7), UnicodeHeader(0x01, u"写真.jpg"),
                            BytesHeader(0x42, Text("image/jpeg")), BytesHeader(0x44, Text("20080509T064335Z")),
                            UnicodeHeader(0x05, u"メモ"), DoubleWordHeader(0xC3, 1234),
                            BytesHeader(0x47, Text("A: 1\r\nB:2\n")), BytesHeader(0x48, Text("hello ")),
                            BytesHeader(0x49, Text("world"))})));
    EXPECT_EQ(7u, object.GetCount());
    EXPECT_STREQ("写真.jpg", object.GetName());
    EXPECT_STREQ("image/jpeg", object.GetType());
    EXPECT_EQ(1210315415, object.GetTime());
    EXPECT_STREQ("メモ", object.GetDescription());
    EXPECT_EQ(1234u, object.GetLength());
    EXPECT_STREQ("1", object.GetHttpHeader("A"));
    EXPECT_STREQ("2", object.GetHttpHeader("B"));
    const char* names[2];
    EXPECT_EQ(2, object.GetHttpHeaderNames(names, 2));
    EXPECT_STREQ("B", names[1]);
    ASSERT_EQ(11u, object.GetContentLength());
    EXPECT_EQ(0, std::memcmp("hello world", object.GetBody(), 11));
}

TEST_F(Codec, LaterHeadersReplaceEarlierOnesUntilReset)
{
    Parse(Packet(0x02, Cat({UnicodeHeader(0x01, u"a"), DoubleWordHeader(0xC4, 99)})));
    Parse(Packet(0x82, Cat({UnicodeHeader(0x01, u"b")})));
    EXPECT_STREQ("b", object.GetName());
    EXPECT_EQ(99, object.GetTime());
    object.ResetReceivedHeaders();
    ExpectObexError([&] { object.GetName(); }, 8, "GetName:まだデータを受信していません。");
    Parse(Packet(0x82));
    EXPECT_EQ(nullptr, object.GetName());
    EXPECT_EQ(0, object.GetTime());
    EXPECT_EQ(0u, object.GetLength());
}

TEST_F(Codec, GettersBeforeAnythingReceived)
{
    ExpectObexError([&] { object.GetCount(); }, 8, "GetCount:まだデータを受信していません。");
    ExpectObexError([&] { object.GetContentLength(); }, 8, "GetContentLength:まだデータを受信していません。");
    ExpectObexError([&] { object.GetType(); }, 8, "GetType:まだデータを受信していません。");
    ExpectObexError([&] { object.GetTime(); }, 8, "GetTime:まだデータを受信していません。");
    ExpectObexError([&] { object.GetDescription(); }, 8, "GetDescription:まだデータを受信していません。");
    ExpectObexError([&] { object.GetHttpHeader("A"); }, 8, "GetHttpHeader:まだデータを受信していません。");
    ExpectObexError([&] { object.GetHttpHeaderNames(nullptr, 0); }, 8,
                    "GetHttpHeaderNames:まだデータを受信していません。");
    ExpectObexError([&] { object.GetBody(); }, 8, "GetBody:まだデータを受信していません。");
    try {
        object.GetLength();
        FAIL();
    } catch (const ZvError& e) {
        EXPECT_EQ(8, e.GetCode());
    }
}

TEST_F(Codec, UnicodeHeaderEdges)
{
    Parse(Packet(0x82, {0x01, 0x00, 0x05, 0x00, 0x00}));
    EXPECT_STREQ("", object.GetName());
    // Other Unicode ids are checked, then dropped.
    Parse(Packet(0x82, UnicodeHeader(0x30, u"x")));
    EXPECT_STREQ("", object.GetName());

    ExpectObexError([&] { Parse(Packet(0x82, {0x01, 0x00, 0x03})); }, 3, kLengthError);
    ExpectObexError([&] { Parse(Packet(0x82, {0x01, 0x00, 0x06, 0x00, 0x41, 0x00})); }, 3, kLengthError);
    ExpectObexError([&] { Parse(Packet(0x82, {0x01, 0x00, 0x07, 0x00, 0x41, 0x00, 0x42})); }, 3,
                    "ParseReceivePacket:文字列が0x0000で終わっていません。");
    // A length that runs past the packet.
    ExpectObexError([&] { Parse(Packet(0x82, {0x01, 0x00, 0x09, 0x00, 0x41, 0x00, 0x00})); }, 3,
                    "ReadWord:パケット長が不正です。");
    ExpectObexError([&] { Parse(Packet(0x82, {0x01, 0x00})); }, 3, "ReadWord:パケット長が不正です。");
}

TEST_F(Codec, ByteHeaderEdges)
{
    Parse(Packet(0x82, BytesHeader(0x42, Cat({Text("text/x-vnote"), {0}}))));
    EXPECT_STREQ("text/x-vnote", object.GetType());
    Parse(Packet(0x82, BytesHeader(0x42, {})));
    EXPECT_STREQ("", object.GetType());
    Parse(Packet(0x82, Cat({BytesHeader(0x47, {}), BytesHeader(0x48, {}), BytesHeader(0x4A, Text("who"))})));
    EXPECT_EQ(0u, object.GetContentLength());
    ExpectObexError([&] { Parse(Packet(0x82, {0x48, 0x00, 0x02})); }, 3, kLengthError);
    ExpectObexError([&] { Parse(Packet(0x82, {0x48, 0x00, 0x09, 'a'})); }, 3, "ReadBytes:パケット長が不正です。");
    ExpectObexError([&] { Parse(Packet(0x82, BytesHeader(0x44, Text("20080509T0643")))); }, 3,
                    "ParseReceivePacket:ISO8601の長さが不正です(2)。");
    ExpectObexError([&] { Parse(Packet(0x82, BytesHeader(0x44, Cat({Text("20080509T064335Z"), {0}})))); }, 3,
                    "ParseReceivePacket:ISO8601の長さが不正です(1)。");
}

TEST_F(Codec, OneAndFourByteHeaders)
{
    // 0x97 costs exactly 2 bytes; 0xCB is read and dropped.
    Parse(Packet(0x82, Cat({{0x97, 0x55}, DoubleWordHeader(0xCB, 0xFFFFFFFF), DoubleWordHeader(0xC3, 5)})));
    EXPECT_EQ(5u, object.GetLength());
    EXPECT_EQ(object.GetReceivedPacketLength(), object.GetReadPosition());
    ExpectObexError([&] { Parse(Packet(0x82, {0x97})); }, 3, "ReadByte:パケット長が不正です。");
    ExpectObexError([&] { Parse(Packet(0x82, {0xC3, 0, 0, 1})); }, 3, "ReadDoubleWord:パケット長が不正です。");
}

TEST_F(Codec, FailureKeepsWhatWasParsedBefore)
{
    EXPECT_THROW(Parse(Packet(0x82, Cat({UnicodeHeader(0x01, u"kept"), {0x01, 0x00, 0x04}}))), ObexException);
    EXPECT_STREQ("kept", object.GetName());
}

TEST_F(Codec, HttpHeaderLines)
{
    auto http = [&](const std::string& s) { Parse(Packet(0x82, BytesHeader(0x47, Text(s)))); };
    http(" Name\t: spaced value \t\r\nName: again\n");
    EXPECT_STREQ("again", object.GetHttpHeader("Name"));
    EXPECT_EQ(nullptr, object.GetHttpHeader("name"));
    ExpectObexError([&] { http("A: 1"); }, 3, "ParseHttpHeader:HTTPヘッダの内容が不正です(3)。");
    ExpectObexError([&] { http("A: 1\n\nB: 2\n"); }, 3, "ParseHttpHeader:HTTPヘッダの内容が不正です(1)。");
    ExpectObexError([&] { http("no colon\n"); }, 3, "ParseHttpHeader:HTTPヘッダの内容が不正です(2)。");
    ExpectObexError([&] { http(":x\n"); }, 3, "ParseHttpHeader:HTTPヘッダの内容が不正です(2)。");
    ExpectObexError([&] { http("\r\n"); }, 3, "ParseHttpHeader:HTTPヘッダの内容が不正です(2)。");
}

class Collector : public ObexBodyReceiver {
public:
    void Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool endOfBody) override
    {
        calls.push_back({Bytes(data, data + length), endOfBody, owner->GetLength()});
    }
    struct Call {
        Bytes data;
        bool end;
        uint32_t lengthKnown;
    };
    std::vector<Call> calls;
};

TEST_F(Codec, BodyReceiverTakesEachPayloadInsteadOfTheBuffer)
{
    Collector collector;
    object.SetBodyReceiver(&collector);
    Parse(Packet(0x82, Cat({DoubleWordHeader(0xC3, 9), BytesHeader(0x48, Text("abc")), BytesHeader(0x48, {}),
                            BytesHeader(0x49, Text("def"))})));
    ASSERT_EQ(3u, collector.calls.size());
    EXPECT_EQ(Text("abc"), collector.calls[0].data);
    EXPECT_FALSE(collector.calls[0].end);
    EXPECT_EQ(9u, collector.calls[0].lengthKnown);  // Length came first in the packet
    EXPECT_TRUE(collector.calls[1].data.empty());
    EXPECT_TRUE(collector.calls[2].end);
    EXPECT_EQ(0u, object.GetContentLength());
    EXPECT_NE(nullptr, object.GetBody());

    object.SetBodyReceiver(nullptr);
    Parse(Packet(0x82, BytesHeader(0x48, Text("xyz"))));
    EXPECT_EQ(3u, object.GetContentLength());
}

TEST(ObexBodySource, MemorySourceHandsOutTheBlockInPieces)
{
    const char text[] = "0123456789";
    MemoryBodySource source(text, 10);
    uint8_t piece[4];
    EXPECT_EQ(4, source.Read(nullptr, piece, 4));
    EXPECT_EQ(0, std::memcmp(piece, "0123", 4));
    EXPECT_EQ(4u, source.GetPosition());
    EXPECT_EQ(4, source.Read(nullptr, piece, 4));
    EXPECT_EQ(2, source.Read(nullptr, piece, 4));
    EXPECT_EQ(0, std::memcmp(piece, "89", 2));
    EXPECT_EQ(0, source.Read(nullptr, piece, 4));
    EXPECT_EQ(10u, source.GetSize());
    MemoryBodySource empty(nullptr, 0);
    EXPECT_EQ(0, empty.Read(nullptr, piece, 4));
}

class CountingSource : public ObexBodySource {
public:
    explicit CountingSource(int* alive) : alive_(alive) { ++*alive_; }
    ~CountingSource() override { --*alive_; }
    int32_t Read(ObexObject*, uint8_t*, int32_t) override { return 0; }

private:
    int* alive_;
};

TEST_F(Codec, OwnedAndBorrowedBodySources)
{
    int alive = 0;
    CountingSource* borrowed = new CountingSource(&alive);
    object.SetBody("abc", 3);
    object.SetBody("defg", 4);  // replaces the owned source once
    EXPECT_EQ(Cat({DoubleWordHeader(0xC3, 4)}), Headers());
    object.SetBodySource(borrowed);
    object.ResetOutgoingHeaders();  // a borrowed source is not the object's to destroy
    EXPECT_EQ(1, alive);
    delete borrowed;
}

TEST(ObexObjectLife, CloseClosesTheTransportOnce)
{
    ScriptedTransport t;
    {
        ObexObject o(&t);
        EXPECT_EQ(1, t.opens);
        o.Close();
        o.Close();
        EXPECT_EQ(1, t.closes);
    }
    EXPECT_EQ(1, t.closes);
    ScriptedTransport u;
    {
        ObexObject o(&u);
    }
    EXPECT_EQ(1, u.closes);
    // A closed transport stays closed: an engine made on it fails at once.
    EXPECT_THROW(ObexObject{&t}, ZvError);
}

// ---- Authentication headers ------------------------------------------------------------------

TEST_F(Codec, AuthChallengeLayoutAndRoundTrip)
{
    for (uint8_t i = 0; i < 16; ++i) object.auth_.localNonce[i] = (uint8_t)(0xA0 + i);
    object.auth_.hasLocalNonce = true;
    object.auth_.localOptions = 0x03;
    object.auth_.hasLocalRealm = true;
    object.auth_.localRealmCharset = 0xFF;
    object.auth_.localRealm = "部屋";
    object.auth_.sendChallenge = true;
    Bytes nonce;
    for (uint8_t i = 0; i < 16; ++i) nonce.push_back((uint8_t)(0xA0 + i));
    Bytes payload = Cat({{0x00, 16}, nonce, {0x01, 1, 0x03}, {0x02, 7, 0xFF, 0x90, 0xE8, 0x5C, 0x4B, 0x00, 0x00}});
    Bytes written = Headers();
    EXPECT_EQ(BytesHeader(0x4D, payload), written);

    Parse(Packet(0xC1, written));
    EXPECT_TRUE(object.auth_.challengeReceived);
    EXPECT_EQ(0, std::memcmp(object.auth_.challengeNonce, nonce.data(), 16));
    EXPECT_EQ(0x03, object.auth_.challengeOptions);
    EXPECT_EQ("部屋", object.auth_.challengeRealm);

    object.auth_.localRealmCharset = 0x00;
    object.auth_.localRealm = "abc";
    object.auth_.hasLocalNonce = false;
    EXPECT_EQ(BytesHeader(0x4D, Cat({{0x01, 1, 0x03}, {0x02, 5, 0x00, 'a', 'b', 'c', 0}})), Headers());
}

TEST_F(Codec, AuthResponseLayoutAndRoundTrip)
{
    Bytes digest(16, 0x5A);
    std::memcpy(object.auth_.localDigest, digest.data(), 16);
    object.auth_.hasLocalDigest = true;
    object.auth_.hasLocalResponseUserId = true;
    object.auth_.localResponseUserId = "user";
    object.auth_.sendResponse = true;
    Bytes written = Headers();
    EXPECT_EQ(BytesHeader(0x4E, Cat({{0x00, 16}, digest, {0x01, 5, 'u', 's', 'e', 'r', 0}})), written);
    Parse(Packet(0x82, written));
    EXPECT_TRUE(object.auth_.responseReceived);
    EXPECT_EQ("user", object.auth_.receivedUserId);
    EXPECT_EQ(0, std::memcmp(object.auth_.receivedDigest, digest.data(), 16));
}

TEST_F(Codec, LongAuthTextsAreCutToFitTheOneByteTagLength)
{
    object.AllocateSendBuffer(1024);
    object.auth_.hasLocalResponseUserId = true;
    object.auth_.localResponseUserId = std::string(300, 'u');
    object.auth_.sendResponse = true;
    Bytes written = Headers();
    EXPECT_EQ(255, written[4]);                      // tag length
    EXPECT_EQ(3u + 2 + 255, written.size());         // header = id + length + tag + value
    Parse(Packet(0x82, written));
    EXPECT_EQ(std::string(254, 'u'), object.auth_.receivedUserId);
}

TEST_F(Codec, AuthChallengeTagsInAnyOrderLastWins)
{
    Bytes first(16, 1), second(16, 2);
    object.ParseAuthChallenge(Cat({{0x01, 1, 0x02}, {0x00, 16}, first, {0x00, 16}, second, {0x02, 3, 0x00, 'r', 0},
                                   {0x7F, 0}}).data(),
                              44);
    EXPECT_EQ(0, std::memcmp(object.auth_.challengeNonce, second.data(), 16));
    EXPECT_EQ(0x02, object.auth_.challengeOptions);
    EXPECT_EQ("r", object.auth_.challengeRealm);
}

TEST_F(Codec, MalformedAuthChallenge)
{
    auto challenge = [&](Bytes p) { return [=] { object.ParseAuthChallenge(p.data(), (int32_t)p.size()); }; };
    const std::string base = "ParseAuthChallenge:AUTHENTICATE CHALLENGEヘッダの内容が不正です";
    ExpectObexError(challenge({0x01, 1}), 3, (base + "(1)。").c_str());
    ExpectObexError(challenge({0x01, 1, 0x02, 0x01}), 3, (base + "(1)。").c_str());
    ExpectObexError(challenge({0x01, 2, 0x02}), 3, (base + "(2)。").c_str());
    ExpectObexError(challenge(Cat({{0x00, 15}, Bytes(15, 0)})), 3, (base + "(3)。").c_str());
    ExpectObexError(challenge({0x01, 2, 0x02, 0x00}), 3, (base + "(4)。").c_str());
    ExpectObexError(challenge({0x02, 1, 0xFF}), 3, (base + "(5)。").c_str());
    ExpectObexError(challenge({0x02, 2, 0xFF, 0x41}), 3, (base + "(6)。").c_str());
}

TEST_F(Codec, MalformedAuthResponse)
{
    auto response = [&](Bytes p) { return [=] { object.ParseAuthResponse(p.data(), (int32_t)p.size()); }; };
    const std::string base = "ParseAuthResponse:AUTHENTICATE RESPONSEヘッダの内容が不正です";
    ExpectObexError(response({0x01}), 3, (base + "(1)。").c_str());
    ExpectObexError(response({0x01, 9, 'a'}), 3, (base + "(2)。").c_str());
    ExpectObexError(response(Cat({{0x00, 17}, Bytes(17, 0)})), 3, (base + "(3)。").c_str());
    ExpectObexError(response({0x02, 1, 0}), 3, (base + "(4)。").c_str());
    // The failure surfaces through the packet parser too.
    ExpectObexError([&] { Parse(Packet(0x82, BytesHeader(0x4E, {0x00, 3, 1, 2, 3}))); }, 3, (base + "(3)。").c_str());
}

// ---- Digests ---------------------------------------------------------------------------------

TEST(ObexCrypto, Md5MatchesTheRfc1321TestSuite)
{
    const struct {
        const char* text;
        const char* digest;
    } suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : suite) {
        uint8_t out[16];
        ASSERT_TRUE(Md5(c.text, (uint32_t)std::strlen(c.text), out));
        EXPECT_EQ(Hex(c.digest), Bytes(out, out + 16)) << '"' << c.text << '"';
    }
}

TEST_F(Codec, NoncesDifferAndDigestsFollowTheRule)
{
    uint8_t a[16], b[16];
    object.MakeSendChallengeNonce(a);
    object.MakeSendChallengeNonce(b);
    EXPECT_NE(0, std::memcmp(a, b, 16));

    object.SetAuthPassword("secret");
    uint8_t nonce[16];
    for (int i = 0; i < 16; ++i) nonce[i] = (uint8_t)i;
    // The digest is MD5 of nonce ":" password (values from an independent MD5).
    uint8_t digest[16];
    object.MakeRequestDigest(digest, nonce, nullptr);
    EXPECT_EQ(Hex("f75600cdbd52064bea92eca36d553b00"), Bytes(digest, digest + 16));

    std::memcpy(object.auth_.localNonce, nonce, 16);
    object.auth_.hasLocalNonce = true;
    EXPECT_TRUE(object.VerifyRequestDigest(digest, nullptr));
    digest[3] ^= 1;
    EXPECT_FALSE(object.VerifyRequestDigest(digest, nullptr));

    object.SetAuthPassword("");
    object.MakeRequestDigest(digest, nonce, nullptr);  // nonce and colon only
    EXPECT_EQ(Hex("4fccbadeeede45ba92007144a1cd96c7"), Bytes(digest, digest + 16));

    object.SetAuthPassword(nullptr);
    ExpectObexError([&] { object.MakeRequestDigest(digest, nonce, nullptr); }, 8,
                    "GetCurrentPassword:認証に必要なパスワードを取得できませんでした。");
}

}  // namespace

// Feeds arbitrary bytes to the OBEX engine as if a peer had sent them: to the header parser of
// one packet, to the server's Accept / ReceiveRequest loop, and to the client's CONNECT, PUT and
// DISCONNECT. Every outcome must be a return or a ZvError (the engine's or the transport's),
// never a crash or a hang.
#include <cstddef>
#include <cstdint>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/support/ObexTestTransport.h"

namespace {

class NullReceiver : public ObexBodyReceiver {
public:
    void Receive(ObexObject* owner, const uint8_t* data, int32_t length, bool) override
    {
        for (int32_t i = 0; i < length; ++i) sum += data[i];
        owner->GetLength();
    }
    unsigned sum = 0;
};

const int32_t kSizes[4] = {255, 1024, 2048, 8192};

void Touch(ObexObject& o)
{
    o.GetName();
    o.GetType();
    o.GetDescription();
    o.GetTime();
    o.GetCount();
    o.GetLength();
    const char* names[8];
    o.GetHttpHeaderNames(names, 8);
    o.GetBody();
}

void ParseOnePacket(uint8_t flags, const Bytes& input)
{
    ScriptedTransport t(kSizes[flags & 3], 1 + (flags >> 4));
    t.AddInput(input);
    ObexObject o(&t);
    o.AllocateReceiveBuffer(kSizes[flags & 3]);
    NullReceiver receiver;
    if (flags & 4) o.SetBodyReceiver(&receiver);
    try {
        o.ReceivePacket();
        o.ReadByte();
        o.ReadWord();
        if (flags & 8) {  // a CONNECT packet's fixed fields
            o.ReadDoubleWord();
        }
        o.ParseReceivePacket();
        Touch(o);
    } catch (const ZvError&) {
    }
}

void Serve(uint8_t flags, const Bytes& input)
{
    ScriptedTransport t(kSizes[flags & 3], 1 + (flags >> 4));
    t.AddInput(input);
    ObexServer s(&t);
    NullReceiver receiver;
    if (flags & 4) {
        s.SetAuthPassword("pw");
        s.SetRequestUserId(flags & 8);
        s.SetAuthUserId("user");
        s.SetRealm(0xFF, "realm");
    }
    try {
        s.Accept();
        for (int i = 0; i < 64; ++i) {
            if (i & 1) s.SetBodyReceiver(&receiver);
            s.ReceiveRequest();
            Touch(s);
            if ((flags & 4) && s.GetOperation() == 0x81) s.Authenticate();
            s.SendResponse(0x20);
        }
    } catch (const ZvError&) {
    }
}

void Send(uint8_t flags, const Bytes& input)
{
    ScriptedTransport t(kSizes[flags & 3], 1 + (flags >> 4));
    t.AddInput(input);
    ObexClient c(&t);
    if (flags & 4) {
        c.SetAuthPassword("pw");
        c.SetAuthUserId("user");
    }
    try {
        c.Connect();
        c.SetName("a.jpg");
        c.SetType("image/jpeg");
        c.SetTime(1210315415);
        static const uint8_t body[3000] = {1, 2, 3};
        c.SetBody(body, (flags & 8) ? 3000 : 10);
        if (flags & 4) c.SetAuthPassword("pw");
        c.SetOperation(0x82);
        c.SendRequest();
        c.SetOperation((flags & 8) ? 0x83 : 0x81);
        c.SendRequest();
    } catch (const ZvError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 65536) return 0;
    const Bytes input(data + 2, data + size);
    switch (data[0] % 3) {
    case 0: ParseOnePacket(data[1], input); break;
    case 1: Serve(data[1], input); break;
    default: Send(data[1], input); break;
    }
    return 0;
}

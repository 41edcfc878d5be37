// The decoders must stay inside the buffers their own length functions announce.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    uint32_t n = (uint32_t)size;

    std::vector<uint8_t> b64(Base64DecodedLength(n));
    uint32_t got = 0;
    if (Base64Decode(b64.data(), &got, text, n) && got > b64.size()) __builtin_trap();

    std::string z(text, size);  // terminated copy for the text forms
    std::vector<char> qp(QpDecodedLength(z.c_str()));
    QpDecode(qp.data(), z.c_str());

    std::vector<char> enc(QpEncodedLength(z.c_str()));
    QpEncode(enc.data(), z.c_str());
    std::vector<char> back(QpDecodedLength(enc.data()));
    if (!QpDecode(back.data(), enc.data())) __builtin_trap();
    if (std::string(back.data()) != std::string(z.c_str())) __builtin_trap();
    return 0;
}

// The header sniff that guards the picture decoders must never read outside its input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/PictureSize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xffffffffu) return 0;
    // An exact-size heap copy, so that ASan sees any read past the end.
    std::vector<uint8_t> copy(data, data + size);
    uint32_t w = 0, h = 0;
    ReadDeclaredPictureSize(copy.data(), (uint32_t)copy.size(), &w, &h);
    return 0;
}

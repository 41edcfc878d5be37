// Any byte string must end in a frame size, "no size", or MP4ParseException.
#include <cstddef>
#include <cstdint>

#include "formats/AtomParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MovieSizeReader reader(data, (uint32_t)size);
    try {
        reader.Parse();
    } catch (const MP4ParseException&) {
    }
    return 0;
}

// ParseReceivedObject over arbitrary bodies: every input must end in a result code, and a
// rebuilt P504i bitmap must be a file the bitmap reader accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/MediaObject.h"
#include "formats/BitmapManager.h"
#include "formats/VNoteReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xffffffffu) return 0;
    // The OBEX name decides between the NEC formats; vary it and the Time header with the size.
    static const char* const kNames[] = {nullptr, "pic.vnt", "msc.vnt", "nec_pic.vnt"};
    const int32_t time = 1205071507;
    ReceivedObject out;
    const int32_t result = ParseReceivedObject(data, (uint32_t)size, kNames[size % 4],
                                               size % 2 ? &time : nullptr, &out);
    switch (result) {
    case 0:
        if (out.body.empty()) abort();
        break;
    case RECEIVE_UNKNOWN_OBJECT:
    case RECEIVE_UNKNOWN_FORMAT:
    case RECEIVE_NO_DATA:
    case RECEIVE_BAD_DATA:
        if (out.kind != 0 || out.format != 0 || !out.body.empty()) abort();
        return 0;
    default:
        abort();
    }
    if (out.format == FORMAT_P504I && out.kind == MEDIA_BMP) {
        try {
            BitmapManager bitmap(out.body.data(), (uint32_t)out.body.size());
        } catch (const Zorvex::BitmapManagerException&) {
            abort();
        }
    }
    return 0;
}

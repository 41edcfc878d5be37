// A whole send session against a hostile phone: the send transfer builds a phone object and PUTs
// it over a line whose other end answers with the input. Every answer, however wrong or however
// often repeated, must end the send with a result; never a crash, a hang or unbounded memory.
//
// Input: one byte choosing the object (bits 0-2: kind and format; bit 3: over a serial line,
// else over infrared; bits 4-7: extra body bytes in steps of 251, so that the PUT takes several
// packets), then the phone's script (SessionScript.h).
#include <cstdlib>

#include "app/Transfer.h"
#include "fuzz/SessionScript.h"
#include "tests/formats/VNoteFixtures.h"

using namespace fuzz_session;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    static const struct {
        int32_t kind, format;
        std::vector<uint8_t> body;
    } kObjects[8] = {
        {MEDIA_IMELODY, FORMAT_DOCOMO, vnote_test::MldHeader()},
        {MEDIA_IMELODY, FORMAT_NEC, vnote_test::MldHeader()},
        {MEDIA_SMF, FORMAT_FUJITSU, vnote_test::SmfHeader()},  // with a Type header
        {MEDIA_IMELODY, FORMAT_P504I, vnote_test::MldHeader()},
        {MEDIA_MOVIE, FORMAT_NEC, vnote_test::TinyMovie(128, 96)},
        {MEDIA_MOVIE, FORMAT_P2102V, vnote_test::TinyMovie(176, 144)},
        {MEDIA_JPEG, FORMAT_DIRECT, vnote_test::FakeJpeg(64, 0xE0)},
        {MEDIA_IMELODY, FORMAT_DIRECT, vnote_test::MldHeader()},
    };
    const auto& chosen = kObjects[data[0] & 7];
    Script script(data + 1, size - 1);
    Transports transports(script, (data[0] & 8) != 0);
    CountingUi ui;
    CancelSignal cancel;
    SendTransfer transfer(ui, transports, cancel);
    SendJob& job = transfer.Job();
    job.kind = chosen.kind;
    job.format = chosen.format;
    job.body = chosen.body;
    job.body.resize(job.body.size() + (size_t)(data[0] >> 4) * 251, 0x5A);
    job.fileName = "a.mld";
    job.title = job.summary = "t";
    job.time = 1210315415;
    const int32_t result = transfer.Run();
    if (result < SEND_OK || result > SEND_RELEASE_FAILED) std::abort();
    return 0;
}

// A whole receive session against a hostile phone: the receive transfer over a line whose other
// end plays the input, then what it received through the information and save-name code, as the
// Information and Save commands would take it. Besides crashes, hangs and memory beyond the
// run's limit, a failed receive must keep nothing, a kept object must be of a kind the program
// keeps, and the dialog must not get more progress messages than the line brought packets.
//
// Input: one byte (bit 0: over a serial line, else over infrared), then the phone's script
// (SessionScript.h).
#include <cstdlib>

#include "app/FileRules.h"
#include "app/ObjectInfo.h"
#include "app/Transfer.h"
#include "app/TransferSession.h"
#include "fuzz/SessionScript.h"

using namespace fuzz_session;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    Script script(data + 1, size - 1);
    Transports transports(script, (data[0] & 1) != 0);
    CountingUi ui;
    CancelSignal cancel;
    ReceiveTransfer transfer(ui, transports, cancel);
    Phone::receives = 0;
    const int32_t result = transfer.Run();
    const ReceivedObject& got = transfer.Received();
    if (ui.progress > Phone::receives + 1) std::abort();
    if (result != RECEIVE_OK) {
        if (got.kind != 0 || got.format != 0 || !got.body.empty() || got.fileName) std::abort();
        return 0;
    }
    if (!IsTransferableKind(got.kind) || got.body.size() > kMaxMediaBody) std::abort();

    const std::unique_ptr<MediaObject> object = MakeReceivedObject(got);
    const ObjectInfo info = DescribeObject(*object, false, 0, 0);
    const std::string name = InitialSaveName(*object);
    const SaveRule* rule = SaveRuleForKind(object->GetKind());
    if (!rule || info.kind.empty()) std::abort();
    std::string path;
    if (FinalSaveName(name, *rule, &path) != SaveNameStatus::Ok) std::abort();
    ContentMatchesKind(object->GetKind(), object->GetBody(), object->GetBodyLength());
    return 0;
}

// A whole receive session against a hostile phone: the receive transfer over a line whose other
// end plays the input, each object it keeps through the information and save-name code, as the
// Information and Save commands would take it. Besides crashes, hangs and memory beyond the
// run's limit: the phone hears SUCCESS for an object exactly when the sink kept it, the receive
// succeeds exactly when something was kept, a kept object is of a kind the program keeps (and a
// picture what its label says), and the dialog gets no more progress messages than the line
// brought packets.
//
// Input: one byte (bit 0: over a serial line, else over infrared; bit 1: the sink refuses every
// other object), then the phone's script (SessionScript.h).
#include <cstdlib>

#include "app/FileRules.h"
#include "app/ObjectInfo.h"
#include "app/Transfer.h"
#include "app/TransferSession.h"
#include "app/ViewContent.h"
#include "fuzz/SessionScript.h"

using namespace fuzz_session;

namespace {

// Keeps every object it is offered, as zvx does, or refuses every other one; records which
// answer each decision must become.
class Sink : public ReceivedObjectSink {
public:
    explicit Sink(bool refuseEveryOther) : refuseEveryOther_(refuseEveryOther) {}
    int32_t Take(IncomingObject& incoming) override
    {
        const bool keep = incoming.refusal == 0 && !(refuseEveryOther_ && offered_++ % 2 == 1);
        if (keep) Check(incoming.object);
        // The next packet the phone hears answers this object.
        decisions.push_back({Phone::answers.size(), keep});
        kept += keep;
        return keep ? 0 : RECEIVE_NO_ROOM;
    }
    struct Decision {
        size_t answer;
        bool kept;
    };
    std::vector<Decision> decisions;
    uint32_t kept = 0;

private:
    // What the Information and Save commands would make of it.
    static void Check(const ReceivedObject& got)
    {
        if (!IsTransferableKind(got.kind) || got.body.size() > kMaxMediaBody) std::abort();
        const std::unique_ptr<MediaObject> object = MakeReceivedObject(got);
        const ObjectInfo info = DescribeObject(*object, false, 0, 0);
        const std::string name = InitialSaveName(*object);
        const SaveRule* rule = SaveRuleForKind(object->GetKind());
        if (!rule || info.kind.empty()) std::abort();
        std::string path;
        if (FinalSaveName(name, *rule, &path) != SaveNameStatus::Ok) std::abort();
        if (IsPictureKind(object->GetKind()) &&
            !ContentMatchesKind(object->GetKind(), object->GetBody(), object->GetBodyLength()))
            std::abort();
    }
    bool refuseEveryOther_;
    uint32_t offered_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    Script script(data + 1, size - 1);
    Transports transports(script, (data[0] & 1) != 0);
    CountingUi ui;
    CancelSignal cancel;
    Sink sink((data[0] & 2) != 0);
    ReceiveTransfer transfer(ui, transports, cancel, sink);
    Phone::receives = 0;
    Phone::answers.clear();
    const int32_t result = transfer.Run();
    if (ui.progress > Phone::receives + 1) std::abort();
    if ((result == RECEIVE_OK) != (sink.kept > 0) || transfer.Kept() != sink.kept) std::abort();
    // The phone hears SUCCESS for an object exactly when the sink kept it. Besides those, only
    // the CONNECT (first) and a DISCONNECT (last) are answered SUCCESS.
    std::vector<bool> isAnswer(Phone::answers.size() + 1, false);
    for (const Sink::Decision& d : sink.decisions) {
        if (d.answer < Phone::answers.size() && (Phone::answers[d.answer] == 0xA0) != d.kept)
            std::abort();
        isAnswer[d.answer] = true;
    }
    for (size_t i = 1; i < Phone::answers.size(); ++i) {
        if (Phone::answers[i] == 0xA0 && !isAnswer[i] && i + 1 != Phone::answers.size())
            std::abort();
    }
    return 0;
}

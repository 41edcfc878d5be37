// The program's own transfers over a real COM port, for bench/transfer-bench.sh under Wine: the
// receive and send workers' transfers through the program's transport factory, exactly as the
// serial commands run them. Prints "waiting" once a receive listens on the port, then one line:
//   ok=<0|1> body=<bytes> status=<the last status text>
//
//   transfer_bench receive <port> <bps> <expected-body-file>
//   transfer_bench send <port> <bps> <jpeg-file>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/Transfer.h"
#include "app/TransferSession.h"
#include "transport/win32/Transports.h"

namespace {

// A dialog nobody sees; it only announces when the receive waits for the phone.
class QuietUi : public TransferUi {
public:
    void SetStatus(const std::string& text) override
    {
        last = text;
        if (text == "接続待ち中です。") {
            std::printf("waiting\n");
            std::fflush(stdout);
        }
    }
    void SetCaption(const std::string&) override {}
    void EnableButton(bool) override {}
    void SetButtonText(const std::string&) override {}
    void SetTransferActive(bool) override {}
    void ReportProgress(uint32_t, uint32_t) override {}
    void Done(bool) override {}
    std::string last;
};

std::vector<uint8_t> ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s receive|send <port> <bps> <file>\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const SerialLine serial{argv[2], (uint32_t)std::atol(argv[3])};
    const std::vector<uint8_t> file = ReadFile(argv[4]);
    Win32Transports transports(serial);
    QuietUi ui;
    bool ok = false;
    size_t body = 0;
    if (mode == "receive") {
        struct Keep : ReceivedObjectSink {
            int32_t Take(IncomingObject& incoming) override
            {
                if (incoming.refusal == 0) body = std::move(incoming.object.body);
                return incoming.refusal;
            }
            std::vector<uint8_t> body;
        } kept;
        CancelSignal never;
        ReceiveTransfer transfer(ui, transports, never, kept);
        ok = transfer.Run() == RECEIVE_OK;
        body = kept.body.size();
        ok = ok && kept.body == file;
    } else if (mode == "send") {
        TransferRequest request;
        request.direction = Direction::Send;
        request.serial = serial;
        SendJob& job = request.job;
        job.kind = MEDIA_JPEG, job.format = FORMAT_DIRECT, job.fileName = "bench.jpg", job.body = file;
        job.time = 1704164645;
        body = file.size();
        ok = TransferSession(std::move(request)).Run(ui, transports, nullptr, nullptr);
    } else {
        std::fprintf(stderr, "transfer_bench: unknown mode %s\n", argv[1]);
        return 2;
    }
    std::printf("ok=%d body=%zu status=%s\n", ok ? 1 : 0, body, ui.last.c_str());
    return ok ? 0 : 1;
}

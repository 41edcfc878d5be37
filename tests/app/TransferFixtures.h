// Stand-ins for a transfer's surroundings: a dialog that records what it is shown, transports
// over an in-memory link whose other end plays the phone, and the Infrared Monitor service.
#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Transfer.h"
#include "app/TransferSession.h"
#include "tests/support/ObexTestTransport.h"
#include "transport/TransportException.h"

class RecordingUi : public TransferUi {
public:
    void SetStatus(const std::string& text) override { Record(statuses, text); }
    void SetCaption(const std::string& text) override { Record(captions, text); }
    void EnableButton(bool enabled) override { Record(buttons, enabled ? "on" : "off"); }
    void SetButtonText(const std::string& text) override { Record(buttonTexts, text); }
    void SetTransferActive(bool on) override
    {
        std::lock_guard<std::mutex> g(lock);
        active = on;
        changed.notify_all();
    }
    void ReportProgress(uint32_t done, uint32_t total) override
    {
        std::lock_guard<std::mutex> g(lock);
        progress.emplace_back(done, total);
    }
    void Done(bool succeeded) override
    {
        std::lock_guard<std::mutex> g(lock);
        doneCalls.push_back(succeeded);
    }

    // Waits until the status line has shown `text`, then cancels like the dialog's button.
    template <class Cancellable>
    void CancelWhenShown(const std::string& text, Cancellable& transfer)
    {
        {
            std::unique_lock<std::mutex> g(lock);
            changed.wait(g, [&] {
                for (const std::string& s : statuses)
                    if (s == text) return true;
                return false;
            });
        }
        transfer.Cancel();
    }

    std::string LastStatus()
    {
        std::lock_guard<std::mutex> g(lock);
        return statuses.empty() ? "" : statuses.back();
    }

    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> statuses, captions, buttons, buttonTexts;
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    std::vector<bool> doneCalls;
    bool active = false;  // the dialog would show the transfer's progress

private:
    void Record(std::vector<std::string>& list, const std::string& text)
    {
        std::lock_guard<std::mutex> g(lock);
        list.push_back(text);
        changed.notify_all();
    }
};

// The program's side of an in-memory link; `phone` is the other end.
class MemoryTransports : public TransportFactory {
public:
    // `wholePieces`: every Send and Receive moves all it can, for sessions of many megabytes.
    explicit MemoryTransports(int32_t maxPacket = 2048, bool serial = false, bool wholePieces = false)
        : link(std::make_shared<MemoryLink>()), phone(link, 0, 8192, wholePieces ? 0 : 5),
          maxPacket_(maxPacket), serial_(serial), piece_(wholePieces ? 0 : 11)
    {
    }
    bool IsSerial() const override { return serial_; }
    std::unique_ptr<ObexServerSocket> CreateServerSocket() override { return Create(); }
    std::unique_ptr<ObexClientSocket> CreateClientSocket() override
    {
        if (noDeviceUntilClosed && !outOfMemory) return std::make_unique<AbsentPhone>();
        return Create();
    }
    void SetUpLine(ObexSocket&) override { ++lineSetUps; }
    std::string PeerName(ObexSocket&) override { return peerName; }
    void Pause(uint32_t) override { std::this_thread::yield(); }

    std::shared_ptr<MemoryLink> link;
    MemoryEnd phone;
    bool failCreate = false;
    bool outOfMemory = false;
    bool noDeviceUntilClosed = false;  // Connect finds no phone until the transport is closed
    int lineSetUps = 0;
    std::string peerName;

private:
    // An infrared client that finds no phone in range.
    class AbsentPhone : public ObexClientSocket {
    public:
        int32_t GetMaxPacketSize() override { return 2048; }
        void Open() override
        {
            if (closed) throw TransportException(TRANSPORT_ERR_OPEN, "Open:closed");
        }
        void Close() override { closed = true; }
        int32_t Receive(uint8_t*, int32_t, int32_t) override { throw TransportException(TRANSPORT_ERR_IO, "r"); }
        int32_t Send(const uint8_t*, int32_t, int32_t) override { throw TransportException(TRANSPORT_ERR_IO, "s"); }
        void Connect() override
        {
            if (closed) throw TransportException(TRANSPORT_ERR_CONNECT, "Connect:closed");
            throw TransportException(TRANSPORT_ERR_NO_DEVICE, "Connect:no device");
        }
        std::atomic<bool> closed{false};
    };

    std::unique_ptr<MemoryEnd> Create()
    {
        if (failCreate) throw TransportException(TRANSPORT_ERR_OPEN, "Open:no port");
        if (outOfMemory) throw std::bad_alloc();
        return std::make_unique<MemoryEnd>(link, 1, maxPacket_, piece_);
    }
    int32_t maxPacket_;
    bool serial_;
    int32_t piece_;
};

class FakeMonitor : public InfraredMonitor {
public:
    enum Fault { NoFault, QueryFails, StartFails };
    FakeMonitor(bool running, Fault fault) : running_(running), fault_(fault) {}
    bool IsRunning() override
    {
        if (fault_ == QueryFails) throw ServiceError{2};
        return running_;
    }
    void Stop() override
    {
        if (onStop) onStop();
        running_ = false;
        ++stops;
    }
    void Start() override
    {
        if (onStart) onStart();
        if (fault_ == StartFails) throw ServiceError{0};
        running_ = true;
        ++starts;
    }
    int stops = 0, starts = 0;
    std::function<void()> onStop, onStart;

private:
    bool running_;
    Fault fault_;
};

// Keeps what a receive hands over.
class KeepingSink : public ContentSink {
public:
    explicit KeepingSink(bool accept = true) : accept_(accept) {}
    bool Deliver(std::unique_ptr<ViewContent> content) override
    {
        if (accept_) kept = std::move(content);
        return accept_;
    }
    const MediaObject* Kept() const { return kept ? kept->object.get() : nullptr; }
    std::unique_ptr<ViewContent> kept;

private:
    bool accept_;
};

// A phone that never disconnects is let go after 300 ms here, not after seconds.
inline TransferRequest ReceiveRequest(bool serial = false)
{
    TransferRequest r;
    if (serial) r.serial = SerialLine{"CNCA0", 115200};
    r.quietAfterAnswerMs = 300;
    return r;
}

inline TransferRequest SendRequest(SendJob job, bool serial = false)
{
    TransferRequest r = ReceiveRequest(serial);
    r.direction = Direction::Send;
    r.job = std::move(job);
    return r;
}

// One whole transfer as the worker runs it.
inline bool RunSession(TransferRequest request, RecordingUi& ui, TransportFactory& transports,
                       InfraredMonitor* monitor = nullptr, ContentSink* sink = nullptr)
{
    return TransferSession(std::move(request)).Run(ui, transports, monitor, sink);
}

// Runs `phone` on its own thread for the life of the object.
class PhoneThread {
public:
    // The phone's own failures (the program closed the link) end the thread quietly.
    explicit PhoneThread(std::function<void()> phone)
        : thread_([phone] {
              try {
                  phone();
              } catch (const ZvError&) {
              }
          })
    {
    }
    ~PhoneThread() { thread_.join(); }

private:
    std::thread thread_;
};

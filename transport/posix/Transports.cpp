// The transports on Linux: the termios serial line; no infrared.
#include "transport/Transports.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include "transport/posix/ObexSerialSocket.h"

namespace {

class SerialLink : public TransportFactory {
public:
    SerialLink(std::string port, uint32_t speed) : port_(std::move(port)), speed_(speed) {}
    bool IsSerial() const override { return true; }
    std::unique_ptr<ObexServerSocket> CreateServerSocket() override
    {
        return std::make_unique<ObexSerialSocket>(port_.c_str(), &openError_);
    }
    std::unique_ptr<ObexClientSocket> CreateClientSocket() override
    {
        return std::make_unique<ObexSerialSocket>(port_.c_str(), &openError_);
    }
    void SetUpLine(ObexSocket& transport) override
    {
        if (auto* port = dynamic_cast<ObexSerialSocket*>(&transport)) port->SetUpLine(speed_);
    }
    std::string PeerName(ObexSocket&) override { return ""; }
    void Pause(uint32_t milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    std::string port_;
    uint32_t speed_;
    std::atomic<int> openError_{0};  // why the port would not open at the last try, for the message
};

}  // namespace

std::unique_ptr<TransportFactory> SerialTransports(const std::string& port, uint32_t speed)
{
    // "ttyUSB0" names /dev/ttyUSB0.
    return std::make_unique<SerialLink>(
        port.find('/') == std::string::npos ? "/dev/" + port : port, speed);
}

PortFault PortOpenFault(const TransportFactory& transports, const std::string&)
{
    const auto* link = dynamic_cast<const SerialLink*>(&transports);
    switch (link ? link->openError_.load() : 0) {
    case ENOENT: case ENODEV: case ENXIO: case ENOTDIR: return PortFault::Missing;
    case ENOTTY: case EISDIR: case EINVAL: return PortFault::NotSerial;
    case EBUSY: case EWOULDBLOCK: return PortFault::Busy;
    case EACCES: case EPERM: return PortFault::Denied;
    default: return PortFault::None;
    }
}

bool HasInfrared() { return false; }
std::unique_ptr<TransportFactory> InfraredTransports() { return nullptr; }
std::unique_ptr<InfraredMonitor> InfraredMonitorService() { return nullptr; }

#include "transport/win32/Transports.h"

#include "transport/win32/ObexInfraredSocket.h"
#include "transport/win32/ObexSerialSocket.h"
#include "transport/win32/SerialPortList.h"
#include "transport/win32/ServiceManager.h"

std::unique_ptr<ObexServerSocket> Win32Transports::CreateServerSocket()
{
    if (serial_) return std::make_unique<ObexSerialSocket>(serial_->port.c_str());
    return std::make_unique<ObexInfraredServerSocket>(irda_ ? *irda_ : SystemWinSockApi());
}

std::unique_ptr<ObexClientSocket> Win32Transports::CreateClientSocket()
{
    if (serial_) return std::make_unique<ObexSerialSocket>(serial_->port.c_str());
    return std::make_unique<ObexInfraredClientSocket>(irda_ ? *irda_ : SystemWinSockApi());
}

void Win32Transports::SetUpLine(ObexSocket& transport)
{
    if (!serial_) return;
    if (auto* port = dynamic_cast<ObexSerialSocket*>(&transport)) port->SetUpLine(serial_->speed);
}

std::string Win32Transports::PeerName(ObexSocket& transport)
{
    auto* named = dynamic_cast<OwnedString*>(&transport);
    const char* name = named ? named->GetText() : nullptr;
    return name ? name : "";
}

Win32InfraredMonitor::Win32InfraredMonitor() = default;
Win32InfraredMonitor::~Win32InfraredMonitor() = default;

ServiceManager& Win32InfraredMonitor::Manager()
{
    if (!manager_) {
        manager_ = std::make_unique<ServiceManager>("Infrared Monitor", nullptr);
        manager_->SetWaitInterval(1000);
    }
    return *manager_;
}

bool Win32InfraredMonitor::IsRunning()
{
    try {
        return Manager().IsRunning();
    } catch (const ServiceManagerException& e) {
        throw ServiceError{e.GetCode()};
    }
}

void Win32InfraredMonitor::Stop()
{
    try {
        Manager().Stop(true);
    } catch (const ServiceManagerException& e) {
        throw ServiceError{e.GetCode()};
    }
}

void Win32InfraredMonitor::Start()
{
    try {
        Manager().Start(true);
    } catch (const ServiceManagerException& e) {
        throw ServiceError{e.GetCode()};
    }
}

std::vector<PortEntry> ListSerialPorts()
{
    SerialPortList list;
    std::vector<PortEntry> ports;
    for (int32_t i = 0; i < list.GetPortCount(); ++i) {
        ports.push_back({list.GetPortName(i), list.GetPortDescription(i)});
    }
    return ports;
}

std::unique_ptr<TransportFactory> SerialTransports(const std::string& port, uint32_t speed)
{
    // "\\.\COM12" names COM12; the transport adds the prefix itself.
    const bool device = port.compare(0, 4, "\\\\.\\") == 0;
    return std::make_unique<Win32Transports>(SerialLine{device ? port.substr(4) : port, speed});
}

PortFault PortOpenFault(const TransportFactory& transports, const std::string& port)
{
    if (!transports.IsSerial()) return PortFault::None;
    // Asked again only after the transfer failed to open it: the answer names the cause.
    const bool device = port.compare(0, 4, "\\\\.\\") == 0;
    HANDLE handle = CreateFileA((device ? port : "\\\\.\\" + port).c_str(),
                                GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return PortFault::None;
    }
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return PortFault::Missing;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: return PortFault::Busy;
    default: return PortFault::None;
    }
}

bool HasInfrared() { return true; }
std::unique_ptr<TransportFactory> InfraredTransports()
{
    return std::make_unique<Win32Transports>(std::nullopt);
}
std::unique_ptr<InfraredMonitor> InfraredMonitorService()
{
    return std::make_unique<Win32InfraredMonitor>();
}

#include "app/win32/TransferServices.h"

#include "transport/win32/ObexInfraredSocket.h"
#include "transport/win32/ObexSerialSocket.h"
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

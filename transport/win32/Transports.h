// The transports on Windows: IrDA and serial, and the Infrared Monitor service through the
// service control manager.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "transport/Transports.h"

class ServiceManager;
class WinSockApi;

class Win32Transports : public TransportFactory {
public:
    // `serial`: the port and speed, or none for infrared. `irda`: the WinSock the infrared
    // transports use; nullptr for the system's.
    explicit Win32Transports(std::optional<SerialLine> serial, WinSockApi* irda = nullptr)
        : serial_(std::move(serial)), irda_(irda)
    {
    }
    bool IsSerial() const override { return serial_.has_value(); }
    std::unique_ptr<ObexServerSocket> CreateServerSocket() override;
    std::unique_ptr<ObexClientSocket> CreateClientSocket() override;
    void SetUpLine(ObexSocket& transport) override;
    std::string PeerName(ObexSocket& transport) override;
    void Pause(uint32_t milliseconds) override { ::Sleep(milliseconds); }

private:
    std::optional<SerialLine> serial_;
    WinSockApi* irda_;
};

class Win32InfraredMonitor : public InfraredMonitor {
public:
    Win32InfraredMonitor();
    ~Win32InfraredMonitor() override;
    bool IsRunning() override;
    void Stop() override;
    void Start() override;

private:
    ServiceManager& Manager();
    std::unique_ptr<ServiceManager> manager_;
};

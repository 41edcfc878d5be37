// The transfers' platform seams on Windows: IrDA and serial transports, and the Infrared Monitor
// service through the service control manager.
#pragma once
#include <windows.h>

#include <memory>

#include "app/SerialMode.h"
#include "app/TransferSeams.h"

class ServiceManager;

class Win32Transports : public TransportFactory {
public:
    explicit Win32Transports(const SerialSelection& serial) : serial_(serial) {}
    bool IsSerial() const override { return serial_.active; }
    std::unique_ptr<ObexServerSocket> CreateServerSocket() override;
    std::unique_ptr<ObexClientSocket> CreateClientSocket() override;
    void SetUpLine(ObexSocket& transport) override;
    std::string PeerName(ObexSocket& transport) override;
    void Pause(uint32_t milliseconds) override { ::Sleep(milliseconds); }

private:
    std::string PortName() const;
    SerialSelection serial_;
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

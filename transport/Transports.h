// What a transfer runs over, below every front end: the factory of its transport, the
// "Infrared Monitor" service it keeps quiet and the serial ports to choose from, made for the
// platform by the functions at the end. Tests implement the interfaces over memory.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "transport/ObexSocket.h"

// A serial port as the port list names it ("COM3", "CNCA0") and the line speed to set on it.
struct SerialLine {
    std::string port;
    uint32_t speed = 0;  // bits per second
};

// Creates the transport of a transfer. Each Create* throws TransportException when it cannot; the
// OBEX engine opens the transport afterwards.
class TransportFactory {
public:
    virtual ~TransportFactory() = default;
    virtual bool IsSerial() const = 0;
    virtual std::unique_ptr<ObexServerSocket> CreateServerSocket() = 0;
    virtual std::unique_ptr<ObexClientSocket> CreateClientSocket() = 0;
    // After the engine has opened it: the serial line set-up (speed, 8 data bits, DTR and RTS,
    // time-outs); nothing over infrared. Throws TransportException.
    virtual void SetUpLine(ObexSocket& transport) = 0;
    // The infrared peer's device name once a link is up; empty when unknown.
    virtual std::string PeerName(ObexSocket& transport) = 0;
    // Blocks the worker for a while (connect retry, service settling).
    virtual void Pause(uint32_t milliseconds) = 0;
};

// Thrown by InfraredMonitor when the service cannot be reached or controlled.
struct ServiceError {
    int32_t code;
};

// The "Infrared Monitor" service, which would otherwise answer the phone itself.
class InfraredMonitor {
public:
    virtual ~InfraredMonitor() = default;
    // Each may throw ServiceError. Stop and Start wait until the service has got there.
    virtual bool IsRunning() = 0;
    virtual void Stop() = 0;
    virtual void Start() = 0;
};

struct PortEntry {
    std::string name;         // "COM3", "/dev/ttyUSB0"
    std::string description;  // "(unknown)" when the device has none
    bool operator==(const PortEntry& o) const { return name == o.name && description == o.description; }
};

// --- The platform's -----------------------------------------------------------------------------

// The serial ports and their descriptions, in natural order (COM2 before COM10).
std::vector<PortEntry> ListSerialPorts();
// A port as given (Linux: a device path, or a name under /dev; Windows: COM3 or a port name).
std::unique_ptr<TransportFactory> SerialTransports(const std::string& port, uint32_t speed);
// Why `port` of `transports` did not open at the last try; None when it opened or the cause is
// not known.
enum class PortFault { None, Missing, NotSerial, Busy, Denied };
PortFault PortOpenFault(const TransportFactory& transports, const std::string& port);
// IrDA and the service that would answer the phone instead of us: Windows only, nullptr
// elsewhere.
bool HasInfrared();
std::unique_ptr<TransportFactory> InfraredTransports();
std::unique_ptr<InfraredMonitor> InfraredMonitorService();

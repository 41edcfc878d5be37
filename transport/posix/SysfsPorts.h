// The serial ports of a Linux system as sysfs describes them.
#pragma once
#include <string>
#include <vector>

#include "transport/Transports.h"

// Every terminal under `classDir` (/sys/class/tty) that stands for a device, as a path under
// `devDir` (/dev) with a description: the USB manufacturer and product (and the interface's name
// where it has one), else the driver's name, else "(unknown)". Serial ports without a UART
// behind them are left out. Natural order (ttyS2 before ttyS10).
std::vector<PortEntry> ListSerialPortsIn(const std::string& classDir, const std::string& devDir);

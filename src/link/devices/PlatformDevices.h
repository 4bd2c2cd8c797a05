#pragma once

#include "DeviceResolver.h"
#include "LptDevice.h"
#include "SerialDevice.h"

#include <memory>

// The devices of the platform the program is built for: its serial ports, its printer device and
// the names of its ports. Each platform folder (linux/, windows/) has its own factory, and CMake
// builds the one of the platform.
namespace PlatformDevices {

std::unique_ptr<SerialDevice> serialDevice();
std::unique_ptr<LptDevice> lptDevice();
std::unique_ptr<DeviceResolver> deviceResolver();
// The system names its USB printers as printer ports of their own ("USB001"), which a user may
// give instead of "LPT1": true on Windows.
bool namesPrinterPorts();

} // namespace PlatformDevices

#pragma once

#include "DeviceResolver.h"
#include "LptDevice.h"
#include "SerialDevice.h"

#include <memory>

// The devices of the platform the program runs on: QSerialPort, printer-device file descriptors
// and the Linux device names on Linux; the Win32 communications API and the COMn and LPT1 names
// of Windows on Windows.
namespace PlatformDevices {

std::unique_ptr<SerialDevice> serialDevice();
std::unique_ptr<LptDevice> lptDevice();
std::unique_ptr<DeviceResolver> deviceResolver();
// The system names its USB printers as printer ports of their own ("USB001"), which a user may
// give instead of "LPT1": true on Windows.
bool namesPrinterPorts();

} // namespace PlatformDevices

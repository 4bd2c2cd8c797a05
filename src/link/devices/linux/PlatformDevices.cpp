#include "PlatformDevices.h"

#include "FdLptDevice.h"
#include "LinuxDeviceResolver.h"
#include "QtSerialDevice.h"

// Linux's devices: QSerialPort, printer-device file descriptors and Linux's device names.
namespace PlatformDevices {

std::unique_ptr<SerialDevice> serialDevice()
{
    return std::make_unique<QtSerialDevice>();
}

std::unique_ptr<LptDevice> lptDevice()
{
    return std::make_unique<FdLptDevice>();
}

std::unique_ptr<DeviceResolver> deviceResolver()
{
    return std::make_unique<LinuxDeviceResolver>();
}

bool namesPrinterPorts()
{
    // Linux names no printer ports beside LPT1.
    return false;
}

} // namespace PlatformDevices

#include "PlatformDevices.h"

#include "WinDeviceResolver.h"
#include "WinLptDevice.h"
#include "WinSerialDevice.h"

// Windows' devices: the Win32 communications API and the COMn and LPT1 names of Windows.
namespace PlatformDevices {

std::unique_ptr<SerialDevice> serialDevice()
{
    return std::make_unique<WinSerialDevice>();
}

std::unique_ptr<LptDevice> lptDevice()
{
    return std::make_unique<WinLptDevice>();
}

std::unique_ptr<DeviceResolver> deviceResolver()
{
    return std::make_unique<WinDeviceResolver>();
}

bool namesPrinterPorts()
{
    // Windows names each USB printer as a printer port of its own: USB001, USB002 ...
    return true;
}

} // namespace PlatformDevices

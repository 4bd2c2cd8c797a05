#include "PlatformDevices.h"

#ifdef Q_OS_WIN
#include "WinDeviceResolver.h"
#include "WinLptDevice.h"
#include "WinSerialDevice.h"
#else
#include "FdLptDevice.h"
#include "QtSerialDevice.h"
#include "SystemDeviceResolver.h"
#endif

namespace PlatformDevices {

#ifdef Q_OS_WIN
using SystemSerialDevice = WinSerialDevice;
using SystemLptDevice = WinLptDevice;
using SystemResolver = WinDeviceResolver;
constexpr bool kNamesPrinterPorts = true;
#else
using SystemSerialDevice = QtSerialDevice;
using SystemLptDevice = FdLptDevice;
using SystemResolver = SystemDeviceResolver;
constexpr bool kNamesPrinterPorts = false;
#endif

std::unique_ptr<SerialDevice> serialDevice()
{
    return std::make_unique<SystemSerialDevice>();
}

std::unique_ptr<LptDevice> lptDevice()
{
    return std::make_unique<SystemLptDevice>();
}

std::unique_ptr<DeviceResolver> deviceResolver()
{
    return std::make_unique<SystemResolver>();
}

bool namesPrinterPorts()
{
    return kNamesPrinterPorts;
}

} // namespace PlatformDevices

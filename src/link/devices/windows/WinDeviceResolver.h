#pragma once

#include "DeviceResolver.h"
#include "SystemSerialPort.h"
#include "UsbPrinterList.h"

#include <QList>

#include <functional>
#include <memory>

// The device names of Windows: "COMn" is the port Windows itself calls COMn ("\\.\COMn", so that
// COM10 and above open too). "LPT1" is the printer device, as on Linux: the USB printer the list
// of USB printers chooses, else the parallel port "\\.\LPT1". Each USB printer is also a
// printer port of its own, named as Windows names it ("USB001"). What stands behind each COM port
// comes from the ports Windows reports.
class WinDeviceResolver : public DeviceResolver
{
public:
    // The system's COM ports, in any order.
    using PortLister = std::function<QList<SystemSerialPort>()>;

    explicit WinDeviceResolver(PortLister listPorts = systemSerialPorts,
                               std::shared_ptr<const UsbPrinterSource> usbPrinters = nullptr);

    QString serialPortName(int number) const override;
    QString lptDeviceName() const override;
    QStringList serialPortDescriptions(int count) const override;
    QString lptDescription() const override;
    QList<PrinterPort> printerPorts() const override;

    // The parallel port, which "LPT1" opens when no USB printer is found.
    static QString parallelPort();

    // The COM ports of this computer: those of the registry's SERIALCOMM map, each with the
    // name that the Device Manager shows for it where there is one.
    static QList<SystemSerialPort> systemSerialPorts();

private:
    PortLister m_listPorts;
    UsbPrinterList m_usbPrinters;
};

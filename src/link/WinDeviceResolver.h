#pragma once

#include "DeviceResolver.h"
#include "PrinterDeviceId.h"
#include "SystemSerialPort.h"
#include "UsbPrinterSource.h"

#include <QHash>
#include <QList>

#include <functional>
#include <memory>

// The device names of Windows: "COMn" is the port Windows itself calls COMn ("\\.\COMn", so that
// COM10 and above open too). "LPT1" is the printer device, as on Linux: the first USB printer
// whose device ID names NORVANTA as its maker, else the first USB printer, else the parallel port
// "\\.\LPT1". Each USB printer is also a printer port of its own, named as Windows names it
// ("USB001"). What stands behind each COM port comes from the ports Windows reports.
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
    struct UsbPrinter
    {
        PrinterPort port;
        PrinterDeviceId id;
    };
    // The USB printers present now, each named and with its device ID.
    QList<UsbPrinter> usbPrinters() const;
    // The printer "LPT1" opens among `printers`; nothing when there is none.
    static const UsbPrinter *chosenPrinter(const QList<UsbPrinter> &printers);
    // The device's ID, asked once while it stays plugged in; nothing, with `problem`, when it did
    // not give one.
    PrinterDeviceId deviceId(const QString &path, QString *problem) const;

    PortLister m_listPorts;
    std::shared_ptr<const UsbPrinterSource> m_usbPrinters;
    // The IDs given so far, by device path. A path names one device for as long as it is
    // plugged in, so its ID stays, and a device the link holds open need not be asked again.
    mutable QHash<QString, PrinterDeviceId> m_ids;
};

#pragma once

#include "DeviceResolver.h"
#include "PrinterDeviceId.h"
#include "UsbPrinterSource.h"

#include <QHash>
#include <QList>

#include <memory>

// The USB printers of a system that names each as a printer port of its own ("USB001"): each
// with its name and the device ID it gives of itself, and the one "LPT1" stands for.
class UsbPrinterList
{
public:
    struct Printer
    {
        PrinterPort port;
        PrinterDeviceId id;
    };

    explicit UsbPrinterList(std::shared_ptr<const UsbPrinterSource> source);

    // The printers present now, in the system's order. A printer the system keeps no port name
    // for gets the first number free.
    QList<Printer> printers() const;
    // The printer "LPT1" stands for among `printers`: the first whose ID names NORVANTA as its
    // maker, else the first; nothing when there is none.
    static const Printer *chosen(const QList<Printer> &printers);
    // What "LPT1" stands for among `printers`, as the label beside the port list shows it: the
    // chosen printer's port, maker and model, and how many others there are; empty when there is
    // none.
    static QString description(const QList<Printer> &printers);

private:
    // The device's ID, asked once while it stays plugged in; nothing, with `problem`, when it did
    // not give one.
    PrinterDeviceId deviceId(const QString &path, QString *problem) const;

    std::shared_ptr<const UsbPrinterSource> m_source;
    // The IDs given so far, by device path. A path names one device for as long as it is
    // plugged in, so its ID stays, and a device the link holds open need not be asked again.
    mutable QHash<QString, PrinterDeviceId> m_ids;
};

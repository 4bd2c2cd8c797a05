#pragma once

#include "LptDevice.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A USB printer-class device as Windows reports it.
struct UsbPrinterInterface
{
    // The device interface path that CreateFileW opens.
    QString path;
    // The printer port Windows shows for it ("USB001"); empty when Windows keeps none.
    QString portName;
};

// Where the USB printers of this computer come from: Windows' USB printing support on a real
// system, a list of the test's choosing in tests.
class UsbPrinterSource
{
public:
    virtual ~UsbPrinterSource() = default;

    // The USB printer-class devices present now, in the system's order.
    virtual QList<UsbPrinterInterface> interfaces() const = 0;
    // The device's reply to the request for its IEEE 1284 device ID, as it came; nothing, and
    // `error` says why, when the device could not be asked or did not answer.
    virtual QByteArray deviceIdReply(const QString &path, SystemError *error) const = 0;
};

#pragma once

#include "UsbPrinterSource.h"

// The USB printers that Windows' printer-class driver (usbprint.sys) serves: the present device
// interfaces of its class, found through SetupAPI, each with the printer port number the driver
// keeps for it in the interface's registry key, asked for its device ID through the driver.
class SetupApiUsbPrinters : public UsbPrinterSource
{
public:
    QList<UsbPrinterInterface> interfaces() const override;
    QByteArray deviceIdReply(const QString &path, SystemError *error) const override;
};

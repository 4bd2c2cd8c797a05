#include "PortTexts.h"

#include "DeviceResolver.h"
#include "SystemSerialPort.h"

namespace PortTexts {

QString noDevice()
{
    return QStringLiteral("no device");
}

QString noPrinterDevice(const QStringList &lookedFor)
{
    return noDevice() + QStringLiteral(" (looked for ") + lookedFor.join(QStringLiteral(" and ")) +
           QLatin1Char(')');
}

QString serialPortDescription(const SystemSerialPort &port)
{
    QStringList known;
    for (const QString &part : {port.manufacturer, port.product}) {
        if (!part.isEmpty())
            known.append(part);
    }
    if (!port.serialNumber.isEmpty())
        known.append(QLatin1Char('(') + port.serialNumber + QLatin1Char(')'));
    if (known.isEmpty())
        return port.systemLocation;
    return port.systemLocation + QStringLiteral(" \u2014 ") + known.join(QLatin1Char(' '));
}

QString emulatorPort(const QString &path)
{
    return QStringLiteral("printer emulator (") + path + QLatin1Char(')');
}

QString usbPrinterDescription(const PrinterPort &port, int others)
{
    QString text = port.name + QStringLiteral(" \u2014 ") +
                   (port.makerAndModel.isEmpty() ? port.deviceId : port.makerAndModel);
    if (others == 1)
        text += QStringLiteral(" (1 other USB printer)");
    else if (others > 1)
        text += QStringLiteral(" (%1 other USB printers)").arg(others);
    return text;
}

QString noUsbPrinter(const QString &parallel, bool parallelPresent)
{
    if (parallelPresent)
        return parallel + QStringLiteral(" (no USB printer found)");
    return noDevice() + QStringLiteral(" (no USB printer found, and no ") + parallel +
           QLatin1Char(')');
}

QString deviceIdText(const QString &text, bool truncated)
{
    if (text.isEmpty())
        return truncated ? QStringLiteral("device ID cut short") : QStringLiteral("no device ID");
    return truncated ? text + QStringLiteral(" (cut short)") : text;
}

QString deviceIdUnknown(const QString &systemText)
{
    return QStringLiteral("device ID unknown: ") + systemText;
}

} // namespace PortTexts

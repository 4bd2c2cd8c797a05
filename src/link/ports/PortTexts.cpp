#include "PortTexts.h"

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

} // namespace PortTexts

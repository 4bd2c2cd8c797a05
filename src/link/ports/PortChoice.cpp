#include "PortChoice.h"

namespace {

int comNumberOf(const QString &name)
{
    int number = 0;
    for (const QChar c : name.mid(3, 2)) {
        if (!c.isDigit())
            break;
        number = number * 10 + c.digitValue();
    }
    return number;
}

} // namespace

PortChoice PortChoice::fromName(const QString &name)
{
    const QString type = name.left(3).toUpper();
    if (type == QLatin1String("TCP"))
        return {name, PortKind::Tcp, 0};
    if (type == QLatin1String("LPT"))
        return {name, PortKind::PrinterDevice, 0};
    return {name, PortKind::Serial, comNumberOf(name)};
}

QStringList PortChoice::portList()
{
    QStringList ports{QStringLiteral("TCP/IP"), QStringLiteral("LPT1")};
    for (int number = 1; number <= kSerialPortCount; ++number)
        ports.append(comEntry(number));
    return ports;
}

QString PortChoice::comEntry(int number)
{
    return QStringLiteral("COM") + QString::number(number);
}

std::optional<int> PortChoice::comNumberOfEntry(const QString &text)
{
    if (!text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || text.size() < 4 ||
        !text.at(3).isDigit())
        return std::nullopt;
    bool ok = false;
    const int number = text.mid(3).toInt(&ok);
    if (!ok || number < 1 || number > kSerialPortCount)
        return std::nullopt;
    return number;
}

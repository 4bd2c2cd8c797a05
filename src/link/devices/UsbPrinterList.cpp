#include "UsbPrinterList.h"

#include "PortTexts.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

// The maker whose printers "LPT1" prefers among the USB printers.
constexpr auto kPreferredMaker = "NORVANTA";
// Printer ports are numbered up to USB999.
constexpr int kMaxUsbPort = 999;

// Names the printers that have no port name with the first numbers free, in the system's order,
// so that each has one and keeps it while the others stay.
void nameUnnamed(QList<UsbPrinterInterface> &printers)
{
    QSet<QString> taken;
    for (const UsbPrinterInterface &printer : std::as_const(printers))
        taken.insert(printer.portName.toUpper());
    int number = 0;
    for (UsbPrinterInterface &printer : printers) {
        while (printer.portName.isEmpty() && ++number <= kMaxUsbPort) {
            const QString name = QStringLiteral("USB%1").arg(number, 3, 10, QLatin1Char('0'));
            if (!taken.contains(name))
                printer.portName = name;
        }
    }
}

} // namespace

UsbPrinterList::UsbPrinterList(std::shared_ptr<const UsbPrinterSource> source)
    : m_source(std::move(source))
{}

QList<UsbPrinterList::Printer> UsbPrinterList::printers() const
{
    QList<UsbPrinterInterface> found = m_source->interfaces();
    nameUnnamed(found);
    QList<Printer> printers;
    QSet<QString> present;
    for (const UsbPrinterInterface &printer : std::as_const(found)) {
        present.insert(printer.path);
        Printer usb{{printer.portName.toUpper(), printer.path, QString(), QString()}, {}};
        usb.id = deviceId(printer.path, &usb.port.deviceId);
        usb.port.makerAndModel = usb.id.makerAndModel();
        if (usb.port.deviceId.isEmpty())
            usb.port.deviceId = PortTexts::deviceIdText(usb.id.text, usb.id.truncated);
        printers.append(usb);
    }
    // A device unplugged takes its ID along: plugged in again, it may be another printer.
    m_ids.removeIf([&present](const auto &entry) { return !present.contains(entry.key()); });
    return printers;
}

const UsbPrinterList::Printer *UsbPrinterList::chosen(const QList<Printer> &printers)
{
    if (printers.isEmpty())
        return nullptr;
    const auto preferred = std::find_if(printers.cbegin(), printers.cend(), [](const Printer &p) {
        return p.id.isMadeBy(QLatin1String(kPreferredMaker));
    });
    return preferred != printers.cend() ? &*preferred : &printers.first();
}

QString UsbPrinterList::description(const QList<Printer> &printers)
{
    const Printer *printer = chosen(printers);
    return printer != nullptr
               ? PortTexts::usbPrinterDescription(printer->port, int(printers.size()) - 1)
               : QString();
}

PrinterDeviceId UsbPrinterList::deviceId(const QString &path, QString *problem) const
{
    if (const auto known = m_ids.constFind(path); known != m_ids.cend())
        return *known;
    SystemError error;
    const QByteArray reply = m_source->deviceIdReply(path, &error);
    if (error.number != 0) {
        *problem = PortTexts::deviceIdUnknown(error.text);
        return {};
    }
    const PrinterDeviceId id = PrinterDeviceId::fromReply(reply);
    m_ids.insert(path, id);
    return id;
}

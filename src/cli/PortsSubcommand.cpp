#include "CliContext.h"
#include "Console.h"
#include "DeviceResolver.h"
#include "ExitStatus.h"
#include "PortChoice.h"
#include "SubcommandTable.h"
#include "Subcommands.h"

namespace {

// What the window shows for a port beside its device: nothing when that is the device alone.
QString descriptionBeside(const QString &device, const QString &description)
{
    return description == device || description == QLatin1String("no device") ? QString()
                                                                              : description;
}

// "COM16" and two blanks.
constexpr qsizetype kPortNameWidth = 7;

int run(CliContext &context, const CliArguments &)
{
    const std::unique_ptr<DeviceResolver> resolver = context.resolvers();
    // The window's entries but "TCP/IP", as the window describes them.
    QStringList entries = PortChoice::portList();
    entries.removeAll(QStringLiteral("TCP/IP"));
    entries.move(entries.indexOf(QStringLiteral("LPT1")), entries.size() - 1);
    const QStringList descriptions = describePorts(*resolver, entries);
    const QList<PrinterPort> printerPorts = resolver->printerPorts();
    QList<QStringList> rows;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PortChoice choice = PortChoice::fromName(entries.at(i));
        QString device = choice.kind == PortKind::Serial
                             ? resolver->serialPortName(choice.comNumber)
                             : resolver->lptDeviceName();
        // A printer port of the system is named as such: its device path is its own line's.
        for (const PrinterPort &port : printerPorts) {
            if (port.device == device)
                device = port.name;
        }
        rows << QStringList{entries.at(i), device, descriptionBeside(device, descriptions.at(i))};
    }
    // Then the system's printer ports, each with what its printer says it is.
    for (const PrinterPort &port : printerPorts)
        rows << QStringList{port.name, port.deviceId, port.device};
    qsizetype deviceWidth = 0;
    for (QStringList &row : rows) {
        if (row[1].isEmpty())
            row[1] = QStringLiteral("no device");
        deviceWidth = std::max(deviceWidth, row[1].size());
    }
    for (const QStringList &row : rows) {
        QString line = row[0].leftJustified(kPortNameWidth) + row[1];
        if (!row[2].isEmpty())
            line = line.leftJustified(kPortNameWidth + deviceWidth + 2) + row[2];
        context.console.out(line);
    }
    return kExitOk;
}

} // namespace

const SubcommandSpec Subcommands::ports{
    .name = "ports",
    .usage = "ports",
    .summary = "list the serial ports and the printer device",
    .description = "One line per COM entry of the window's port list: its name, the "
                   "device it leads to (\"no device\" when there is none) and a "
                   "description where the system has one; then LPT1; then, on Windows, every USB "
                   "printer: its port (USB001) and the device ID it gives of itself.",
    .run = run};

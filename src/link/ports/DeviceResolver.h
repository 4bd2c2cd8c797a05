#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A printer port that the system names by itself, beside "LPT1" ("USB001" on Windows): the device
// it opens and what the printer says it is.
struct PrinterPort
{
    QString name;          // "USB001"
    QString device;        // the path that opens it
    QString makerAndModel; // "NORVANTA KV-4100"; empty when the printer did not say
    QString deviceId;      // the printer's IEEE 1284 device ID, or why it is not known
};

// Maps the port names of the port list to the operating system's device names, and tells the
// user what stands behind each of them.
class DeviceResolver
{
public:
    virtual ~DeviceResolver() = default;

    // The device of "COM<number>"; empty when there is no such port.
    virtual QString serialPortName(int number) const = 0;
    // The device of "LPT1"; empty when there is none.
    virtual QString lptDeviceName() const = 0;

    // What "COM1" to "COM<count>" stand for, in order: each one's device and what the system
    // knows of it, "no device" where there is none. Looked up afresh at every call, since
    // adapters come and go.
    virtual QStringList serialPortDescriptions(int count) const;
    // Which printer device "LPT1" opens, or that there is none.
    virtual QString lptDescription() const;
    // The printer ports the system names by themselves, in their order; none where the system
    // has no such names (Linux).
    virtual QList<PrinterPort> printerPorts() const { return {}; }
};

// The printer port named `name` (in any case) among `ports`; nothing when there is none.
const PrinterPort *findPrinterPort(const QList<PrinterPort> &ports, const QString &name);
// `device` as the user knows it: "USB001 (NORVANTA KV-4100)" for a printer port of the system,
// else the device's path.
QString printerDeviceName(const DeviceResolver &resolver, const QString &device);

// What each of the given port-list entries stands for, for the user: the device it opens and what
// the system knows of it, "no device" where there is none, nothing for "TCP/IP".
QStringList describePorts(const DeviceResolver &resolver, const QStringList &portNames);

#pragma once

#include <QString>
#include <QStringList>

struct SystemSerialPort;

// What stands behind an entry of the port list, as its tooltip and the device label show it.
// Every platform's resolver describes its ports with these texts.
namespace PortTexts {

// An entry without a device.
QString noDevice();
// "LPT1" without a device, after looking for each of `lookedFor`.
QString noPrinterDevice(const QStringList &lookedFor);
// A serial port of the system: its path and what the system knows of the adapter.
QString serialPortDescription(const SystemSerialPort &port);
// The pseudo-terminal of a running printer emulator.
QString emulatorPort(const QString &path);

} // namespace PortTexts

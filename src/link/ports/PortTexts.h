#pragma once

#include <QString>
#include <QStringList>

struct PrinterPort;
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
// "LPT1" as a USB printer: its port, maker and model, and how many other USB printers there are.
QString usbPrinterDescription(const PrinterPort &port, int others);
// "LPT1" when no USB printer is found: the parallel port `parallel`, which may be missing too.
QString noUsbPrinter(const QString &parallel, bool parallelPresent);
// A printer's device ID `text` as the user reads it, and whether it came cut short.
QString deviceIdText(const QString &text, bool truncated);
// A printer that could not be asked for its device ID, with the system's reason.
QString deviceIdUnknown(const QString &systemText);

} // namespace PortTexts

#pragma once

#include <QString>

#include <chrono>

struct OpenFailure;
struct PrinterDeviceId;
struct PrinterPort;
struct SystemError;
struct SystemSerialPort;
struct TcpError;

// The texts with which the link tells the user what went wrong.
namespace LinkMessages {

// A serial port that cannot be opened (`open`) or closed.
QString comCannot(int number, bool open);
// A serial port that opened with DSR or CTS off: printer off or cable missing.
QString comBusy(int number);
// A command not sent because the TCP connection is not up; `stateCode` is its state.
QString lanNotReady(int stateCode);
// An error raised by the TCP client during an exchange.
QString tcpError(const TcpError &error);
// The printer's answers lag behind its questions and did not catch up within `bound`: the
// command was not sent, nor will any other be until the port is opened again.
QString notInStep(std::chrono::milliseconds bound);
// The printer device could not be closed or opened.
QString lptError(const SystemError &error);

// Why a port could not be opened, for the lines below its message: the system's reason and,
// where the user can do something about it, what. `portName` ("COM3", "LPT1") names a port
// without a device; `usualGroup` is the group that usually may use such devices ("dialout",
// "lp"), named where the device does not name one itself. Empty when nothing is known.
QString openFailureReason(const QString &portName, const OpenFailure &failure,
                          const QString &usualGroup);
// `message` with `reason` on lines of its own below it; the message alone without a reason.
QString withReason(const QString &message, const QString &reason);
// A message's text on one line: its line breaks become "; ".
QString oneLine(const QString &message);
// The short reasons of the problems that have no system text of their own.
QString comBusyReason();
QString lanNotReadyReason(int stateCode);
QString notInStepReason();

// What stands behind an entry of the port list, as its tooltip and the device label show it.
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
// A printer's device ID as the user reads it; what was lost where it came cut short.
QString deviceIdText(const PrinterDeviceId &id);
// A printer that could not be asked for its device ID, with the system's reason.
QString deviceIdUnknown(const SystemError &error);

} // namespace LinkMessages

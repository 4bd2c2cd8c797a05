#pragma once

#include <QString>

#include <chrono>

struct OpenFailure;
struct SystemError;
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

} // namespace LinkMessages

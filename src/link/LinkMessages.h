#pragma once

#include <QString>

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
// The printer device could not be closed or opened.
QString lptError(const SystemError &error);

} // namespace LinkMessages

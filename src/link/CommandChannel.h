#pragma once

#include <QByteArray>
#include <QString>

// Carries one command to the printer and its reply back. On entry `reply` holds the mode
// letter: "R" when a reply is expected, anything else for none. On return it holds the
// cleaned reply (every "_" and NUL removed), "" when nothing came back, when a block answer came
// without its closing NUL, or when none was asked for. Returns true when every byte of the command
// left for the open port in time, whatever the reply; false when nothing or not all of it could
// be sent (no port open or connected, a failed write, a printer that held the bytes up, a printer
// whose answers did not catch up with its questions, another transaction under way), and the
// reply is "" then. A command the printer held up is dropped, so that nothing of it reaches the
// printer later.
class CommandChannel
{
public:
    virtual ~CommandChannel() = default;

    virtual bool SendCommand(const QByteArray &command, QString &reply) = 0;

    // Sends a command that expects no reply and must reach the printer however late, such as the
    // lock that follows an unlock the printer took: when the printer holds it up, it stays
    // queued and leaves as soon as the printer takes data again. Returns whether it left in time.
    virtual bool SendClosingCommand(const QByteArray &command)
    {
        QString reply = QStringLiteral("W");
        return SendCommand(command, reply);
    }
};

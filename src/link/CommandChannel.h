#pragma once

#include <QByteArray>
#include <QString>

// Carries one command to the printer and its reply back. On entry `reply` holds the mode
// letter: "R" when a reply is expected, anything else for none. On return it holds the
// cleaned reply (every "_" and NUL removed), "" when nothing came back or none was asked for.
// Returns true when every byte of the command was handed to the open port, whatever the reply;
// false when nothing or not all of it could be sent (no port open or connected, a failed write,
// another transaction under way), and the reply is "" then.
class CommandChannel
{
public:
    virtual ~CommandChannel() = default;

    virtual bool SendCommand(const QByteArray &command, QString &reply) = 0;
};

#pragma once

#include <QByteArray>
#include <QString>

// Carries one command to the printer and its reply back. On entry `reply` holds the mode
// letter: "R" when a reply is expected, anything else for none. On return it holds the
// cleaned reply (every "_" and NUL removed), "" when nothing came back or none was asked for.
class CommandLink
{
public:
    virtual ~CommandLink() = default;

    virtual void SendCommand(const QByteArray &command, QString &reply) = 0;
};

#pragma once

#include <QByteArray>
#include <QObject>

// One open link to a client (a TCP connection or the pseudo-terminal), as the printer sees it.
class ClientLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void write(const QByteArray &bytes) = 0;
    // Ends the link the way a client sees a printer vanish, once what was written went out.
    virtual void hangUp() = 0;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    // The link ended; whatever comes next on it is a new client.
    void hungUp();
};

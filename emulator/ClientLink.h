#pragma once

#include <QByteArray>
#include <QObject>

// One open link to a client (a TCP connection or the pseudo-terminal), as the printer sees it.
class ClientLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Unsent bytes beyond which a link stops reading, as a printer whose buffer is full stops
    // taking data, until its replies went out.
    static constexpr qsizetype kMaxBacklog = 64 * 1024;

    virtual void write(const QByteArray &bytes) = 0;
    // Ends the link the way a client sees a printer vanish, once what was written went out.
    virtual void hangUp() = 0;
    // Bytes written but not yet gone out.
    virtual qsizetype backlog() const = 0;
    // True while bytes written reach a client (or, on the pseudo-terminal, its input queue).
    virtual bool isOpen() const = 0;
    // A serial line, where XON and XOFF steer the client's sending.
    virtual bool isSerial() const = 0;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    // The client will send nothing more (it closed its sending side); replies still go out.
    void inputEnded();
    // The link ended; whatever comes next on it is a new client.
    void hungUp();
};

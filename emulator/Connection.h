#pragma once

#include "CommandParser.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class ClientLink;
class Emulator;
struct Faults;

// Serves the client on one link: parses what arrives, lets the emulator carry out each command,
// and sends the replies with the faults in force. Replies always leave in the order of their
// commands, whatever delays and pauses apply.
class Connection : public QObject
{
    Q_OBJECT

public:
    Connection(ClientLink *link, Emulator &emulator);

private:
    struct Piece
    {
        QByteArray bytes;
        qint64 dueMs; // on m_clock
    };

    void receive(const QByteArray &bytes);
    void queueReply(QByteArray reply, const Faults &faults);
    void sendDue();
    void reset();

    ClientLink *m_link;
    Emulator &m_emulator;
    CommandParser m_parser;
    qint64 m_commands = 0;
    bool m_dropping = false;
    QList<Piece> m_outbox;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

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
// and sends the replies with the faults in force, and the automatic status blocks the client
// enabled. Replies leave in the order of their commands: a late reply holds back the replies
// after it, as on a serial line. Bytes the printer sends on its own between replies leave at
// their own time, never inside a reply and never holding one back. A client that closes its
// sending side gets its replies before the link closes.
class Connection : public QObject
{
    Q_OBJECT

public:
    Connection(ClientLink *link, Emulator &emulator);

    static constexpr int kStreamTickMs = 10;
    // The stream waits while this much is still unsent, so that it never piles up.
    static constexpr qsizetype kStreamBacklog = 4096;

private:
    struct Piece
    {
        QByteArray bytes;
        qint64 dueMs;              // on m_clock
        bool continuation = false; // a later piece of a reply whose start went out before it
    };

    void receive(const QByteArray &bytes);
    void handle(const ParsedCommand &command);
    static QString queryName(const ParsedCommand &command);
    int replyDelay(const ParsedCommand &command, const Faults &faults) const;
    QByteArray ownedReply(const ParsedCommand &command, QByteArray reply, const Faults &faults);
    void queue(const QByteArray &bytes, qint64 dueMs, bool continuation = false);
    void queueReply(QByteArray reply, const Faults &faults, int delayMs);
    void queueAfterReply(const Faults &faults, qint64 replyDueMs);
    bool isMidReply() const;
    qint64 nextDue() const;
    void sendDue();
    void statusChanged(int groups);
    void updateStream();
    void stream();
    void inputEnded();
    void reset();

    ClientLink *m_link;
    Emulator &m_emulator;
    CommandParser m_parser;
    qint64 m_commands = 0;
    bool m_dropping = false; // the command count of dropAfter was reached
    bool m_closing = false;  // the client sends nothing more
    int m_autoStatusGroups = 0;
    QList<Piece> m_outbox;
    // Unasked bytes between replies, in the order they are due.
    QList<Piece> m_unasked;
    // Answers owed since a query was answered twice, each to go out as the next query's reply.
    QList<QByteArray> m_owed;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QTimer m_streamTimer;
    qint64 m_streamLastMs = 0;
    double m_streamCredit = 0;
};

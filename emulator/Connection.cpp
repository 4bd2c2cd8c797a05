#include "Connection.h"

#include "ClientLink.h"
#include "Emulator.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

int randomBetween(int lowest, int highest)
{
    return int(QRandomGenerator::global()->bounded(lowest, highest + 1));
}

QByteArray randomBytes()
{
    QByteArray bytes(randomBetween(1, Faults::kMaxGarbageLength), Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(randomBetween(0, 255));
    return bytes;
}

} // namespace

Connection::Connection(ClientLink *link, Emulator &emulator)
    : QObject(link)
    , m_link(link)
    , m_emulator(emulator)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Connection::sendDue);
    connect(link, &ClientLink::received, this, &Connection::receive);
    connect(link, &ClientLink::hungUp, this, &Connection::reset);
}

void Connection::receive(const QByteArray &bytes)
{
    m_emulator.record(bytes);
    if (m_dropping)
        return;
    for (const ParsedCommand &command : m_parser.feed(bytes)) {
        const Faults faults = m_emulator.faults();
        const Exchange exchange = m_emulator.execute(command);
        if (!exchange.reply.isEmpty())
            queueReply(exchange.reply, faults);
        if (command.kind == CommandKind::Skipped)
            continue;
        ++m_commands;
        if (faults.dropAfter > 0 && m_commands >= faults.dropAfter) {
            // Whatever follows the last command is never looked at; the link ends once the
            // replies already due have gone out.
            m_dropping = true;
            break;
        }
    }
    sendDue();
}

void Connection::queueReply(QByteArray reply, const Faults &faults)
{
    if (faults.silent)
        return;
    if (faults.garbage)
        reply = randomBytes();

    qint64 due = m_clock.elapsed() + faults.replyDelayMs;
    if (!m_outbox.isEmpty())
        due = std::max(due, m_outbox.last().dueMs);
    if (!faults.splitReplies || reply.size() < 2) {
        m_outbox.append({reply, due});
        return;
    }
    const int pieces = std::min(randomBetween(2, 3), int(reply.size()));
    for (int piece = 0; piece < pieces; ++piece) {
        // Cut points spread over the reply so that no piece is empty.
        const qsizetype from = reply.size() * piece / pieces;
        const qsizetype to = reply.size() * (piece + 1) / pieces;
        if (piece > 0)
            due += randomBetween(Faults::kMinPieceGapMs, Faults::kMaxPieceGapMs);
        m_outbox.append({reply.sliced(from, to - from), due});
    }
}

void Connection::sendDue()
{
    const qint64 now = m_clock.elapsed();
    while (!m_outbox.isEmpty() && m_outbox.first().dueMs <= now)
        m_link->write(m_outbox.takeFirst().bytes);
    if (!m_outbox.isEmpty()) {
        m_timer.start(int(m_outbox.first().dueMs - now));
        return;
    }
    if (m_dropping)
        m_link->hangUp();
}

void Connection::reset()
{
    m_timer.stop();
    m_outbox.clear();
    m_parser.clear();
    m_commands = 0;
    m_dropping = false;
}

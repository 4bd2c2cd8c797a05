#include "Connection.h"

#include "ClientLink.h"
#include "Emulator.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
const QByteArray kStatusBlock("\x14\x00\x00\x00", 4);
const QByteArray kFlowBytes("\x13\x11", 2);
const QByteArray kNoiseBlock("_NOISE\0", 7);

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

// Unasked bytes that cannot be taken for a block answer or for flow control.
QByteArray streamBytes(qsizetype count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (char &byte : bytes) {
        do {
            byte = char(randomBetween(1, 255));
        } while (byte == '_' || byte == kXon || byte == kXoff);
    }
    return bytes;
}

// A block answer: "_", at least one character, NUL.
bool isFramed(const QByteArray &reply)
{
    return reply.size() >= 3 && reply.startsWith('_') && reply.endsWith('\0');
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
    m_streamTimer.setInterval(kStreamTickMs);
    connect(&m_streamTimer, &QTimer::timeout, this, &Connection::stream);
    connect(link, &ClientLink::received, this, &Connection::receive);
    connect(link, &ClientLink::inputEnded, this, &Connection::inputEnded);
    connect(link, &ClientLink::hungUp, this, &Connection::reset);
    connect(&emulator, &Emulator::statusChanged, this, &Connection::statusChanged);
    connect(&emulator, &Emulator::faultsChanged, this, &Connection::updateStream);
    updateStream();
}

void Connection::receive(const QByteArray &bytes)
{
    m_emulator.record(bytes);
    if (m_dropping)
        return;
    m_parser.feed(bytes, [this](const ParsedCommand &command) {
        // Whatever follows the last command of dropAfter is never looked at.
        if (!m_dropping)
            handle(command);
    });
    sendDue();
}

void Connection::handle(const ParsedCommand &command)
{
    const Faults faults = m_emulator.faults();
    const Exchange exchange = m_emulator.execute(command);
    if (command.kind == CommandKind::AutoStatusBack) {
        m_autoStatusGroups = command.number & PrinterStatus::AllGroups;
        if (!exchange.reply.isEmpty() && !faults.silent)
            queue(exchange.reply, m_clock.elapsed());
    } else if (!exchange.reply.isEmpty()) {
        queueReply(ownedReply(command, exchange.reply, faults), faults,
                   replyDelay(command, faults));
    }
    if (command.kind == CommandKind::Text || command.kind == CommandKind::Unknown)
        return;

    ++m_commands;
    if (faults.holdXoffAfter > 0 && m_commands == faults.holdXoffAfter && m_link->isSerial()) {
        const qint64 due = nextDue();
        queue(QByteArray(1, kXoff), due);
        queue(QByteArray(1, kXon), due + faults.holdXoffMs);
    }
    // The link ends once the replies already due have gone out.
    if (faults.dropAfter > 0 && m_commands >= faults.dropAfter)
        m_dropping = true;
}

QString Connection::queryName(const ParsedCommand &command)
{
    const char *query = nullptr;
    if (command.kind == CommandKind::Identify)
        query = PrinterTables::findIdentity(command.number)->query;
    else if (command.kind == CommandKind::Read)
        query = PrinterTables::findSetting(command.number)->query;
    return query ? QString::fromLatin1(query) : QString();
}

int Connection::replyDelay(const ParsedCommand &command, const Faults &faults) const
{
    const QString query = queryName(command);
    for (const Faults::LateReply &late : faults.lateReplies)
        if (!query.isEmpty() && late.query == query)
            return late.delayMs;
    return faults.replyDelayMs;
}

// The reply that goes out for `command`: its own, with XOFF inside where asked, or, after a
// query answered twice, the answer owed before it.
QByteArray Connection::ownedReply(const ParsedCommand &command, QByteArray reply,
                                  const Faults &faults)
{
    const QString query = queryName(command);
    if (!query.isEmpty() && faults.xoffInside.contains(query) && isFramed(reply))
        reply.insert(2, kXoff);
    // The answers go out in turn, one per query that has one.
    m_owed.append(reply);
    if (!query.isEmpty() && faults.twice.contains(query))
        m_owed.append(reply);
    return m_owed.takeFirst();
}

qint64 Connection::nextDue() const
{
    const qint64 now = m_clock.elapsed();
    return m_outbox.isEmpty() ? now : std::max(now, m_outbox.last().dueMs);
}

void Connection::queue(const QByteArray &bytes, qint64 dueMs, bool continuation)
{
    m_outbox.append({bytes, std::max(dueMs, nextDue()), continuation});
}

void Connection::queueReply(QByteArray reply, const Faults &faults, int delayMs)
{
    if (faults.silent)
        return;
    if (faults.garbage)
        reply = randomBytes();

    qint64 due = std::max(m_clock.elapsed() + delayMs, nextDue());
    if (faults.blockPauseMs > 0 && isFramed(reply)) {
        // Cut inside the text: "_NOR", then "VANTA" NUL.
        const qsizetype cut = 1 + std::max<qsizetype>(1, (reply.size() - 2) / 2);
        queue(reply.first(cut), due);
        queue(reply.sliced(cut), due + faults.blockPauseMs, true);
    } else if (faults.splitReplies && reply.size() >= 2) {
        const int pieces = std::min(randomBetween(2, 3), int(reply.size()));
        for (int piece = 0; piece < pieces; ++piece) {
            // Cut points spread over the reply so that no piece is empty.
            const qsizetype from = reply.size() * piece / pieces;
            const qsizetype to = reply.size() * (piece + 1) / pieces;
            if (piece > 0)
                due += randomBetween(Faults::kMinPieceGapMs, Faults::kMaxPieceGapMs);
            queue(reply.sliced(from, to - from), due, piece > 0);
        }
    } else {
        queue(reply, due);
    }
    queueAfterReply(faults, m_outbox.last().dueMs);
}

// Unasked bytes that real printers send between replies, some time after a reply.
void Connection::queueAfterReply(const Faults &faults, qint64 replyDueMs)
{
    const auto queueUnasked = [this, replyDueMs](const QByteArray &bytes) {
        const qint64 due =
            replyDueMs + randomBetween(Faults::kMinUnaskedGapMs, Faults::kMaxUnaskedGapMs);
        const auto later = std::find_if(m_unasked.begin(), m_unasked.end(),
                                        [due](const Piece &piece) { return piece.dueMs > due; });
        m_unasked.insert(later, {bytes, due});
    };
    if (faults.statusBlocks)
        queueUnasked(kStatusBlock);
    if (faults.flowBytes)
        queueUnasked(kFlowBytes);
    if (faults.noiseBlocks)
        queueUnasked(kNoiseBlock);
}

// A reply is going out in pieces: its next piece is still to come.
bool Connection::isMidReply() const
{
    return !m_outbox.isEmpty() && m_outbox.first().continuation;
}

void Connection::sendDue()
{
    // What is due goes out in one write, as from a printer's output buffer, in the order it was
    // due.
    const qint64 now = m_clock.elapsed();
    QByteArray due;
    for (;;) {
        const bool replyDue = !m_outbox.isEmpty() && m_outbox.first().dueMs <= now;
        const bool unaskedDue = !m_unasked.isEmpty() && m_unasked.first().dueMs <= now &&
                                !isMidReply() &&
                                (!replyDue || m_unasked.first().dueMs < m_outbox.first().dueMs);
        if (unaskedDue)
            due += m_unasked.takeFirst().bytes;
        else if (replyDue)
            due += m_outbox.takeFirst().bytes;
        else
            break;
    }
    if (!due.isEmpty())
        m_link->write(due);
    qint64 next = -1;
    if (!m_outbox.isEmpty())
        next = m_outbox.first().dueMs;
    if (!m_unasked.isEmpty() && !(m_dropping || m_closing) && (next < 0 || !isMidReply()))
        next = next < 0 ? m_unasked.first().dueMs : std::min(next, m_unasked.first().dueMs);
    if (next >= 0) {
        m_timer.start(int(std::max<qint64>(next - now, 0)));
        return;
    }
    if (m_dropping || m_closing)
        m_link->hangUp();
}

void Connection::statusChanged(int groups)
{
    if ((groups & m_autoStatusGroups) == 0 || m_emulator.faults().silent)
        return;
    queue(m_emulator.snapshot().status.autoStatusBlock(), m_clock.elapsed());
    sendDue();
}

void Connection::updateStream()
{
    if (m_emulator.faults().streamBytesPerSecond > 0) {
        if (!m_streamTimer.isActive()) {
            m_streamLastMs = m_clock.elapsed();
            m_streamCredit = 0;
            m_streamTimer.start();
        }
    } else {
        m_streamTimer.stop();
    }
}

// Sends the unasked bytes due since the last tick, never inside a reply that is going out in
// pieces, and only while the link has taken what was sent before.
void Connection::stream()
{
    const int rate = m_emulator.faults().streamBytesPerSecond;
    if (rate <= 0) {
        m_streamTimer.stop();
        return;
    }
    const qint64 now = m_clock.elapsed();
    m_streamCredit = std::min(m_streamCredit + double(rate) * double(now - m_streamLastMs) / 1000.0,
                              std::max(double(rate) / 10.0, 64.0));
    m_streamLastMs = now;
    const qsizetype count = qsizetype(m_streamCredit);
    // Not while the link is ending either: the stream must not hold up the hang-up.
    if (count == 0 || isMidReply() || m_dropping || m_closing || !m_link->isOpen() ||
        m_link->backlog() >= kStreamBacklog)
        return;
    m_streamCredit -= double(count);
    m_link->write(streamBytes(count));
}

void Connection::inputEnded()
{
    m_closing = true;
    sendDue();
}

void Connection::reset()
{
    m_timer.stop();
    m_outbox.clear();
    m_unasked.clear();
    m_owed.clear();
    // A command the link ended inside shows in the print-out; after the last command of
    // dropAfter nothing was looked at.
    if (!m_dropping)
        m_parser.finish([this](const ParsedCommand &command) { m_emulator.execute(command); });
    m_parser.clear();
    m_commands = 0;
    m_dropping = false;
    m_closing = false;
    m_autoStatusGroups = 0;
    m_emulator.finishJob();
}

#include "ReplyReader.h"

#include "ByteChannel.h"
#include "EventPump.h"
#include "ReplyFramer.h"

#include <algorithm>
#include <utility>

namespace {

using std::chrono::milliseconds;

constexpr char kBlockHeader = '_';
constexpr char kBlockEnd = '\0';
// The first passes of a wait poll without blocking, so that a peer served by this thread's
// event loop gets its answer out at once; after that the waits block in short slices.
constexpr int kSpinPasses = 16;
constexpr milliseconds kSlice{1};

} // namespace

ReplyReader::ReplyReader(ByteChannel &channel, EventPump &pump, ReplyLimits limits)
    : m_channel(channel)
    , m_pump(pump)
    , m_limits(limits)
{}

void ReplyReader::setReplyTimeout(milliseconds firstByte)
{
    m_limits.total += firstByte - m_limits.firstByte;
    m_limits.firstByte = firstByte;
}

void ReplyReader::prepare()
{
    dropStaleInput();
}

// Drops every byte waiting on the channel, including bytes still on their way through the
// operating system or the event loop. Bounded in time against a device that never stops.
void ReplyReader::dropStaleInput()
{
    const milliseconds start = m_pump.now();
    do {
        m_pump.processEvents();
        m_channel.discardInput();
    } while (m_channel.waitForReadyRead(milliseconds::zero()) &&
             m_pump.now() - start < m_limits.total);
    m_channel.discardInput();
}

bool ReplyReader::isWhole() const
{
    return m_whole;
}

bool ReplyReader::isInStep() const
{
    return m_inStep;
}

bool ReplyReader::isMixed() const
{
    return m_mixed;
}

void ReplyReader::setFlowControlOnLink(bool onLink)
{
    m_flowControlOnLink = onLink;
}

void ReplyReader::setInStep()
{
    m_inStep = true;
}

void ReplyReader::setOutOfStep()
{
    m_inStep = false;
}

void ReplyReader::awaitAnswer(const std::optional<QByteArray> &answer, milliseconds within)
{
    m_awaited = answer;
    m_awaitedWithin = within;
}

// Reads and drops all that comes until the awaited answer has come whole. The printer answers in
// the order it was asked, so whatever it still owed for earlier questions came before it.
QByteArray ReplyReader::dropUntilAnswer()
{
    const QByteArray answer = std::exchange(m_awaited, std::nullopt).value();
    m_mixed = false;
    const milliseconds start = m_pump.now();
    QByteArray seen;
    for (int pass = 0;; ++pass) {
        m_pump.processEvents();
        const bool open = m_channel.isOpen();
        seen += m_channel.read(m_limits.maxBytes);
        if (!answer.isEmpty() && seen.contains(answer)) {
            m_inStep = true;
            return answer;
        }
        // Only the bytes that may start the answer are kept.
        seen = seen.right(std::max<qsizetype>(answer.size() - 1, 0));
        const milliseconds left = m_awaitedWithin - (m_pump.now() - start);
        if (left <= milliseconds::zero() || !open)
            return {};
        m_channel.waitForReadyRead(
            std::min(left, pass < kSpinPasses ? milliseconds::zero() : kSlice));
    }
}

QByteArray ReplyReader::collect()
{
    if (m_awaited)
        return dropUntilAnswer();
    const milliseconds start = m_pump.now();
    ReplyFramer framer(m_limits.maxBytes, m_flowControlOnLink);
    milliseconds lastByteAt = start;
    for (int pass = 0;; ++pass) {
        m_pump.processEvents();
        // Whether the channel was open before this read: a printer may close it right after its
        // answer, and the answer is read whole before the close ends the wait.
        const bool open = m_channel.isOpen();
        const qsizetype before = framer.size();
        framer.feed(m_channel.read(m_limits.maxBytes));
        if (framer.size() != before)
            lastByteAt = m_pump.now();
        m_mixed = framer.isMixed();
        m_whole = !framer.isCut() && !m_mixed && (!framer.isBlock() || framer.isComplete());
        if (framer.isComplete()) {
            // The rest of a reply too long to take is still coming.
            if (framer.isCut())
                m_inStep = false;
            return framer.reply();
        }
        if (!open)
            return framer.reply();
        const milliseconds now = m_pump.now();
        const milliseconds untilFirstByte = m_limits.firstByte - (now - start);
        const milliseconds untilTotal = m_limits.total - (now - start);
        const milliseconds untilQuiet = m_limits.quiet - (now - lastByteAt);
        const milliseconds left = !framer.hasStarted() ? untilFirstByte
                                  : framer.isBlock()   ? untilTotal
                                                       : std::min(untilTotal, untilQuiet);
        if (left <= milliseconds::zero()) {
            // Only an unframed reply that fell quiet has ended for sure; anything else may still
            // be on its way.
            if (!framer.hasStarted() || framer.isBlock() || untilTotal <= milliseconds::zero())
                m_inStep = false;
            return framer.reply();
        }
        m_channel.waitForReadyRead(
            std::min(left, pass < kSpinPasses ? milliseconds::zero() : kSlice));
    }
}

QString cleanReply(const QByteArray &received)
{
    QByteArray kept;
    kept.reserve(received.size());
    std::copy_if(received.cbegin(), received.cend(), std::back_inserter(kept),
                 [](char byte) { return byte != kBlockHeader && byte != kBlockEnd; });
    return QString::fromLatin1(kept);
}

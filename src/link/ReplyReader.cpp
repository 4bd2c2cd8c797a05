#include "ReplyReader.h"

#include "ByteChannel.h"
#include "EventPump.h"
#include "ReplyFramer.h"

#include <algorithm>

namespace {

using std::chrono::milliseconds;

constexpr char kBlockHeader = '_';
constexpr char kBlockEnd = '\0';
// The first passes of a wait poll without blocking, so that a peer served by this thread's
// event loop gets its answer out at once; after that the waits block in short slices.
constexpr int kSpinPasses = 16;
constexpr milliseconds kSlice{1};
// How long the line must be quiet before a link out of step sends again.
constexpr milliseconds kSettleQuiet{150};
constexpr milliseconds kSettleSlice{5};

} // namespace

ReplyReader::ReplyReader(ByteChannel &channel, EventPump &pump, ReplyLimits limits)
    : m_channel(channel)
    , m_pump(pump)
    , m_limits(limits)
{}

void ReplyReader::prepare()
{
    if (m_unansweredSince)
        settle();
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

void ReplyReader::settle()
{
    const milliseconds start = m_pump.now();
    const milliseconds lateUntil = *m_unansweredSince + m_limits.total;
    milliseconds quietSince = start;
    while (m_channel.isOpen() && m_pump.now() - start < m_limits.total) {
        m_pump.processEvents();
        if (m_channel.bytesAvailable() > 0) {
            m_channel.discardInput();
            quietSince = m_pump.now();
        }
        const milliseconds now = m_pump.now();
        const milliseconds wait = std::max(lateUntil - now, kSettleQuiet - (now - quietSince));
        if (wait <= milliseconds::zero())
            break;
        m_channel.waitForReadyRead(std::min(wait, kSettleSlice));
    }
    m_unansweredSince.reset();
}

QByteArray ReplyReader::collect()
{
    const milliseconds start = m_pump.now();
    ReplyFramer framer(m_limits.maxBytes);
    milliseconds lastByteAt = start;
    for (int pass = 0;; ++pass) {
        m_pump.processEvents();
        const qsizetype before = framer.size();
        framer.feed(m_channel.read(m_limits.maxBytes));
        if (framer.size() != before)
            lastByteAt = m_pump.now();
        if (framer.isComplete()) {
            // The rest of a reply too long to take is still coming.
            if (framer.isCut())
                m_unansweredSince = start;
            return framer.reply();
        }
        if (!m_channel.isOpen())
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
                m_unansweredSince = start;
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

#include "ReplyReader.h"

#include "ByteChannel.h"
#include "EventPump.h"

#include <algorithm>

namespace {

constexpr char kBlockHeader = '_';
constexpr char kBlockEnd = '\0';
// The first passes of a wait poll without blocking, so that a peer served by this thread's
// event loop gets its answer out at once; after that the waits block in short slices.
using std::chrono::milliseconds;
constexpr int kSpinPasses = 16;
constexpr milliseconds kSlice{1};
constexpr milliseconds kDiscardBound{2000};

// The end of a block reply ("_" ... NUL): the index of its NUL, or -1 while it is incomplete
// or the reply is not a block.
qsizetype blockEnd(const QByteArray &data)
{
    if (data.isEmpty() || data.front() != kBlockHeader)
        return -1;
    return data.indexOf(kBlockEnd, 1);
}

} // namespace

QByteArray collectReply(ByteChannel &channel, EventPump &pump, const ReplyLimits &limits)
{
    const milliseconds start = pump.now();
    QByteArray data;
    milliseconds lastByteAt{0};
    for (int pass = 0;; ++pass) {
        pump.processEvents();
        const QByteArray chunk = channel.read(limits.maxBytes - data.size());
        if (!chunk.isEmpty()) {
            data += chunk;
            lastByteAt = pump.now() - start;
            if (const qsizetype end = blockEnd(data); end >= 0) {
                data.truncate(end + 1);
                return data;
            }
            if (data.size() >= limits.maxBytes) {
                channel.discardInput();
                return data;
            }
        }
        if (!channel.isOpen())
            return {};
        const milliseconds now = pump.now() - start;
        const milliseconds left =
            data.isEmpty() ? limits.firstByte - now
                           : std::min(limits.total - now, limits.quiet - (now - lastByteAt));
        if (left <= milliseconds::zero())
            return data;
        const milliseconds slice = pass < kSpinPasses ? milliseconds::zero() : kSlice;
        channel.waitForReadyRead(std::min(left, slice));
    }
}

void discardStaleInput(ByteChannel &channel, EventPump &pump)
{
    const milliseconds start = pump.now();
    do {
        pump.processEvents();
        channel.discardInput();
    } while (channel.waitForReadyRead(milliseconds::zero()) && pump.now() - start < kDiscardBound);
    channel.discardInput();
}

QString cleanReply(const QByteArray &received)
{
    QByteArray kept;
    kept.reserve(received.size());
    std::copy_if(received.cbegin(), received.cend(), std::back_inserter(kept),
                 [](char byte) { return byte != kBlockHeader && byte != kBlockEnd; });
    return QString::fromLatin1(kept);
}

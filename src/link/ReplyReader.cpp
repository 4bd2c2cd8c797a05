#include "ReplyReader.h"

#include "ByteChannel.h"
#include "EventPump.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

constexpr char kBlockHeader = '_';
constexpr char kBlockEnd = '\0';
// The first moments of a wait poll without blocking, so that a peer served by this thread's
// event loop gets its answer out at once; after that the waits block in short slices.
constexpr qint64 kSpinMs = 2;
constexpr int kSliceMs = 1;
constexpr qint64 kDiscardBoundMs = 2000;

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
    QElapsedTimer clock;
    clock.start();
    QByteArray data;
    qint64 lastByteAt = 0;
    for (;;) {
        pump.processEvents();
        const QByteArray chunk = channel.read(limits.maxBytes - data.size());
        if (!chunk.isEmpty()) {
            data += chunk;
            lastByteAt = clock.elapsed();
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
        const qint64 now = clock.elapsed();
        const qint64 left =
            data.isEmpty() ? limits.firstByteMs - now
                           : std::min(limits.totalMs - now, limits.silenceMs - (now - lastByteAt));
        if (left <= 0)
            return data;
        const qint64 slice = now < kSpinMs ? 0 : kSliceMs;
        channel.waitForReadyRead(static_cast<int>(std::min(left, slice)));
    }
}

void discardStaleInput(ByteChannel &channel, EventPump &pump)
{
    QElapsedTimer clock;
    clock.start();
    do {
        pump.processEvents();
        channel.discardInput();
    } while (channel.waitForReadyRead(0) && clock.elapsed() < kDiscardBoundMs);
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

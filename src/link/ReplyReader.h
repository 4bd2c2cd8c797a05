#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

class ByteChannel;
class EventPump;

// The bounds of one reply: how long to wait for its first byte, for the whole of it, and for
// the next byte of a reply without block framing, and how many bytes to take at most.
struct ReplyLimits
{
    std::chrono::milliseconds firstByte{1000};
    std::chrono::milliseconds total{2000};
    std::chrono::milliseconds quiet{50};
    qint64 maxBytes = 1024;
};

// Reads the printer's replies on one channel and keeps each reply with its query. Between short
// waits on the channel the pump runs passes of the event loop, so that timers and peers on the
// same thread keep running.
class ReplyReader
{
public:
    ReplyReader(ByteChannel &channel, EventPump &pump, ReplyLimits limits = {});

    // Before a command goes out: drops the bytes that wait on the line. After a query whose reply
    // did not come whole in time, the link is out of step: the reply may still be on its way, so
    // this first waits out the rest of that query's total bound and then until the line has been
    // quiet for a moment, dropping all that comes, so that a late answer never becomes the next
    // reply. A link in step pays nothing for this.
    void prepare();

    // Reads the reply to the command just sent: a block up to its NUL, whatever pauses it holds;
    // an unframed reply until the printer has been quiet for `quiet`; what the printer sends on
    // its own (status blocks, XON and XOFF) left out. Returns the bytes of the reply, at most
    // `maxBytes`; what lies beyond is dropped. When no byte comes in time it returns nothing, and
    // when the device goes away or the total bound ends first, what came so far.
    QByteArray collect();

private:
    void dropStaleInput();
    void settle();

    ByteChannel &m_channel;
    EventPump &m_pump;
    ReplyLimits m_limits;
    // When the last query whose reply did not come whole in time went out.
    std::optional<std::chrono::milliseconds> m_unansweredSince;
};

// The reply text of the received bytes: one character per byte (byte value = character code),
// every "_" and every NUL left out.
QString cleanReply(const QByteArray &received);

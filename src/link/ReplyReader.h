#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

class ByteChannel;
class EventPump;

// How long the window lets a printer take to begin its reply.
constexpr std::chrono::milliseconds kWindowReplyTimeout{1000};

// The bounds of one reply: how long to wait for its first byte, for the whole of it, and for
// the next byte of a reply without block framing, and how many bytes to take at most.
struct ReplyLimits
{
    std::chrono::milliseconds firstByte{kWindowReplyTimeout};
    std::chrono::milliseconds total{kWindowReplyTimeout + std::chrono::milliseconds(1000)};
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

    // How long the printer may take to begin a reply; the rest of it keeps the time it had
    // beyond the first byte.
    void setReplyTimeout(std::chrono::milliseconds firstByte);

    // Before a command goes out: drops the bytes that wait on the line.
    void prepare();

    // Reads the reply to the command just sent: a block up to its NUL, whatever pauses it holds;
    // an unframed reply until the printer has been quiet for `quiet`; what the printer sends on
    // its own (status blocks, XON and XOFF) left out. Returns the bytes of the reply, at most
    // `maxBytes`; what lies beyond is dropped. When no byte comes in time it returns nothing, and
    // when the device goes away or the total bound ends first, what came so far.
    // After awaitAnswer() it reads no reply but drops all that comes until the awaited answer has
    // come, and returns that answer, or nothing when it did not come in time.
    QByteArray collect();
    // The last reply read came whole: it is unframed, or a block that ended with its NUL. A block
    // cut by the total bound, by the most bytes allowed or by the device's end is not whole.
    bool isWhole() const;

    // After a query whose reply did not come whole in time the link is out of step: that reply
    // may still be on its way and would be taken for a later query's. It is in step again once the
    // answer awaited after a question of known answer has come, or when told so.
    bool isInStep() const;
    void setInStep();
    // Makes the next collect() wait at most `within` for `answer`, dropping all that comes before
    // it; the link is in step once it has come. An empty answer drops all that comes for `within`.
    // std::nullopt: the next collect() reads a reply again.
    void awaitAnswer(const std::optional<QByteArray> &answer, std::chrono::milliseconds within);

private:
    void dropStaleInput();
    QByteArray dropUntilAnswer();

    ByteChannel &m_channel;
    EventPump &m_pump;
    ReplyLimits m_limits;
    bool m_inStep = true;
    bool m_whole = true;
    std::optional<QByteArray> m_awaited;
    std::chrono::milliseconds m_awaitedWithin{0};
};

// The reply text of the received bytes: one character per byte (byte value = character code),
// every "_" and every NUL left out.
QString cleanReply(const QByteArray &received);

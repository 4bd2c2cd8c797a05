#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

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

// Reads one whole reply from the channel. A reply that begins with "_" ends with its NUL;
// any other reply ends when no byte has come for `quiet`. Returns the bytes received (a
// block up to its NUL, at most `maxBytes`; what lies beyond is dropped), or nothing when no
// byte came in time or the device went away before the reply was complete. Between short
// waits on the channel the pump runs passes of the event loop, so that timers and peers on
// the same thread keep running.
QByteArray collectReply(ByteChannel &channel, EventPump &pump, const ReplyLimits &limits);

// Drops every byte waiting on the channel, including bytes still on their way through the
// operating system or the event loop, so that a late or unasked answer cannot open the
// next reply. Bounded in time against a device that never stops sending.
void discardStaleInput(ByteChannel &channel, EventPump &pump);

// The reply text of the received bytes: one character per byte (byte value = character code),
// every "_" and every NUL left out.
QString cleanReply(const QByteArray &received);

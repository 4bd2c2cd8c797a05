#pragma once

#include <QByteArray>

#include <chrono>

class ByteChannel;
class EventPump;
class ReplyReader;

// What becomes of a command the printer does not take in time: it is dropped, so that nothing of
// it reaches the printer later, or it is kept and leaves as soon as the printer takes data again.
enum class WhenHeld { Drop, Keep };

// One kind of port (serial, printer device, TCP): how it is opened and closed and how a command
// and its reply travel over it. The link picks one when the user picks a port.
class Transport
{
public:
    virtual ~Transport() = default;

    // Opens (true) or closes (false) the port. False when it did not reach that state or is not
    // ready; what went wrong has been reported.
    virtual bool setOpen(bool open) = 0;
    // Sends the command and, when a reply is wanted, collects the printer's answer into
    // `received`. False when not every byte left for the printer in time.
    virtual bool exchange(const QByteArray &command, bool replyWanted, WhenHeld whenHeld,
                          QByteArray &received) = 0;
    // Waits at most `timeout` until the open port can carry a command. True at once for a port
    // that is ready when its open returns.
    virtual bool waitUntilReady(std::chrono::milliseconds timeout);
    // Reads the replies of this port and knows whether they are in step with its questions.
    virtual ReplyReader &reader() = 0;
};

// Writes the command one byte per write call, then waits, running passes of the event loop, until
// the bytes have left for the printer, for at most a second. False when the device is not open,
// did not take every byte, or held them up past that bound.
bool writeCommand(ByteChannel &channel, EventPump &pump, const QByteArray &command,
                  WhenHeld whenHeld);

// Keeps a channel receiving for as long as it lives: from before a command goes out until its
// reply has been read.
class Receiving
{
public:
    explicit Receiving(ByteChannel &channel);
    ~Receiving();
    Receiving(const Receiving &) = delete;
    Receiving &operator=(const Receiving &) = delete;

private:
    ByteChannel &m_channel;
};

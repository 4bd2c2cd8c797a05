#pragma once

#include <QByteArray>

class ByteChannel;

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
    // `received`. False when not every byte could be handed to the port.
    virtual bool exchange(const QByteArray &command, bool replyWanted, QByteArray &received) = 0;
};

// Writes the command one byte per write call, then waits for the bytes to leave. False when
// the device is not open or did not take every byte.
bool writeCommand(ByteChannel &channel, const QByteArray &command);

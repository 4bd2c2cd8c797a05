#pragma once

#include "ByteChannel.h"

#include <QString>

#include <optional>

// An error raised by the TCP client, as shown to the user.
struct TcpError
{
    int number = 0;
    QString source;
    QString description;
};

// The TCP connection to a network printer. Its state is reported as a small code:
// 0 closed, 4 resolving the host, 6 connecting, 7 connected, 8 closing, 9 after a failed
// connect or a connection that broke.
class TcpClient : public ByteChannel
{
public:
    enum StateCode {
        Closed = 0,
        Resolving = 4,
        Connecting = 6,
        Connected = 7,
        Closing = 8,
        Failed = 9,
    };

    virtual int state() const = 0;
    // True in every state but Closed.
    virtual bool holdsSocket() const = 0;
    // Closes at once, whatever the state; the state is Closed afterwards.
    virtual void close() = 0;
    // Starts connecting and returns at once; the state code then moves on by itself.
    virtual void connectToHost(const QString &host, quint16 port) = 0;
    // The last error raised since the previous call, if any; waits that merely time out are
    // not errors.
    virtual std::optional<TcpError> takeError() = 0;
    // True when every byte written since the connection was asked for has left for the printer,
    // also when the printer has closed the connection since: a printer may answer a command and
    // close the connection the moment the command has come.
    virtual bool allWritten() const = 0;
};

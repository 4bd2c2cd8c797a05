#pragma once

#include "ByteChannel.h"
#include "OpenFailure.h"

#include <QString>

// An operating-system error: its number and the system's text for it.
struct SystemError
{
    int number = 0;
    QString text;
};

// A parallel-port or USB printer-class device, opened either for reading or for writing.
class LptDevice : public ByteChannel
{
public:
    enum class Access { Read, Write };

    // False when the device cannot be opened; lastError() tells why.
    virtual bool open(const QString &path, Access access) = 0;
    // False when the close failed; lastError() tells why. Closing a closed device succeeds.
    virtual bool close() = 0;
    virtual SystemError lastError() const = 0;
    // Why the last open failed, as far as the device can tell; nothing after a successful open.
    virtual OpenFailure openFailure() const { return {}; }
};

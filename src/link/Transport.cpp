#include "Transport.h"

#include "ByteChannel.h"

#include <chrono>

namespace {

// How long written bytes may take to leave for the device.
constexpr std::chrono::milliseconds kFlushTimeout{1000};

} // namespace

bool writeCommand(ByteChannel &channel, const QByteArray &command)
{
    for (const char byte : command) {
        if (!channel.write(QByteArray(1, byte)))
            return false;
    }
    return channel.flush(kFlushTimeout);
}

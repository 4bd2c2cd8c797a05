#include "Transport.h"

#include "ByteChannel.h"
#include "EventPump.h"

#include <chrono>

namespace {

using std::chrono::milliseconds;

// How long written bytes may take to leave for the device. The first passes look without
// waiting, so that bytes a nearby printer takes at once cost no pause; after that the waits are
// short slices.
constexpr milliseconds kWriteBound{1000};
constexpr int kSpinPasses = 16;
constexpr milliseconds kWriteSlice{1};

} // namespace

bool Transport::waitUntilReady(std::chrono::milliseconds)
{
    return true;
}

bool writeCommand(ByteChannel &channel, EventPump &pump, const QByteArray &command,
                  WhenHeld whenHeld)
{
    for (const char byte : command) {
        if (!channel.write(QByteArray(1, byte)))
            return false;
    }
    const milliseconds deadline = pump.now() + kWriteBound;
    for (int pass = 0; channel.isOpen() && channel.bytesToWrite() > 0; ++pass) {
        if (pump.now() >= deadline) {
            if (whenHeld == WhenHeld::Drop)
                channel.discardOutput();
            return false;
        }
        pump.processEvents();
        channel.waitForBytesWritten(pass < kSpinPasses ? milliseconds::zero() : kWriteSlice);
    }
    return channel.isOpen();
}

Receiving::Receiving(ByteChannel &channel)
    : m_channel(channel)
{
    m_channel.setReceiving(true);
}

Receiving::~Receiving()
{
    m_channel.setReceiving(false);
}

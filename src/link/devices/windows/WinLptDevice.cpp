#include "WinLptDevice.h"

#include "WinDeviceResolver.h"
#include "WinErrors.h"

#include <algorithm>

#include <windows.h>

namespace {

using std::chrono::milliseconds;

constexpr qint64 kReadChunk = 4096;
// The pause between two reads that found nothing.
constexpr milliseconds kPollPause{5};
// Bounds one discard against a device that never stops sending.
constexpr int kDiscardChunks = 16;

} // namespace

bool WinLptDevice::open(const QString &path, Access access)
{
    close();
    m_openFailure = {};
    if (!m_handle.open(path, access == Access::Read ? GENERIC_READ : GENERIC_WRITE)) {
        m_openFailure =
            WinErrors::openFailure(path, static_cast<DWORD>(m_handle.lastError().number));
        // The parallel port is opened only when no USB printer was found; a USB printer that
        // was found and is missing now has been switched off or unplugged.
        if (m_openFailure.cause == OpenFailure::Cause::NoDevice)
            m_openFailure.cause =
                path.compare(WinDeviceResolver::parallelPort(), Qt::CaseInsensitive) == 0
                    ? OpenFailure::Cause::NoUsbPrinter
                    : OpenFailure::Cause::SwitchedOff;
        return false;
    }
    return true;
}

bool WinLptDevice::close()
{
    m_received.clear();
    return m_handle.close();
}

SystemError WinLptDevice::lastError() const
{
    return m_handle.lastError();
}

OpenFailure WinLptDevice::openFailure() const
{
    return m_openFailure;
}

bool WinLptDevice::isOpen() const
{
    return m_handle.isOpen();
}

bool WinLptDevice::write(const QByteArray &bytes)
{
    return m_handle.write(bytes);
}

qint64 WinLptDevice::bytesToWrite() const
{
    return m_handle.bytesToWrite();
}

void WinLptDevice::waitForBytesWritten(std::chrono::milliseconds timeout)
{
    m_handle.waitForBytesWritten(timeout);
}

void WinLptDevice::discardOutput()
{
    m_handle.discardOutput();
}

void WinLptDevice::setReceiving(bool)
{
    // The device is open for reading only inside a query.
}

qint64 WinLptDevice::bytesAvailable() const
{
    return m_received.size();
}

QByteArray WinLptDevice::read(qint64 maxBytes)
{
    if (m_received.isEmpty())
        m_received = m_handle.read(kReadChunk, std::chrono::milliseconds::zero());
    const QByteArray bytes = m_received.left(static_cast<qsizetype>(maxBytes));
    m_received.remove(0, bytes.size());
    return bytes;
}

bool WinLptDevice::waitForReadyRead(std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    const auto left = [&deadline] {
        return std::max(std::chrono::duration_cast<milliseconds>(deadline - Clock::now()),
                        milliseconds::zero());
    };
    while (m_received.isEmpty() && m_handle.isOpen()) {
        m_received = m_handle.read(kReadChunk, left());
        if (!m_received.isEmpty() || left() == milliseconds::zero())
            break;
        ::Sleep(static_cast<DWORD>(std::min(left(), kPollPause).count()));
    }
    return !m_received.isEmpty();
}

void WinLptDevice::discardInput()
{
    m_received.clear();
    for (int chunk = 0; chunk < kDiscardChunks &&
                        !m_handle.read(kReadChunk, std::chrono::milliseconds::zero()).isEmpty();
         ++chunk) {
    }
}

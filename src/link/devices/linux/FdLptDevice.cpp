#include "FdLptDevice.h"

#include "DeviceDiagnosis.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr qint64 kReadChunk = 4096;
// Bounds one discard against a device that never stops sending.
constexpr int kDiscardChunks = 16;

} // namespace

FdLptDevice::~FdLptDevice()
{
    close();
}

bool FdLptDevice::open(const QString &path, Access access)
{
    close();
    m_openFailure = {};
    const int mode = access == Access::Read ? O_RDONLY : O_WRONLY;
    m_fd = ::open(QFile::encodeName(path).constData(), mode | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        const int number = errno;
        recordError(number);
        m_openFailure = DeviceDiagnosis::fromErrno(path, number);
        return false;
    }
    return true;
}

bool FdLptDevice::close()
{
    m_pending.clear();
    if (m_fd < 0)
        return true;
    // The descriptor is released even when close() reports an error.
    const int result = ::close(m_fd);
    m_fd = -1;
    if (result != 0) {
        recordError(errno);
        return false;
    }
    return true;
}

SystemError FdLptDevice::lastError() const
{
    return m_error;
}

OpenFailure FdLptDevice::openFailure() const
{
    return m_openFailure;
}

bool FdLptDevice::isOpen() const
{
    return m_fd >= 0;
}

bool FdLptDevice::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    m_pending += bytes;
    writePending();
    return isOpen();
}

void FdLptDevice::writePending()
{
    while (isOpen() && !m_pending.isEmpty()) {
        const ssize_t written =
            ::write(m_fd, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (written > 0)
            m_pending.remove(0, written);
        else if (written < 0 && errno == EINTR)
            continue;
        else if (written < 0 && errno != EAGAIN)
            drop(errno);
        else
            return;
    }
}

qint64 FdLptDevice::bytesToWrite() const
{
    return isOpen() ? m_pending.size() : 0;
}

void FdLptDevice::waitForBytesWritten(std::chrono::milliseconds timeout)
{
    if (!m_pending.isEmpty() && poll(POLLOUT, static_cast<int>(timeout.count())))
        writePending();
}

void FdLptDevice::discardOutput()
{
    m_pending.clear();
}

void FdLptDevice::setReceiving(bool)
{
    // The device is open for reading only inside a query.
}

qint64 FdLptDevice::bytesAvailable() const
{
    int count = 0;
    if (!isOpen() || ::ioctl(m_fd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

QByteArray FdLptDevice::read(qint64 maxBytes)
{
    if (!isOpen() || maxBytes <= 0)
        return {};
    QByteArray data(static_cast<qsizetype>(std::min(maxBytes, kReadChunk)), Qt::Uninitialized);
    const ssize_t count = ::read(m_fd, data.data(), static_cast<size_t>(data.size()));
    if (count > 0) {
        data.truncate(count);
        return data;
    }
    if (count == 0)
        drop(ENODEV);
    else if (errno != EAGAIN && errno != EINTR)
        drop(errno);
    return {};
}

bool FdLptDevice::waitForReadyRead(std::chrono::milliseconds timeout)
{
    return poll(POLLIN, static_cast<int>(timeout.count()));
}

void FdLptDevice::discardInput()
{
    for (int chunk = 0; chunk < kDiscardChunks && !read(kReadChunk).isEmpty(); ++chunk) {
    }
}

void FdLptDevice::recordError(int number)
{
    m_error = {number, QString::fromLocal8Bit(std::strerror(number))};
}

void FdLptDevice::drop(int number)
{
    recordError(number);
    m_pending.clear();
    ::close(m_fd);
    m_fd = -1;
}

bool FdLptDevice::poll(short events, int msecs)
{
    if (!isOpen())
        return false;
    pollfd entry{m_fd, events, 0};
    const int ready = ::poll(&entry, 1, std::max(msecs, 0));
    if (ready <= 0)
        return false;
    if (entry.revents & events)
        return true;
    // Hang-up or error without data: the device has gone away.
    drop(ENODEV);
    return false;
}

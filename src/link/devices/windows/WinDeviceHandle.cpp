#include "WinDeviceHandle.h"

#include "WinErrors.h"

#include <algorithm>
#include <utility>

#include <windows.h>

namespace {

constexpr qint64 kReadChunk = 4096;
// How long a cancelled operation may take to end.
constexpr DWORD kCancelBoundMs = 1000;

DWORD toMs(std::chrono::milliseconds timeout)
{
    return static_cast<DWORD>(std::clamp<qint64>(timeout.count(), 0, 0x7fffffff));
}

} // namespace

struct WinDeviceHandle::Private
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    // The running operations. The system fills their buffers until they end, so the buffers
    // stay here, untouched, until then.
    OVERLAPPED writeIo = {};
    OVERLAPPED readIo = {};
    HANDLE writeDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE readDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    QByteArray writing;
    bool writeRunning = false;
    QByteArray queued;
    QByteArray readBuffer = QByteArray(kReadChunk, Qt::Uninitialized);
    SystemError error;
};

WinDeviceHandle::WinDeviceHandle()
    : d(std::make_unique<Private>())
{}

WinDeviceHandle::~WinDeviceHandle()
{
    close();
    ::CloseHandle(d->writeDone);
    ::CloseHandle(d->readDone);
}

bool WinDeviceHandle::open(const QString &path, unsigned long access)
{
    close();
    d->handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), access, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (d->handle == INVALID_HANDLE_VALUE) {
        d->error = WinErrors::fromCode(::GetLastError());
        return false;
    }
    return true;
}

bool WinDeviceHandle::close()
{
    d->queued.clear();
    if (!isOpen())
        return true;
    if (d->writeRunning) {
        ::CancelIoEx(d->handle, &d->writeIo);
        finishWrite(kCancelBoundMs);
    }
    const bool closed = ::CloseHandle(d->handle) != 0;
    if (!closed)
        d->error = WinErrors::fromCode(::GetLastError());
    // The handle is gone either way; so is a write that would not end.
    d->handle = INVALID_HANDLE_VALUE;
    d->writeRunning = false;
    return closed;
}

bool WinDeviceHandle::isOpen() const
{
    return d->handle != INVALID_HANDLE_VALUE;
}

void *WinDeviceHandle::handle() const
{
    return d->handle;
}

SystemError WinDeviceHandle::lastError() const
{
    return d->error;
}

void WinDeviceHandle::fail(unsigned long code)
{
    close();
    d->error = WinErrors::fromCode(code);
}

bool WinDeviceHandle::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    d->queued += bytes;
    finishWrite(0); // a write that has ended makes way at once
    startWrite();
    return isOpen();
}

void WinDeviceHandle::startWrite()
{
    // One write at a time: what it leaves over waits for the next call.
    if (isOpen() && !d->writeRunning && !d->queued.isEmpty()) {
        d->writing = std::exchange(d->queued, QByteArray());
        ::ResetEvent(d->writeDone);
        d->writeIo = {};
        d->writeIo.hEvent = d->writeDone;
        if (!::WriteFile(d->handle, d->writing.constData(), static_cast<DWORD>(d->writing.size()),
                         nullptr, &d->writeIo)) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_IO_PENDING) {
                d->queued.clear();
                fail(code);
                return;
            }
        }
        d->writeRunning = true;
        finishWrite(0);
    }
}

void WinDeviceHandle::finishWrite(unsigned long timeoutMs)
{
    if (!d->writeRunning || ::WaitForSingleObject(d->writeDone, timeoutMs) != WAIT_OBJECT_0)
        return;
    DWORD written = 0;
    const bool done = ::GetOverlappedResult(d->handle, &d->writeIo, &written, FALSE) != 0;
    const DWORD code = done ? ERROR_SUCCESS : ::GetLastError();
    if (code == ERROR_IO_INCOMPLETE)
        return;
    d->writeRunning = false;
    if (code == ERROR_OPERATION_ABORTED) // discarded on purpose
        return;
    if (!done) {
        d->queued.clear();
        fail(code);
        return;
    }
    // What the device did not take goes first with the next write.
    d->queued.prepend(d->writing.mid(written));
}

qint64 WinDeviceHandle::bytesToWrite() const
{
    if (!isOpen())
        return 0;
    const bool running = d->writeRunning && !HasOverlappedIoCompleted(&d->writeIo);
    return d->queued.size() + (running ? d->writing.size() : 0);
}

void WinDeviceHandle::waitForBytesWritten(std::chrono::milliseconds timeout)
{
    finishWrite(toMs(timeout));
    startWrite();
}

void WinDeviceHandle::discardOutput()
{
    d->queued.clear();
    if (isOpen() && d->writeRunning) {
        ::CancelIoEx(d->handle, &d->writeIo);
        finishWrite(kCancelBoundMs);
    }
}

QByteArray WinDeviceHandle::read(qint64 maxBytes, std::chrono::milliseconds timeout)
{
    if (!isOpen() || maxBytes <= 0)
        return {};
    ::ResetEvent(d->readDone);
    d->readIo = {};
    d->readIo.hEvent = d->readDone;
    const auto size = static_cast<DWORD>(std::min(maxBytes, kReadChunk));
    if (!::ReadFile(d->handle, d->readBuffer.data(), size, nullptr, &d->readIo)) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_IO_PENDING) {
            fail(code);
            return {};
        }
        if (::WaitForSingleObject(d->readDone, toMs(timeout)) != WAIT_OBJECT_0) {
            ::CancelIoEx(d->handle, &d->readIo);
            ::WaitForSingleObject(d->readDone, kCancelBoundMs);
        }
    }
    DWORD count = 0;
    if (!::GetOverlappedResult(d->handle, &d->readIo, &count, FALSE)) {
        const DWORD code = ::GetLastError();
        // A read that will not even end when cancelled: the device goes with it.
        if (code != ERROR_OPERATION_ABORTED)
            fail(code);
        if (code == ERROR_IO_INCOMPLETE)
            return {};
    }
    return d->readBuffer.left(static_cast<qsizetype>(count));
}

#include "WinSerialDevice.h"

#include "WinErrors.h"

#include <QDeadlineTimer>

#include <algorithm>

#include <windows.h>

namespace {

// The driver's buffers, and when XON/XOFF stops and restarts the printer: with a quarter of the
// receive buffer left, and again once half of it is free.
constexpr DWORD kDriverBuffer = 4096;
constexpr WORD kXoffWhenFree = kDriverBuffer / 4;
constexpr WORD kXonWhenHeld = kDriverBuffer / 2;
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
// How long a read of bytes the driver already holds may take.
constexpr std::chrono::milliseconds kReadBound{100};
// The pause between two looks at the driver while waiting for bytes.
constexpr DWORD kPollMs = 1;

} // namespace

bool WinSerialDevice::open(const QString &systemName, const SerialSettings &settings)
{
    close();
    m_openFailure = {};
    if (!m_handle.open(systemName, GENERIC_READ | GENERIC_WRITE)) {
        m_openFailure =
            WinErrors::openFailure(systemName, static_cast<DWORD>(m_handle.lastError().number));
        return false;
    }
    if (!configure(settings)) {
        // A device that takes no serial settings cannot be a printer's port.
        const DWORD code = ::GetLastError();
        m_handle.close();
        m_openFailure = WinErrors::openFailure(systemName, code);
        m_openFailure.errorClass = OpenFailure::Class::NotSupported;
        return false;
    }
    purge(PURGE_RXCLEAR | PURGE_TXCLEAR);
    return true;
}

bool WinSerialDevice::configure(const SerialSettings &settings)
{
    HANDLE port = m_handle.handle();
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!::SetupComm(port, kDriverBuffer, kDriverBuffer) || !::GetCommState(port, &dcb))
        return false;
    const bool even = settings.parity == Parity::Even;
    const bool xonXoff = settings.handshake == Handshake::XonXoff;
    dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.Parity = even ? EVENPARITY : NOPARITY;
    dcb.fParity = even ? TRUE : FALSE;
    dcb.fBinary = TRUE;
    // The printer sees the port as ready only with DTR and RTS on. With DTR/DSR the modem lines
    // are looked at when the port opens; the driver holds nothing back by them.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = xonXoff ? TRUE : FALSE;
    dcb.fInX = xonXoff ? TRUE : FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.XonChar = kXon;
    dcb.XoffChar = kXoff;
    dcb.XonLim = kXonWhenHeld;
    dcb.XoffLim = kXoffWhenFree;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(port, &dcb))
        return false;
    // A read returns at once with what the driver holds; a write has no time limit of its own,
    // since it runs by itself and the link bounds its waits.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    return ::SetCommTimeouts(port, &timeouts) != 0;
}

OpenFailure WinSerialDevice::openFailure() const
{
    return m_openFailure;
}

bool WinSerialDevice::close()
{
    m_gate.setReceiving(false);
    return m_handle.close();
}

bool WinSerialDevice::dsr() const
{
    return modemLineOn(MS_DSR_ON);
}

bool WinSerialDevice::cts() const
{
    return modemLineOn(MS_CTS_ON);
}

bool WinSerialDevice::modemLineOn(unsigned long line) const
{
    if (!isOpen())
        return false;
    DWORD lines = 0;
    if (!::GetCommModemStatus(m_handle.handle(), &lines))
        return true; // no modem status to report
    return (lines & line) != 0;
}

bool WinSerialDevice::isOpen() const
{
    return m_handle.isOpen();
}

bool WinSerialDevice::write(const QByteArray &bytes)
{
    return m_handle.write(bytes);
}

bool WinSerialDevice::driverQueues(qint64 *received, qint64 *unsent) const
{
    DWORD errors = 0;
    COMSTAT status = {};
    if (!isOpen() || !::ClearCommError(m_handle.handle(), &errors, &status))
        return false;
    *received = status.cbInQue;
    *unsent = status.cbOutQue;
    return true;
}

qint64 WinSerialDevice::bytesToWrite() const
{
    qint64 received = 0;
    qint64 unsent = 0;
    driverQueues(&received, &unsent);
    return m_handle.bytesToWrite() + unsent;
}

void WinSerialDevice::waitForBytesWritten(std::chrono::milliseconds timeout)
{
    if (m_handle.bytesToWrite() > 0)
        m_handle.waitForBytesWritten(timeout);
    else if (timeout.count() > 0) // what the driver holds leaves by itself
        ::Sleep(static_cast<DWORD>(timeout.count()));
}

void WinSerialDevice::discardOutput()
{
    purge(PURGE_TXABORT | PURGE_TXCLEAR);
    m_handle.discardOutput();
}

void WinSerialDevice::setReceiving(bool receiving)
{
    // What arrived before is dropped either way: while the port is not receiving, nothing is kept.
    m_gate.setReceiving(receiving);
    purge(PURGE_RXCLEAR);
}

qint64 WinSerialDevice::bytesAvailable() const
{
    qint64 received = 0;
    qint64 unsent = 0;
    return m_gate.receiving() && driverQueues(&received, &unsent) ? received : 0;
}

QByteArray WinSerialDevice::read(qint64 maxBytes)
{
    if (!m_gate.receiving()) {
        discardInput();
        return {};
    }
    // Only what the driver holds: a read of an empty port is not sure to return at once (Wine
    // lets it wait for the first byte).
    qint64 received = 0;
    qint64 unsent = 0;
    if (!driverQueues(&received, &unsent) || received == 0)
        return {};
    return m_handle.read(std::min(maxBytes, received), kReadBound);
}

bool WinSerialDevice::waitForReadyRead(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        qint64 received = 0;
        qint64 unsent = 0;
        if (!driverQueues(&received, &unsent)) {
            if (isOpen())
                m_handle.fail(::GetLastError());
            return false;
        }
        if (received > 0 && m_gate.receiving())
            return true;
        if (deadline.hasExpired())
            return false;
        ::Sleep(kPollMs);
    }
}

void WinSerialDevice::discardInput()
{
    purge(PURGE_RXABORT | PURGE_RXCLEAR);
}

void WinSerialDevice::purge(unsigned long what)
{
    if (isOpen())
        ::PurgeComm(m_handle.handle(), what);
}

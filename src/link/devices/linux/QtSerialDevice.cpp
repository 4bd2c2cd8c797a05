#include "QtSerialDevice.h"

#include "DeviceDiagnosis.h"

#include <QThread>

#include <cerrno>
#include <sys/ioctl.h>

QtSerialDevice::QtSerialDevice(QObject *parent)
    : QObject(parent)
{
    m_port.setReadBufferSize(ReceiveGate::kBufferSize);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialDevice::onError);
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialDevice::onReadyRead);
}

QtSerialDevice::~QtSerialDevice()
{
    // Closing emits no error that could reach a half-destroyed object.
    disconnect(&m_port, nullptr, this, nullptr);
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialDevice::open(const QString &systemName, const SerialSettings &settings)
{
    close();
    m_openFailure = {};
    m_port.setPortName(systemName);
    m_port.setBaudRate(static_cast<qint32>(settings.baudRate));
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(settings.parity == Parity::Even ? QSerialPort::EvenParity
                                                     : QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(settings.handshake == Handshake::XonXoff ? QSerialPort::SoftwareControl
                                                                   : QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openFailure = diagnoseOpenFailure(systemName);
        return false;
    }
    // The printer sees the port as ready only with DTR and RTS on. A device without modem
    // lines refuses them, which is no reason to fail.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    m_port.clearError();
    return true;
}

OpenFailure QtSerialDevice::openFailure() const
{
    return m_openFailure;
}

OpenFailure QtSerialDevice::diagnoseOpenFailure(const QString &systemName) const
{
    // QSerialPort keeps the system's text but not its number, and gives one error for refused
    // permission and for a device that another program holds (exclusive or locked). The device
    // itself tells which.
    if (std::optional<OpenFailure> problem = DeviceDiagnosis::accessProblem(systemName))
        return *problem;
    const QString text = m_port.errorString();
    OpenFailure failure;
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        failure = DeviceDiagnosis::fromErrno(systemName, ENOENT);
        break;
    case QSerialPort::PermissionError:
        failure = DeviceDiagnosis::fromErrno(systemName,
                                             text == qt_error_string(EACCES) ? EACCES : EBUSY);
        break;
    case QSerialPort::UnsupportedOperationError:
        failure = DeviceDiagnosis::fromErrno(systemName, EOPNOTSUPP);
        break;
    case QSerialPort::OpenError:
        // Already open: a request that should not have been made.
        failure = DeviceDiagnosis::fromErrno(systemName, EBUSY);
        failure.errorClass = OpenFailure::Class::CallerBug;
        break;
    default:
        failure = DeviceDiagnosis::fromErrno(systemName, 0);
        break;
    }
    failure.number = 0;
    failure.systemText = text;
    return failure;
}

bool QtSerialDevice::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_broken = false;
    return !m_port.isOpen();
}

bool QtSerialDevice::dsr() const
{
    return modemLineOn(QSerialPort::DataSetReadySignal);
}

bool QtSerialDevice::cts() const
{
    return modemLineOn(QSerialPort::ClearToSendSignal);
}

bool QtSerialDevice::modemLineOn(QSerialPort::PinoutSignal line) const
{
    if (!isOpen())
        return false;
    m_port.clearError();
    const QSerialPort::PinoutSignals lines = m_port.pinoutSignals();
    if (m_port.error() != QSerialPort::NoError) {
        // The device cannot report its modem lines (a pseudo-terminal has none).
        m_port.clearError();
        return true;
    }
    return lines.testFlag(line);
}

bool QtSerialDevice::isOpen() const
{
    return m_port.isOpen() && !m_broken;
}

bool QtSerialDevice::write(const QByteArray &bytes)
{
    closeIfBroken();
    return isOpen() && m_port.write(bytes) == bytes.size();
}

qint64 QtSerialDevice::bytesToWrite() const
{
    return isOpen() ? m_port.bytesToWrite() + bytesQueuedInSystem() : 0;
}

qint64 QtSerialDevice::bytesQueuedInSystem() const
{
    int queued = 0;
    if (::ioctl(m_port.handle(), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

void QtSerialDevice::waitForBytesWritten(std::chrono::milliseconds timeout)
{
    closeIfBroken();
    if (!isOpen())
        return;
    // Bytes in the port's own buffer are handed on; bytes the system holds leave by themselves.
    if (m_port.bytesToWrite() > 0)
        m_port.waitForBytesWritten(static_cast<int>(timeout.count()));
    else if (timeout.count() > 0)
        QThread::msleep(static_cast<unsigned long>(timeout.count()));
    else
        QThread::yieldCurrentThread();
    closeIfBroken();
}

void QtSerialDevice::discardOutput()
{
    // Both the port's own buffer and the operating system's queue are emptied.
    if (isOpen())
        m_port.clear(QSerialPort::Output);
}

void QtSerialDevice::setReceiving(bool receiving)
{
    m_gate.setReceiving(receiving);
}

void QtSerialDevice::onReadyRead()
{
    m_gate.pass([this] { m_port.readAll(); });
}

qint64 QtSerialDevice::bytesAvailable() const
{
    return isOpen() ? m_port.bytesAvailable() : 0;
}

QByteArray QtSerialDevice::read(qint64 maxBytes)
{
    closeIfBroken();
    if (!isOpen() || maxBytes <= 0)
        return {};
    return m_port.read(maxBytes);
}

bool QtSerialDevice::waitForReadyRead(std::chrono::milliseconds timeout)
{
    closeIfBroken();
    if (!isOpen())
        return false;
    if (m_port.bytesAvailable() == 0)
        m_port.waitForReadyRead(static_cast<int>(timeout.count()));
    closeIfBroken();
    return bytesAvailable() > 0;
}

void QtSerialDevice::discardInput()
{
    closeIfBroken();
    if (isOpen())
        m_port.clear(QSerialPort::Input);
}

void QtSerialDevice::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    m_broken = true;
    // The error is raised from inside QSerialPort; it is closed once that call has returned.
    QMetaObject::invokeMethod(this, &QtSerialDevice::closeIfBroken, Qt::QueuedConnection);
}

void QtSerialDevice::closeIfBroken()
{
    if (m_broken)
        close();
}

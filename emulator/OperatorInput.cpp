#include "OperatorInput.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <QCoreApplication>
#include <QPointer>

#include <thread>

#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
// Windows cannot watch a console or a pipe with the event loop: a thread of its own reads the
// standard input and hands what it read to the event loop. The thread ends with the input, or
// with the program, blocked in its read.
OperatorInput::OperatorInput(int descriptor, QObject *parent)
    : QObject(parent)
    , m_descriptor(descriptor)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
        return; // closed
    std::thread([input, self = QPointer<OperatorInput>(this)] {
        char buffer[1024];
        DWORD count = 0;
        while (::ReadFile(input, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            QCoreApplication *app = QCoreApplication::instance();
            if (app == nullptr)
                return;
            // The pointer is looked at in the event loop's thread, where the input lives.
            QMetaObject::invokeMethod(
                app,
                // A console ends its lines with CR LF.
                [self, bytes = QByteArray(buffer, count).replace('\r', QByteArray())] {
                    if (self)
                        self->take(bytes);
                },
                Qt::QueuedConnection);
        }
    }).detach();
}
#else
OperatorInput::OperatorInput(int descriptor, QObject *parent)
    : QObject(parent)
    , m_descriptor(descriptor)
{
    if (::fcntl(descriptor, F_GETFD) == -1)
        return; // closed
    // A background job that reads its terminal is stopped; ignoring SIGTTIN turns that into
    // an error on read, which ends the reading instead.
    ::signal(SIGTTIN, SIG_IGN);
    m_notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &OperatorInput::readSome);
}

// One read per notification: the descriptor is shared with whoever started the program, so it
// stays blocking, and after a notification one read does not block.
void OperatorInput::readSome()
{
    char buffer[1024];
    const ssize_t count = ::read(m_descriptor, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) { // the end of the input, or not ours to read
        m_notifier->setEnabled(false);
        return;
    }
    take(QByteArray::fromRawData(buffer, count));
}
#endif

void OperatorInput::take(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (c != '\n') {
            if (m_line.size() < kMaxLine)
                m_line.append(c);
            else
                m_overlong = true;
            continue;
        }
        if (m_overlong)
            Q_EMIT lineTooLong();
        else
            Q_EMIT lineEntered(QString::fromLocal8Bit(m_line));
        m_line.clear();
        m_overlong = false;
    }
}

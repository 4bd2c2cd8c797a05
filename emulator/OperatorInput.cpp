#include "OperatorInput.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

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
    for (ssize_t i = 0; i < count; ++i) {
        const char c = buffer[i];
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

#include "PseudoTerminal.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::PseudoTerminal(const QString &linkPath, QObject *parent)
    : ClientLink(parent)
    , m_linkPath(linkPath)
{
    m_drainTimer.setInterval(kDrainPollMs);
    connect(&m_drainTimer, &QTimer::timeout, this, &PseudoTerminal::finishHangUp);
}

PseudoTerminal::~PseudoTerminal()
{
    close();
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_path)
        QFile::remove(m_linkPath);
}

bool PseudoTerminal::open(QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (m_master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        *error = systemError("preparing the pseudo-terminal");
        close();
        return false;
    }
    m_path = QString::fromLocal8Bit(name);

    // Raw mode: every byte passes unchanged both ways, nothing is echoed. On Linux the terminal
    // settings of the master are those of the slave, which a client may change again.
    termios settings{};
    if (::tcgetattr(m_master, &settings) != 0) {
        *error = systemError("tcgetattr");
        close();
        return false;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_master, TCSANOW, &settings) != 0 ||
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) {
        *error = systemError("setting up the pseudo-terminal");
        close();
        return false;
    }
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        *error = systemError("opening the slave");
        close();
        return false;
    }
    if (!updateLink(error)) {
        close();
        return false;
    }

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::writePending);
    return true;
}

// Points the symbolic link at the current slave path; an existing symbolic link is replaced in
// one step, anything else at that path is left alone.
bool PseudoTerminal::updateLink(QString *error)
{
    if (m_linkPath.isEmpty())
        return true;
    const QFileInfo existing(m_linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(m_linkPath);
        return false;
    }
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray temporary = link + ".new";
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(m_path).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), link.constData()) != 0) {
        *error = systemError("creating the symbolic link");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void PseudoTerminal::close()
{
    // The notifiers may be the ones whose signal is being handled right now.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = m_writeNotifier = nullptr;
    m_pending.clear();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

void PseudoTerminal::readMaster()
{
    char buffer[4096];
    while (m_master >= 0 && m_pending.size() <= kMaxBacklog) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            Q_EMIT received(QByteArray(buffer, count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            return;
        // The emulator's own slave descriptor keeps the pseudo-terminal alive, so an end of file
        // or an error means it broke: replace it rather than spin on it.
        m_readNotifier->setEnabled(false);
        hangUp();
        return;
    }
    // A client that sends without reading: stop taking its bytes until the replies went out.
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    m_pending += bytes;
    writePending();
}

void PseudoTerminal::writePending()
{
    while (m_master >= 0 && !m_pending.isEmpty()) {
        const ssize_t count = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            // EAGAIN: the slave's input queue is full, go on when it has room. Anything else:
            // the bytes cannot be delivered, as on a printer whose buffer overflows.
            if (errno != EAGAIN)
                m_pending.clear();
            m_writeNotifier->setEnabled(!m_pending.isEmpty());
            return;
        }
        m_pending.remove(0, count);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_readNotifier && !m_readNotifier->isEnabled() && !m_drainTimer.isActive()) {
        m_readNotifier->setEnabled(true);
        readMaster();
    }
}

void PseudoTerminal::hangUp()
{
    m_drainEarliest.setRemainingTime(kDrainMinimumMs);
    m_drainDeadline.setRemainingTime(kDrainLimitMs);
    m_drainTimer.start();
}

// Bytes written to the master reach the slave's input queue a moment later, not at once; closing
// the master discards what is queued there. So the hang-up waits a little, then until the client
// has read everything, but never beyond the limit.
void PseudoTerminal::finishHangUp()
{
    writePending();
    int unread = 0;
    const bool draining = !m_drainEarliest.hasExpired() || !m_pending.isEmpty() ||
                          (::ioctl(m_slave, TIOCINQ, &unread) == 0 && unread > 0);
    if (draining && !m_drainDeadline.hasExpired())
        return;
    m_drainTimer.stop();
    close();
    QString error;
    if (!open(&error)) {
        Q_EMIT failed(error);
        return;
    }
    Q_EMIT hungUp();
    Q_EMIT reopened(m_path);
}

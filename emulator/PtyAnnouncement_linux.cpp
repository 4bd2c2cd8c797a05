#include "PtyAnnouncement.h"

#include "EmulatorPorts.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

std::atomic<int> lastNumber{0};

} // namespace

PtyAnnouncement::PtyAnnouncement()
    : m_number(++lastNumber)
{}

PtyAnnouncement::~PtyAnnouncement()
{
    withdraw();
}

QString PtyAnnouncement::folder()
{
    return EmulatorPorts::announcementFolder();
}

bool PtyAnnouncement::announce(const QString &slavePath, QString *error)
{
    const QString dir = folder();
    if (dir.isEmpty()) {
        *error = QStringLiteral("no runtime folder to announce the pseudo-terminal in");
        return false;
    }
    // Created for the user alone; an existing folder only while it is the user's own, as the
    // utility reads it only then.
    if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("cannot create %1: %2")
                     .arg(dir, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    *error = EmulatorPorts::folderProblem(dir);
    if (!error->isEmpty())
        return false;
    const QString path = QStringLiteral("%1/%2-%3.pty")
                             .arg(dir)
                             .arg(QCoreApplication::applicationPid())
                             .arg(m_number);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(QFile::encodeName(slavePath) + '\n') < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    m_path = path;
    return true;
}

void PtyAnnouncement::withdraw()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
}

#include "PtyAnnouncement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

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
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/printer-emulator");
}

bool PtyAnnouncement::announce(const QString &slavePath, QString *error)
{
    if (QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).isEmpty()) {
        *error = QStringLiteral("no runtime folder to announce the pseudo-terminal in");
        return false;
    }
    const QString dir = folder();
    // Created for the user alone; an existing folder is used as it is, inside a runtime folder
    // that only the user can enter.
    if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("cannot create %1: %2")
                     .arg(dir, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
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

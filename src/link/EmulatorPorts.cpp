#include "EmulatorPorts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <tuple>
#include <utility>

#include <signal.h>
#include <sys/stat.h>

namespace {

// An announcement holds one path; anything longer is not one.
constexpr qint64 kMaxAnnouncementBytes = 4096;

struct Announcement
{
    qint64 pid = 0;
    qint64 number = 0;
    QString path;
};

bool isRunning(qint64 pid)
{
    // A process of another user answers EPERM, which still says that it runs.
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

bool isCharacterDevice(const QString &path)
{
    struct stat info = {};
    return !path.isEmpty() && QDir::isAbsolutePath(path) &&
           ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

QString announcedPath(const QString &file)
{
    QFile announcement(file);
    if (!announcement.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = announcement.read(kMaxAnnouncementBytes);
    const qsizetype end = content.indexOf('\n');
    return end < 0 ? QString() : QFile::decodeName(content.left(end));
}

} // namespace

QString EmulatorPorts::announcementFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/printer-emulator");
}

EmulatorPorts::EmulatorPorts(QString folder)
    : m_folder(std::move(folder))
{}

QStringList EmulatorPorts::livePorts() const
{
    if (m_folder.isEmpty())
        m_folder = announcementFolder();
    static const QRegularExpression kName(QStringLiteral("^([0-9]{1,10})-([0-9]{1,10})\\.pty$"));
    QList<Announcement> announcements;
    const QDir folder(m_folder);
    const QStringList files = folder.entryList({QStringLiteral("*.pty")}, QDir::Files);
    for (const QString &file : files) {
        const QRegularExpressionMatch name = kName.match(file);
        if (!name.hasMatch())
            continue;
        const Announcement announcement{name.captured(1).toLongLong(),
                                        name.captured(2).toLongLong(),
                                        announcedPath(folder.filePath(file))};
        if (isRunning(announcement.pid) && isCharacterDevice(announcement.path))
            announcements.append(announcement);
    }
    std::sort(announcements.begin(), announcements.end(),
              [](const Announcement &a, const Announcement &b) {
                  return std::tie(a.pid, a.number) < std::tie(b.pid, b.number);
              });
    QStringList paths;
    for (const Announcement &announcement : announcements) {
        if (!paths.contains(announcement.path))
            paths.append(announcement.path);
    }
    return paths;
}

#include "EmulatorPorts.h"

#include <QDebug>
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
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// An announcement holds one path; anything longer is not one.
constexpr qint64 kMaxAnnouncementBytes = 4096;

// The device numbers of the slave side of Unix 98 pseudo-terminals.
constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kLastPtySlaveMajor = 143;

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

// Only the slave of a pseudo-terminal: never /dev/null, /dev/tty or another device.
bool isPseudoTerminal(const QString &path)
{
    struct stat info = {};
    return path.startsWith(QStringLiteral("/dev/pts/")) &&
           ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode) &&
           ::major(info.st_rdev) >= kFirstPtySlaveMajor &&
           ::major(info.st_rdev) <= kLastPtySlaveMajor;
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
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/printer-emulator");
}

QString EmulatorPorts::folderProblem(const QString &folder)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return {};
    QString problem;
    if (S_ISLNK(info.st_mode))
        problem = QStringLiteral("a symbolic link");
    else if (!S_ISDIR(info.st_mode))
        problem = QStringLiteral("not a folder");
    else if (info.st_uid != ::getuid())
        problem = QStringLiteral("owned by another user");
    else if ((info.st_mode & 07777) != 0700)
        problem =
            QStringLiteral("mode %1, not 0700").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return problem.isEmpty() ? problem : QStringLiteral("ignoring %1: %2").arg(folder, problem);
}

EmulatorPorts::EmulatorPorts(QString folder)
    : m_folder(std::move(folder))
{}

QStringList EmulatorPorts::livePorts() const
{
    if (m_folder.isEmpty())
        m_folder = announcementFolder();
    if (m_folder.isEmpty())
        return {};
    const QString problem = folderProblem(m_folder);
    if (problem != m_reported && !problem.isEmpty())
        qWarning().noquote() << problem;
    m_reported = problem;
    if (!problem.isEmpty())
        return {};
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
        if (isRunning(announcement.pid) && isPseudoTerminal(announcement.path))
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

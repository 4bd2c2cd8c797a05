#include "DeviceDiagnosis.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemText(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

// The path a descriptor link of /proc points at.
QByteArray linkTarget(const QByteArray &link)
{
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (length <= 0 || length >= target.size())
        return {};
    target.truncate(length);
    return target;
}

bool holdsOpen(const QByteArray &processFolder, const QByteArray &device)
{
    const QByteArray fdFolder = processFolder + "/fd";
    const std::unique_ptr<DIR, int (*)(DIR *)> descriptors(::opendir(fdFolder.constData()),
                                                           ::closedir);
    if (!descriptors)
        return false;
    while (const dirent *entry = ::readdir(descriptors.get())) {
        if (entry->d_name[0] != '.' && linkTarget(fdFolder + '/' + entry->d_name) == device)
            return true;
    }
    return false;
}

QString programName(const QByteArray &processFolder)
{
    QFile comm(QString::fromLocal8Bit(processFolder + "/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLocal8Bit(comm.readLine().trimmed());
}

bool isProcessId(const char *name)
{
    if (*name == '\0')
        return false;
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9')
            return false;
    }
    return true;
}

} // namespace

namespace DeviceDiagnosis {

OpenFailure fromErrno(const QString &path, int number)
{
    OpenFailure failure;
    failure.device = path;
    failure.number = number;
    failure.systemText = systemText(number);
    if (path.isEmpty()) {
        failure.errorClass = OpenFailure::Class::CallerBug;
        failure.cause = OpenFailure::Cause::NoDevice;
        return failure;
    }
    failure.errorClass = OpenFailure::Class::SystemFailure;
    switch (number) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        failure.cause = OpenFailure::Cause::NoDevice;
        break;
    case EACCES:
    case EPERM:
        failure.cause = OpenFailure::Cause::PermissionDenied;
        failure.group = accessGroup(path);
        break;
    case EBUSY:
        failure.cause = OpenFailure::Cause::Busy;
        failure.holders = holders(path);
        break;
    case EISDIR:
    case ENOTTY:
    case EOPNOTSUPP:
        failure.errorClass = OpenFailure::Class::NotSupported;
        break;
    default:
        break;
    }
    return failure;
}

std::optional<OpenFailure> accessProblem(const QString &path)
{
    if (path.isEmpty())
        return fromErrno(path, ENOENT);
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return fromErrno(path, errno);
    if (!S_ISCHR(info.st_mode))
        return fromErrno(path, S_ISDIR(info.st_mode) ? EISDIR : ENOTTY);
    // The effective user decides, as it does for open().
    if (::faccessat(AT_FDCWD, name.constData(), R_OK | W_OK, AT_EACCESS) != 0)
        return fromErrno(path, errno);
    return std::nullopt;
}

QStringList holders(const QString &path)
{
    QStringList programs;
    char resolved[PATH_MAX] = {};
    if (::realpath(QFile::encodeName(path).constData(), resolved) == nullptr)
        return programs;
    const QByteArray device(resolved);
    const std::unique_ptr<DIR, int (*)(DIR *)> processes(::opendir("/proc"), ::closedir);
    if (!processes)
        return programs;
    QList<long> found;
    while (const dirent *entry = ::readdir(processes.get())) {
        if (isProcessId(entry->d_name) && holdsOpen(QByteArray("/proc/") + entry->d_name, device))
            found.append(std::strtol(entry->d_name, nullptr, 10));
    }
    std::sort(found.begin(), found.end());
    for (const long pid : found) {
        programs.append(QStringLiteral("%1 (process %2)")
                            .arg(programName("/proc/" + QByteArray::number(qlonglong(pid))))
                            .arg(pid));
    }
    return programs;
}

QString accessGroup(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || info.st_gid == 0 ||
        (info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {};
    struct group entry = {};
    struct group *result = nullptr;
    char buffer[4096];
    if (::getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &result) != 0 || result == nullptr)
        return {};
    return QString::fromLocal8Bit(result->gr_name);
}

} // namespace DeviceDiagnosis

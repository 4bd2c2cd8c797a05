#pragma once

#include "OpenFailure.h"

#include <QString>
#include <QStringList>

#include <optional>

// Finds out from the operating system why a device could not be opened.
namespace DeviceDiagnosis {

// A failed open of `path` with the system's error number `number`: a missing device, refused
// permission (with the group that may use it) or a busy device (with the programs that hold it),
// else the system's failure as it stands. An empty path is a request without a device.
OpenFailure fromErrno(const QString &path, int number);

// What the file system says against opening `path` for reading and writing: it is missing, it
// is no character device, or this user may not use it. Nothing when it looks usable.
std::optional<OpenFailure> accessProblem(const QString &path);

// The programs that have `path` open, as "name (process N)", in process order. Only the
// processes whose descriptors this user may look at are seen.
QStringList holders(const QString &path);

// The group that the mode of `path` lets read and write it; empty when that is no group other
// than root's.
QString accessGroup(const QString &path);

} // namespace DeviceDiagnosis

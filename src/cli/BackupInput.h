#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text of a backup for restore: a regular file or "-" for standard input, at most
// kMaxBytes, and no object in it that names a member twice (a backup edited by hand must not
// keep one of two values silently). Devices, pipes by name and directories are refused without
// being read, so that nothing blocks or grows without bound.
namespace BackupInput {

constexpr qint64 kMaxBytes = 64 * 1024;

// Nothing, and `error` says why, when the backup cannot be taken from `path`.
std::optional<QByteArray> read(const QString &path, QString *error);

// The first member name that an object of the JSON text `json` holds twice; empty for none.
QString duplicateKey(const QByteArray &json);

} // namespace BackupInput

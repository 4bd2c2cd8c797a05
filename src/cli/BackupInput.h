#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The text of a backup for restore: a regular file or "-" for standard input, at most
// kMaxBytes, no object in it that names a member twice (a backup edited by hand must not keep one
// of two values silently) and no raw control character in its strings. Devices, pipes by name and
// directories are refused without being read, so that nothing blocks or grows without bound.
namespace BackupInput {

constexpr qint64 kMaxBytes = 64 * 1024;

// Nothing, and `error` says why, when the backup cannot be taken from `path`.
std::optional<QByteArray> read(const QString &path, QString *error);

// Why the JSON text `json` is no backup, as far as its parse does not tell: an object that holds
// a member name twice (names compared as their escapes decode: "SW\u0032" is "SW2"), or a
// string with a raw control character in it, named by its member. Empty for neither.
QString textProblem(const QByteArray &json);

} // namespace BackupInput

#include "BackupInput.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>

#include <cstdio>

namespace BackupInput {

std::optional<QByteArray> read(const QString &path, QString *error)
{
    QFile file;
    if (path == QLatin1String("-")) {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            *error = QStringLiteral("standard input: %1").arg(file.errorString());
            return std::nullopt;
        }
    } else {
        const QFileInfo info(path);
        if (info.exists() && !info.isFile()) {
            *error = QStringLiteral("%1: not a regular file").arg(path);
            return std::nullopt;
        }
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return std::nullopt;
        }
    }
    const QString name = path == QLatin1String("-") ? QStringLiteral("standard input") : path;
    const QByteArray text = file.read(kMaxBytes + 1);
    if (text.size() > kMaxBytes) {
        *error = QStringLiteral("%1: a backup is at most %2 KiB").arg(name).arg(kMaxBytes / 1024);
        return std::nullopt;
    }
    if (const QString key = duplicateKey(text); !key.isEmpty()) {
        *error = QStringLiteral("%1: \"%2\" is given twice").arg(name, key);
        return std::nullopt;
    }
    return text;
}

QString duplicateKey(const QByteArray &json)
{
    // A string followed by a colon is a member name of the innermost open object.
    QList<QSet<QByteArray>> objects;
    QByteArray string;
    bool inString = false;
    bool lastWasString = false;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (inString) {
            if (c == '\\' && i + 1 < json.size()) {
                string += json.mid(i, 2);
                ++i;
            } else if (c == '"') {
                inString = false;
                lastWasString = true;
            } else {
                string += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == '"') {
            inString = true;
            string.clear();
        } else if (c == '{') {
            objects.append(QSet<QByteArray>());
        } else if (c == '}' && !objects.isEmpty()) {
            objects.removeLast();
        } else if (c == ':' && lastWasString && !objects.isEmpty()) {
            if (objects.last().contains(string))
                return QString::fromUtf8(string);
            objects.last().insert(string);
        }
        lastWasString = false;
    }
    return {};
}

} // namespace BackupInput

#include "BackupInput.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
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
    if (const QString problem = textProblem(text); !problem.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(name, problem);
        return std::nullopt;
    }
    return text;
}

namespace {

// A string's text with its escapes decoded ("SW\u0032" is "SW2"); the text as it stands when it
// is no JSON string, which the parse that follows reports.
QString decoded(const QByteArray &string)
{
    const QJsonDocument document = QJsonDocument::fromJson("[\"" + string + "\"]");
    const QJsonValue value = document.array().at(0);
    return value.isString() ? value.toString() : QString::fromUtf8(string);
}

// An open object or array of the text and what it has met so far.
struct Container
{
    bool isObject = false;
    QSet<QString> names;    // an object's member names
    QString member;         // the member whose value is being read
    bool nextIsName = true; // an object's next string is a member name
};

} // namespace

QString textProblem(const QByteArray &json)
{
    QList<Container> open;
    QByteArray string;
    bool inString = false;
    bool control = false;       // the string holds a raw control character
    bool stringIsName = false;  // the string is a member name
    bool lastWasString = false; // a member name is complete once a colon follows
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (inString) {
            if (c == '\\' && i + 1 < json.size()) {
                string += json.mid(i, 2);
                ++i;
            } else if (c == '"') {
                inString = false;
                lastWasString = true;
                if (control)
                    return QStringLiteral("\"%1\" holds a control character")
                        .arg(stringIsName || open.isEmpty() ? decoded(string) : open.last().member);
            } else {
                control = control || quint8(c) < 0x20;
                string += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == '"') {
            inString = true;
            control = false;
            stringIsName = !open.isEmpty() && open.last().isObject && open.last().nextIsName;
            string.clear();
        } else if (c == '{' || c == '[') {
            open.append(Container());
            open.last().isObject = c == '{';
        } else if ((c == '}' || c == ']') && !open.isEmpty()) {
            open.removeLast();
        } else if (c == ',' && !open.isEmpty()) {
            open.last().nextIsName = true;
        } else if (c == ':' && lastWasString && !open.isEmpty() && open.last().isObject) {
            Container &object = open.last();
            const QString name = decoded(string);
            if (object.names.contains(name))
                return QStringLiteral("\"%1\" is given twice").arg(name);
            object.names.insert(name);
            object.member = name;
            object.nextIsName = false;
        }
        lastWasString = false;
    }
    return {};
}

} // namespace BackupInput

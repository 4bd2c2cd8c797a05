#include "StateFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct NumberKey
{
    const char *key;
    int PrinterSettings::*field;
    bool (*valid)(int);
};

constexpr std::array<NumberKey, 5> kNumberKeys{{
    {"sw1", &PrinterSettings::sw1, PrinterTables::isSwitchByte},
    {"sw2", &PrinterSettings::sw2, PrinterTables::isSwitchByte},
    {"sw3", &PrinterSettings::sw3, PrinterTables::isSwitchByte},
    {"codePage", &PrinterSettings::codePage, PrinterTables::isCodePage},
    {"charset", &PrinterSettings::charset, PrinterTables::isCharset},
}};

constexpr char kLanguageModelKey[] = "languageModel";

// A state file holds a few numbers and a name; anything larger is not one.
constexpr qint64 kMaxStateBytes = 64 * 1024;

// At most kMaxStateBytes of an open file; nullopt, with `error` set, when it holds more.
std::optional<QByteArray> readBounded(QFile &file, const QString &path, QString *error)
{
    QByteArray bytes = file.read(kMaxStateBytes + 1);
    if (bytes.size() > kMaxStateBytes) {
        *error = QStringLiteral("cannot read %1: larger than %2 KiB")
                     .arg(path)
                     .arg(kMaxStateBytes / 1024);
        return std::nullopt;
    }
    return bytes;
}

#ifdef Q_OS_WIN

// The file's bytes, when it is a regular file of kMaxStateBytes at most; nullopt for a missing
// file.
std::optional<QByteArray> readRegularFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    QFile file(path);
    if (!info.isFile())
        *error = QStringLiteral("cannot read %1: not a regular file").arg(path);
    else if (!file.open(QIODevice::ReadOnly))
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    if (!file.isOpen())
        return std::nullopt;
    return readBounded(file, path, error);
}

// A new file takes the place of the old one at once (Windows has no symbolic links in the way).
bool writeReplacing(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

#else

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The file's bytes, when it is a regular file of kMaxStateBytes at most; nullopt for a missing
// file. Opened without blocking, so that a FIFO does not hold the program up.
std::optional<QByteArray> readRegularFile(const QString &path, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            *error = QStringLiteral("cannot read %1: %2").arg(path, systemError());
        return std::nullopt;
    }
    QFile file;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        *error = QStringLiteral("cannot read %1: not a regular file").arg(path);
    else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    if (!file.isOpen()) {
        ::close(fd);
        return std::nullopt;
    }
    return readBounded(file, path, error);
}

// A new file beside it takes its place: a symbolic link there is replaced, never written
// through. (QSaveFile would write to the link's target.)
bool writeReplacing(const QString &path, const QByteArray &bytes, QString *error)
{
    QTemporaryFile file(QFileInfo(path).absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) < 0 || !file.flush() || ::fsync(file.handle()) != 0) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, systemError());
        return false;
    }
    file.setAutoRemove(false); // it is the state file now
    return true;
}

#endif

} // namespace

namespace StateFile {

bool load(const QString &path, PrinterSettings &settings, QString *error)
{
    error->clear();
    const std::optional<QByteArray> bytes = readRegularFile(path, error);
    if (!bytes)
        return error->isEmpty(); // a missing file is no error
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("%1 is not a JSON object: %2").arg(path, parseError.errorString());
        return false;
    }
    const QJsonObject object = document.object();
    PrinterSettings loaded = settings;
    for (const NumberKey &entry : kNumberKeys) {
        const QString key = QLatin1String(entry.key);
        if (!object.contains(key))
            continue;
        // Anything but a whole number reads as -1, which no setting takes.
        const int number = object.value(key).toInt(-1);
        if (!entry.valid(number)) {
            *error = QStringLiteral("%1: invalid value for \"%2\"").arg(path, key);
            return false;
        }
        loaded.*entry.field = number;
    }
    const QString languageKey = QLatin1String(kLanguageModelKey);
    if (object.contains(languageKey)) {
        const QString name = object.value(languageKey).toString();
        if (!PrinterTables::isPrintableText(name, PrinterTables::kLanguageModelLength)) {
            *error = QStringLiteral("%1: invalid value for \"%2\"").arg(path, languageKey);
            return false;
        }
        loaded.languageModel = name;
    }
    settings = loaded;
    return true;
}

bool save(const QString &path, const PrinterSettings &settings, QString *error)
{
    QJsonObject object;
    for (const NumberKey &entry : kNumberKeys)
        object.insert(QLatin1String(entry.key), settings.*entry.field);
    object.insert(QLatin1String(kLanguageModelKey), settings.languageModel);

    return writeReplacing(path, QJsonDocument(object).toJson(), error);
}

} // namespace StateFile

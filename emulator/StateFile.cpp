#include "StateFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <array>

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

} // namespace

namespace StateFile {

bool load(const QString &path, PrinterSettings &settings, QString *error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
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

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(object).toJson()) < 0 ||
        !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace StateFile

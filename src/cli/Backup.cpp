#include "Backup.h"

#include "PrinterModels.h"
#include "SettingsModel.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>

namespace {

const QString kMaker = QStringLiteral("maker");
const QString kModel = QStringLiteral("model");
const QString kSwitches = QStringLiteral("switches");
const QString kCodePage = QStringLiteral("codePage");
const QString kCharset = QStringLiteral("charset");

// A whole number within [low, high].
std::optional<int> wholeNumber(const QJsonValue &value, int low, int high)
{
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) || number < low || number > high)
        return std::nullopt;
    return int(number);
}

// The first member of `object` that is not one of `known`; empty for none.
QString unknownMember(const QJsonObject &object, const QStringList &known)
{
    const QStringList keys = object.keys();
    const auto unknown = std::find_if(
        keys.cbegin(), keys.cend(), [&known](const QString &key) { return !known.contains(key); });
    return unknown == keys.cend() ? QString() : *unknown;
}

// Why a backup holds a member it does not know, which would go unapplied while the run says ok;
// empty when it holds none.
QString unknownMembers(const QJsonObject &backup)
{
    if (const QString key = unknownMember(backup, {kMaker, kModel, kSwitches, kCodePage, kCharset});
        !key.isEmpty())
        return QStringLiteral("\"%1\" is no member of a backup: it holds \"maker\", \"model\", "
                              "\"switches\", \"codePage\" and \"charset\"")
            .arg(key);
    const QString key = unknownMember(
        backup.value(kSwitches).toObject(),
        {switchName(SwitchByte::SW1), switchName(SwitchByte::SW2), switchName(SwitchByte::SW3)});
    return key.isEmpty() ? QString()
                         : QStringLiteral("\"%1\" is no switch byte: \"switches\" holds SW1, SW2 "
                                          "and SW3 only")
                               .arg(key);
}

} // namespace

std::optional<QJsonObject> Backup::of(const QString &maker, const SettingsModel &printer,
                                      QString *error)
{
    QJsonObject switches;
    for (const SwitchByte sw : PrinterModels::switchesInUse(printer)) {
        const std::optional<int> value = printer.switchByte(sw);
        if (!value) {
            *error = QStringLiteral("%1 could not be read").arg(switchName(sw));
            return std::nullopt;
        }
        switches.insert(switchName(sw), *value);
    }
    const std::optional<int> codePage = printer.codePage();
    const std::optional<int> charset = printer.charset();
    if (!codePage || !charset) {
        *error = QStringLiteral("the %1 could not be read")
                     .arg(codePage ? QStringLiteral("character set") : QStringLiteral("code page"));
        return std::nullopt;
    }
    return QJsonObject{{kMaker, maker},
                       {kModel, printer.modelName()},
                       {kSwitches, switches},
                       {kCodePage, *codePage},
                       {kCharset, *charset}};
}

std::optional<Backup> Backup::parse(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("no JSON: %1 at offset %2")
                     .arg(parseError.errorString())
                     .arg(parseError.offset);
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    if (!document.isObject() || !object.value(kMaker).isString() ||
        !object.value(kModel).isString() || !object.value(kSwitches).isObject()) {
        *error = QStringLiteral("a backup is an object with \"maker\" and \"model\" texts and "
                                "\"switches\"");
        return std::nullopt;
    }
    if (const QString problem = unknownMembers(object); !problem.isEmpty()) {
        *error = problem;
        return std::nullopt;
    }
    Backup backup{object.value(kMaker).toString(), object.value(kModel).toString(), {}};
    const QJsonObject switches = object.value(kSwitches).toObject();
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        if (!switches.contains(switchName(sw)))
            continue;
        const std::optional<int> value = wholeNumber(switches.value(switchName(sw)), 0, 255);
        if (!value) {
            *error = QStringLiteral("\"%1\" is a number from 0 to 255").arg(switchName(sw));
            return std::nullopt;
        }
        backup.settings << SettingRequest::switchByte(sw, *value);
    }
    for (const auto &[key, make] : {std::pair{kCodePage, &SettingRequest::codePage},
                                    std::pair{kCharset, &SettingRequest::charset}}) {
        if (!object.contains(key))
            continue;
        const std::optional<int> number = wholeNumber(object.value(key), 0, 999);
        if (!number) {
            *error = QStringLiteral("\"%1\" is %2")
                         .arg(key, SettingRequest::allowedValues(make(0).kind));
            return std::nullopt;
        }
        backup.settings << make(*number);
    }
    if (const QString refusal = listRefusal(backup.settings); !refusal.isEmpty()) {
        *error = refusal;
        return std::nullopt;
    }
    return backup;
}

#pragma once

#include "SettingRequest.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

struct SettingsModel;

// A printer's settings saved by `backup` and applied by `restore`:
// {"maker": ..., "model": ..., "switches": {"SW2": 37, ...}, "codePage": 17, "charset": 12}.
struct Backup
{
    QString maker;
    QString model;
    // The switch bytes, then the code page and character set, as `set` would be given them.
    QList<SettingRequest> settings;

    // The backup of a printer whose communication test has run; nothing, and `error` says why,
    // when a setting it has could not be read.
    static std::optional<QJsonObject> of(const QString &maker, const SettingsModel &printer,
                                         QString *error);
    // A backup document as `backup` writes it; nothing, and `error` says why, when it is none.
    static std::optional<Backup> parse(const QByteArray &json, QString *error);
};

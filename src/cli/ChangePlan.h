#pragma once

#include "SettingRequest.h"
#include "SwitchTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct SettingsModel;

// A switch byte to write: what the printer holds and what it is to hold.
struct SwitchChange
{
    SwitchByte sw = SwitchByte::SW1;
    int from = 0;
    int to = 0;
};

// The language settings to write: code page and character set, each as the printer reported
// it (nothing when that was no number) and as it is to be.
struct LanguageChange
{
    std::optional<int> codePageFrom;
    int codePage = 0;
    std::optional<int> charsetFrom;
    int charset = 0;
};

// One setting a plan changes, as results name it: "SW2", "codepage" or "charset", what the
// printer held (nothing when that was no number) and what it is to hold. `step` is the write
// that carries it: the switch bytes one each in their order, then the language write.
struct SettingChange
{
    QString setting;
    std::optional<int> from;
    int to = 0;
    int step = 0;
};

// What the requests change on a printer whose communication test has run: the switch bytes in
// the order the model reads them, then the language settings. A plan that is refused changes
// nothing.
struct ChangePlan
{
    QList<SwitchChange> switches;
    std::optional<LanguageChange> language;
    // Why nothing may be written; empty when the plan stands.
    QString refusal;

    // Refused when the model has no such switch byte, the byte is not in use (a ZEPHYR-550's SW1
    // while switch 1 of its SW2 is OFF), the byte could not be read, a code page or character
    // set is not in the lists, or the other half of the language settings is not known.
    static ChangePlan make(const SettingsModel &printer, const QList<SettingRequest> &requests);

    bool isEmpty() const;
    // Every setting that changes, in the order of the writes.
    QList<SettingChange> changes() const;
    // "SW2 37->45", "codepage 0->17", "charset 0->12": one entry per setting that changes.
    QStringList summary() const;
    static QString summary(const SettingChange &change);
};

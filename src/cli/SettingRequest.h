#pragma once

#include "SwitchTypes.h"

#include <QList>
#include <QString>

#include <optional>

// One setting asked for: a whole switch byte ("SW2=37"), one switch of a byte ("SW2.3=OFF"),
// the default code page ("codepage=17") or the international character set ("charset=12").
struct SettingRequest
{
    enum class Kind { SwitchByte, Switch, CodePage, Charset };

    Kind kind = Kind::SwitchByte;
    SwitchByte sw = SwitchByte::SW1; // SwitchByte and Switch
    int number = 0;                  // Switch: 1 to 8
    bool off = false;                // Switch: OFF (a set bit) or ON
    int value = 0;                   // SwitchByte 0 to 255; CodePage, Charset: the number

    // Nothing, and `error` says why, when the text is no setting of this form. Whether a code
    // page or character set is in the lists is not judged here (see listRefusal).
    static std::optional<SettingRequest> parse(const QString &text, QString *error);

    // The values a setting of `kind` takes, as messages name them: "0 to 255", the numbers of the
    // window's code page or character set list ("0 to 13 or 15").
    static QString allowedValues(Kind kind);

    static SettingRequest switchByte(SwitchByte sw, int value);
    static SettingRequest codePage(int number);
    static SettingRequest charset(int number);
};

// Why the requests cannot be written whatever the printer holds: a code page or character set
// that the window's lists do not have. Empty when there is none.
QString listRefusal(const QList<SettingRequest> &requests);

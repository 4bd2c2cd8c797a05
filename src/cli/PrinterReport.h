#pragma once

#include "SwitchTypes.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

struct SettingsModel;

// What printer-switch prints about a printer whose communication test has run, as far as it got.
namespace PrinterReport {

// A text the printer gave (or a backup file holds), as a human-readable line shows it: every
// control character, CR and LF included, becomes "?", so that no text of the printer's can end a
// line and forge the next one. JSON carries the text itself, escaped.
QString shownText(const QString &text);

// The meaning of switch `number` (1 to 8) of a byte: the text the window shows beside it, or
// nothing where the window shows none.
std::optional<QString> switchMeaning(SwitchByte sw, const QString &model, int value, int number);

// `info --json`: maker, model, firmware, hoursPowered, cutCount, language {model, fontRom,
// codePage, charset} and the switch bytes with the meaning of every switch. Texts are null where
// no reply came, numbers null where the reply was no number, a switch byte null where it could
// not be read.
QJsonObject info(const QString &maker, const SettingsModel &printer);
// Why `info` fails when the communication test went through: the values it shows that the
// printer did not give, by their captions ("Font ROM", "Code Page", "SW3"...; a code page or
// character set that is no number counts as not given). Of the values, in the order the test
// asks for them, the first `valuesAsked` went out and got no reply; the rest were not asked
// for, `whyNotAsked`. Empty when every value came.
QString missingReport(const SettingsModel &printer, int valuesAsked, const QString &whyNotAsked);
// `info`: the same as lines of text.
QStringList infoLines(const QString &maker, const SettingsModel &printer);
// The eight switches of a byte, one line each, "  3: OFF  <meaning>"; only those in `numbers`
// when given.
QStringList switchLines(SwitchByte sw, const QString &model, int value,
                        const QList<int> &numbers = {});

} // namespace PrinterReport

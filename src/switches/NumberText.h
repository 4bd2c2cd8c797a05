#pragma once

#include <QString>

#include <optional>

namespace NumberText {

// The decimal number a text begins with: blanks, tabs and line feeds are ignored wherever they
// stand, a sign may lead, a decimal point with fraction digits belongs to the number, and
// reading stops at the first character that cannot continue it ("37abc" -> 37, "12.5" ->
// 12.5). Nothing when the text does not begin with a number.
std::optional<double> leadingNumber(const QString &text);

// The number a printer's reply stands for: a reply of decimal digits only, nothing else in it
// (no blank, sign or point), from 0 to `highest`. Nothing otherwise: a reply with any other byte
// inside is no value, whatever number it begins with.
std::optional<int> replyNumber(const QString &reply, int highest);

// The same, reading a text that does not begin with a number as 0.
double valueOf(const QString &text);

} // namespace NumberText

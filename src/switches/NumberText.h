#pragma once

#include <QString>

#include <optional>

namespace NumberText {

// The decimal number a text begins with: blanks, tabs and line feeds are ignored wherever they
// stand, a sign may lead, a decimal point with fraction digits belongs to the number, and
// reading stops at the first character that cannot continue it ("37abc" -> 37, "12.5" ->
// 12.5). Nothing when the text does not begin with a number.
std::optional<double> leadingNumber(const QString &text);

// The same, reading a text that does not begin with a number as 0.
double valueOf(const QString &text);

} // namespace NumberText

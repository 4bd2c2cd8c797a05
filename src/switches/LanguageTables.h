#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

// The code-page and international character set lists and the rules that tie their entries
// to the numbers the printer reports and accepts.
namespace LanguageTables {

QStringList codePageEntries();     // 23 entries, "0  - 437 Standard" ... "250-LITHUANIA"
QStringList codePageNameEntries(); // 23 entries, "0  - Standard" ... "250-LITHUANIA"
QStringList interCharsEntries();   // 15 entries, "0 - U.S.A." ... "15- Ex-Yugoslavia"

// The number text of an entry: its first three (code page) or two (character set) characters
// with trailing blanks removed.
QString codePageNumberText(const QString &entry);
QString interCharsNumberText(const QString &entry);

// The index of the entry whose number text equals `numberText` exactly, or -1.
int findCodePage(const QString &numberText);
int findInterChars(const QString &numberText);

// The character-set entry that choosing a code page resets to: 8 ("8 - Japan") for code page
// 1, 0 ("0 - U.S.A.") for any other.
int interCharsResetIndex(const QString &codePageText);

// The field cuts of the language write. Each gives the character codes of its field,
// left-aligned and padded with 0, or nothing when the field is empty after trimming.
std::optional<std::array<quint8, 3>> codePageDigits(const QString &codePageText);
std::optional<std::array<quint8, 20>> codePageNameCodes(const QString &codePageNameText);
std::optional<std::array<quint8, 2>> interCharsDigits(const QString &interCharsText);

} // namespace LanguageTables

#pragma once

#include <QList>
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

// The numbers of the entries, in list order: the decimal value of an entry's first three (code
// page) or two (character set) characters.
QList<int> codePageNumbers();
QList<int> interCharsNumbers();

// The number a code-page or character-set reply stands for: the reply without the blanks around
// it, when that is a number written as the lists write theirs (decimal digits, no sign, no
// leading zero); nothing otherwise. The window selects the list entry of this number and
// printer-switch reports it.
std::optional<int> reportedNumber(const QString &reply);

// The index of the entry of a number, or -1.
int findCodePage(int number);
int findInterChars(int number);

// The character set that choosing a code page resets to: 8 (Japan) for code page 1, 0 (U.S.A.)
// for any other.
int interCharsResetNumber(int codePage);

// The field codes of the language write: the numbers as decimal digit characters, the name of
// the code page's entry in capital letters, each left-aligned and padded with 0. A code page
// without an entry has no name.
std::array<quint8, 3> codePageDigits(int codePage);
std::optional<std::array<quint8, 20>> codePageNameCodes(int codePage);
std::array<quint8, 2> interCharsDigits(int charset);

} // namespace LanguageTables

#include "LanguageTables.h"

#include "NumberText.h"

#include <QByteArray>

#include <algorithm>

namespace LanguageTables {

namespace {

// One code page as the two lists show it: with its code page, and with its short name.
struct CodePageRow
{
    const char *codePage;
    const char *name;
};

constexpr std::array<CodePageRow, 23> kCodePages{{
    {"0  - 437 Standard", "0  - Standard"},
    {"1  - Katakana Japanese", "1  - Japanese"},
    {"2  - 850 Multilingual (LatinI)", "2  - Multilingual(LatinI)"},
    {"3  - 860 Portuguese", "3  - Portuguese"},
    {"4  - 863 Canadian-French", "4  - Canadian-French"},
    {"5  - 865 Nordic", "5  - Nordic"},
    {"17 - 866 Cyrillic", "17 - Cyrillic"},
    {"18 - 852 Latin 2", "18 - Latin 2"},
    {"19 - 858 Multilingual (Latin+Euro)", "19 - Multilingual(Euro)"},
    {"21 - 862 Hebrew", "21 - Hebrew"},
    {"22 - 864 Arabic", "22 - Arabic"},
    {"24 - 1253 Windows Greek", "24 - Windows Greek"},
    {"25 - 1254 Windows Turkish", "25 - Windows Turkish"},
    {"26 - 1257 Windows Baltic", "26 - Windows Baltic"},
    {"27 - 1256 Windows Arabic (Farsi)", "27 - Windows Arabic/Farsi"},
    {"28 - 1251 Windows Cyrillic", "28 - Windows Cyrillic"},
    {"29 - 737 Greek", "29 - Greek"},
    {"31 - Thai character code page 14", "31 - Thai page 14"},
    {"33 - 1255 Hebrew New code", "33 - Hebrew"},
    {"34 - Thai character code page 11", "34 - Thai page 11"},
    {"36 - 855 Cyrillic", "36 - Cyrillic"},
    {"37 - 857 Turkish", "37 - Turkish"},
    {"250-LITHUANIA", "250-LITHUANIA"},
}};

constexpr std::array<const char *, 15> kInterChars{
    "0 - U.S.A.",     "1 - France",   "2 - Germany",       "3 - U.K.",  "4 - Denmark I",
    "5 - Sweden",     "6 - Italy",    "7 - Spain I",       "8 - Japan", "9 - Norway",
    "10- Denmark II", "11- Spain II", "12- Latin America", "13- Korea", "15- Ex-Yugoslavia",
};

constexpr qsizetype kCodePageNumberWidth = 3;
constexpr qsizetype kInterCharsNumberWidth = 2;
constexpr int kJapaneseCodePage = 1;
constexpr int kJapanIndex = 8;
constexpr int kUsaIndex = 0;

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// The leading and trailing blanks of a field removed.
QString withoutBlanks(const QString &text)
{
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin) == u' ')
        ++begin;
    return withoutTrailingBlanks(text.mid(begin));
}

int findEntry(const QStringList &entries, qsizetype width, const QString &numberText)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (withoutTrailingBlanks(entries.at(i).left(width)) == numberText)
            return int(i);
    }
    return -1;
}

// The character codes of a field, left-aligned in N codes and padded with 0, or nothing for an
// empty field. Longer fields are cut to N characters.
template<std::size_t N> std::optional<std::array<quint8, N>> fieldCodes(const QString &field)
{
    if (field.isEmpty())
        return std::nullopt;
    const QByteArray bytes = field.left(qsizetype(N)).toLatin1();
    std::array<quint8, N> codes{};
    for (qsizetype i = 0; i < bytes.size(); ++i)
        codes[std::size_t(i)] = quint8(bytes.at(i));
    return codes;
}

} // namespace

QStringList codePageEntries()
{
    QStringList entries;
    for (const CodePageRow &row : kCodePages)
        entries.append(QString::fromLatin1(row.codePage));
    return entries;
}

QStringList codePageNameEntries()
{
    QStringList entries;
    for (const CodePageRow &row : kCodePages)
        entries.append(QString::fromLatin1(row.name));
    return entries;
}

QStringList interCharsEntries()
{
    QStringList entries;
    for (const char *entry : kInterChars)
        entries.append(QString::fromLatin1(entry));
    return entries;
}

QString codePageNumberText(const QString &entry)
{
    return withoutTrailingBlanks(entry.left(kCodePageNumberWidth));
}

QString interCharsNumberText(const QString &entry)
{
    return withoutTrailingBlanks(entry.left(kInterCharsNumberWidth));
}

int findCodePage(const QString &numberText)
{
    return findEntry(codePageEntries(), kCodePageNumberWidth, numberText);
}

int findInterChars(const QString &numberText)
{
    return findEntry(interCharsEntries(), kInterCharsNumberWidth, numberText);
}

int interCharsResetIndex(const QString &codePageText)
{
    const double number = NumberText::valueOf(codePageText.left(kCodePageNumberWidth));
    return number == kJapaneseCodePage ? kJapanIndex : kUsaIndex;
}

std::optional<std::array<quint8, 3>> codePageDigits(const QString &codePageText)
{
    return fieldCodes<3>(withoutBlanks(codePageText.left(kCodePageNumberWidth)));
}

std::optional<std::array<quint8, 20>> codePageNameCodes(const QString &codePageNameText)
{
    // The name follows the "-" that ends the number part, whatever the width of the number.
    const qsizetype separator = codePageNameText.indexOf(u'-');
    const QString name = withoutBlanks(codePageNameText.mid(separator + 1));
    return fieldCodes<20>(withoutTrailingBlanks(name.left(20)).toUpper());
}

std::optional<std::array<quint8, 2>> interCharsDigits(const QString &interCharsText)
{
    return fieldCodes<2>(withoutBlanks(interCharsText.left(kInterCharsNumberWidth)));
}

} // namespace LanguageTables

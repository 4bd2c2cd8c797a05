#include "LanguageTables.h"

#include "NumberText.h"

#include <QByteArray>

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
constexpr qsizetype kNameLength = 20;
constexpr qsizetype kMaxNumberDigits = 9;
constexpr int kJapaneseCodePage = 1;
constexpr int kJapan = 8;
constexpr int kUsa = 0;

QList<int> numbers(const QStringList &entries, qsizetype width)
{
    QList<int> result;
    for (const QString &entry : entries)
        result.append(int(NumberText::valueOf(entry.left(width))));
    return result;
}

// The text with its leading and trailing blanks removed; other white space is kept.
QString withoutBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

// The character codes of a field, left-aligned in N codes and padded with 0. Longer fields are
// cut to N characters.
template<std::size_t N> std::array<quint8, N> fieldCodes(const QString &field)
{
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

QList<int> codePageNumbers()
{
    return numbers(codePageEntries(), kCodePageNumberWidth);
}

QList<int> interCharsNumbers()
{
    return numbers(interCharsEntries(), kInterCharsNumberWidth);
}

std::optional<int> reportedNumber(const QString &reply)
{
    const QString digits = withoutBlanks(reply);
    if (digits.isEmpty() || digits.size() > kMaxNumberDigits)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int number = digits.toInt();
    // "017" is not how the lists write 17, so it stands for no entry.
    if (QString::number(number) != digits)
        return std::nullopt;
    return number;
}

int findCodePage(int number)
{
    return int(codePageNumbers().indexOf(number));
}

int findInterChars(int number)
{
    return int(interCharsNumbers().indexOf(number));
}

int interCharsResetNumber(int codePage)
{
    return codePage == kJapaneseCodePage ? kJapan : kUsa;
}

std::array<quint8, 3> codePageDigits(int codePage)
{
    return fieldCodes<3>(QString::number(codePage));
}

std::optional<std::array<quint8, 20>> codePageNameCodes(int codePage)
{
    const int index = findCodePage(codePage);
    if (index < 0)
        return std::nullopt;
    // The name follows the "-" that ends the number part, whatever the width of the number.
    const QString entry = codePageNameEntries().at(index);
    const QString name = withoutBlanks(entry.mid(entry.indexOf(u'-') + 1));
    return fieldCodes<20>(withoutBlanks(name.left(kNameLength)).toUpper());
}

std::array<quint8, 2> interCharsDigits(int charset)
{
    return fieldCodes<2>(QString::number(charset));
}

} // namespace LanguageTables

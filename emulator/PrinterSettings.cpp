#include "PrinterSettings.h"

#include <QByteArrayView>

#include <algorithm>
#include <array>

namespace {

struct CodePage
{
    int number;
    const char *name;    // the name the printer reports for it
    const char *label;   // how its own pages and the print-out call it
    const char *decoder; // the character set of its upper half, by its ICU name; none for its own
};

// The code pages this printer has. Katakana is the JIS X 0201 upper half; the Thai pages are
// shown as TIS-620, their common base; LITHUANIA has no decoder.
constexpr std::array<CodePage, 23> kCodePages{{
    {0, "STANDARD", "437 Standard", "IBM437"},
    {1, "JAPANESE", "Katakana Japanese", PrinterTables::kKatakanaDecoder},
    {2, "MULTILINGUAL(LATINI)", "850 Multilingual (LatinI)", "IBM850"},
    {3, "PORTUGUESE", "860 Portuguese", "IBM860"},
    {4, "CANADIAN-FRENCH", "863 Canadian-French", "IBM863"},
    {5, "NORDIC", "865 Nordic", "IBM865"},
    {17, "CYRILLIC", "866 Cyrillic", "IBM866"},
    {18, "LATIN 2", "852 Latin 2", "IBM852"},
    {19, "MULTILINGUAL(EURO)", "858 Multilingual (Latin+Euro)", "IBM00858"},
    {21, "HEBREW", "862 Hebrew", "IBM862"},
    {22, "ARABIC", "864 Arabic", "IBM864"},
    {24, "WINDOWS GREEK", "1253 Windows Greek", "windows-1253"},
    {25, "WINDOWS TURKISH", "1254 Windows Turkish", "windows-1254"},
    {26, "WINDOWS BALTIC", "1257 Windows Baltic", "windows-1257"},
    {27, "WINDOWS ARABIC/FARSI", "1256 Windows Arabic (Farsi)", "windows-1256"},
    {28, "WINDOWS CYRILLIC", "1251 Windows Cyrillic", "windows-1251"},
    {29, "GREEK", "737 Greek", "IBM737"},
    {31, "THAI PAGE 14", "Thai character code page 14", "TIS-620"},
    {33, "HEBREW", "1255 Hebrew New code", "windows-1255"},
    {34, "THAI PAGE 11", "Thai character code page 11", "TIS-620"},
    {36, "CYRILLIC", "855 Cyrillic", "IBM855"},
    {37, "TURKISH", "857 Turkish", "IBM857"},
    {250, "LITHUANIA", "LITHUANIA", nullptr},
}};

// International character sets by number; 14 has no name of its own.
constexpr std::array<const char *, 16> kCharsetNames{
    "U.S.A.",        "France",  "Germany", "U.K.",          "Denmark I",  "Sweden",
    "Italy",         "Spain I", "Japan",   "Norway",        "Denmark II", "Spain II",
    "Latin America", "Korea",   nullptr,   "Ex-Yugoslavia",
};

using PrinterTables::Identity;
using PrinterTables::Setting;
using PrinterTables::ValueKind;

constexpr std::array<Setting, 8> kSettings{{
    {39, "SW1", "sw1", true, 3, ValueKind::SwitchByte, &PrinterSettings::sw1, nullptr},
    {40, "SW2", "sw2", true, 3, ValueKind::SwitchByte, &PrinterSettings::sw2, nullptr},
    {41, "SW3", "sw3", true, 3, ValueKind::SwitchByte, &PrinterSettings::sw3, nullptr},
    {33, "code page", "code-page", false, 3, ValueKind::CodePage, &PrinterSettings::codePage,
     nullptr},
    {34, "character set", "charset", false, 2, ValueKind::Charset, &PrinterSettings::charset,
     nullptr},
    {36, "language model", "language-model", false, PrinterTables::kLanguageModelLength,
     ValueKind::Text, nullptr, &PrinterSettings::languageModel},
    {16, "hours powered", "hours", false, 0, ValueKind::Counter, &PrinterSettings::hoursPowered,
     nullptr},
    {22, "cut paper count", "cuts", false, 0, ValueKind::Counter, &PrinterSettings::cutPaperCount,
     nullptr},
}};

using PrinterTables::IdentityKind;

constexpr std::array<Identity, 9> kIdentities{{
    {1, "model ID", nullptr, IdentityKind::ModelId, nullptr},
    {2, "type ID", nullptr, IdentityKind::TypeId, nullptr},
    {3, "firmware ID", nullptr, IdentityKind::VersionId, nullptr},
    {33, "type information", nullptr, IdentityKind::TypeInformation, nullptr},
    {65, "firmware", "firmware", IdentityKind::Text, &PrinterSettings::firmware},
    {66, "maker name", "maker", IdentityKind::Text, &PrinterSettings::maker},
    {67, "model name", "model", IdentityKind::Text, &PrinterSettings::model},
    {68, "serial number", nullptr, IdentityKind::Text, &PrinterSettings::serialNumber},
    {69, "font ROM", "font-rom", IdentityKind::Text, &PrinterSettings::fontRom},
}};

// GS I 49 to 51 are GS I 1 to 3 by their digits.
constexpr int kDigitIdentities = 48;

const CodePage *findCodePage(int number)
{
    const auto it = std::find_if(kCodePages.begin(), kCodePages.end(),
                                 [number](const CodePage &page) { return page.number == number; });
    return it == kCodePages.end() ? nullptr : &*it;
}

bool isPrintable(char c)
{
    return c >= 0x20 && c <= 0x7E;
}

// Length of the leading part of `field` before its NUL padding, or -1 when a non-NUL byte
// follows the padding.
qsizetype contentLength(QByteArrayView field)
{
    const qsizetype length = field.indexOf('\0');
    if (length < 0)
        return field.size();
    const bool paddingOnly =
        std::all_of(field.begin() + length, field.end(), [](char c) { return c == '\0'; });
    return paddingOnly ? length : -1;
}

} // namespace

PrinterSettings PrinterSettings::forModel(const QString &model)
{
    PrinterSettings settings;
    settings.maker = QStringLiteral("NORVANTA");
    settings.model = model;
    settings.codePage = 0;
    settings.charset = 0;
    settings.languageModel = PrinterTables::codePageName(0);
    // SW1: 115200 baud, cut when the cover closes, partial cut, busy when the buffer is full,
    // paper feed before the cut, auto cutter fitted, no backward feed.
    settings.sw1 = 105;
    settings.sw3 = 0; // no backward feed before printing
    if (model == QStringLiteral("ZEPHYR-550")) {
        // SW2: switch 1 ON (software switches instead of the hardware switches), switches 2 to 4
        // at their fixed OFF, line printing, no parity, DTR/DSR, CR ignored.
        settings.sw2 = 238;
        settings.firmware = QStringLiteral("2.13.0");
        settings.fontRom = QStringLiteral("ANK 12x24");
        settings.serialNumber = QStringLiteral("Z55D014207");
        settings.modelId = 0x21;
        settings.hoursPowered = 342;
        settings.cutPaperCount = 9127;
    } else {
        // SW2: normal print density, cut when the cover closes, partial cut, line printing,
        // no parity, DTR/DSR, CR ignored.
        settings.sw2 = 235;
        settings.firmware = QStringLiteral("1.07.02");
        settings.fontRom = QStringLiteral("ANK 12x24 9x17");
        settings.modelId = 0x20; // no serial number: the KV-4100 keeps none
        settings.hoursPowered = 1283;
        settings.cutPaperCount = 48213;
    }
    return settings;
}

namespace PrinterTables {

bool isSwitchByte(int value)
{
    return value >= 0 && value <= kMaxSwitchByte;
}

bool isCodePage(int value)
{
    return findCodePage(value) != nullptr;
}

bool isCharset(int value)
{
    return value >= 0 && value <= kMaxCharset;
}

QString codePageName(int codePage)
{
    const CodePage *page = findCodePage(codePage);
    return page ? QLatin1String(page->name) : QString();
}

QString codePageLabel(int codePage)
{
    const CodePage *page = findCodePage(codePage);
    return page ? QLatin1String(page->label) : QString();
}

const char *codePageDecoder(int codePage)
{
    const CodePage *page = findCodePage(codePage);
    return page ? page->decoder : nullptr;
}

QString charsetName(int charset)
{
    return isCharset(charset) && kCharsetNames[size_t(charset)]
               ? QLatin1String(kCharsetNames[size_t(charset)])
               : QString();
}

QStringList queryNames()
{
    // In the order a communication test asks them.
    return {QStringLiteral("maker"),
            QStringLiteral("model"),
            QStringLiteral("firmware"),
            QStringLiteral("font-rom"),
            QStringLiteral("hours"),
            QStringLiteral("cuts"),
            QStringLiteral("language-model"),
            QStringLiteral("code-page"),
            QStringLiteral("charset"),
            QStringLiteral("sw1"),
            QStringLiteral("sw2"),
            QStringLiteral("sw3")};
}

bool isPrintableText(const QString &text, int maxLength)
{
    return !text.isEmpty() && text.size() <= maxLength &&
           std::all_of(text.begin(), text.end(), [](QChar c) {
               return c.unicode() < 0x80 && isPrintable(char(c.unicode()));
           });
}

std::optional<int> parseDigitField(QByteArrayView field)
{
    const qsizetype length = contentLength(field);
    if (length <= 0)
        return std::nullopt;
    int value = 0;
    for (const char c : field.first(length)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<QString> parseTextField(QByteArrayView field)
{
    const qsizetype length = contentLength(field);
    if (length <= 0)
        return std::nullopt;
    const QByteArrayView text = field.first(length);
    if (!std::all_of(text.begin(), text.end(), isPrintable))
        return std::nullopt;
    return QString::fromLatin1(text);
}

const Setting *findSetting(int number)
{
    const auto it = std::find_if(kSettings.begin(), kSettings.end(),
                                 [number](const Setting &s) { return s.number == number; });
    return it == kSettings.end() ? nullptr : &*it;
}

const Identity *findIdentity(int number)
{
    if (number > kDigitIdentities && number <= kDigitIdentities + 3)
        number -= kDigitIdentities;
    const auto it = std::find_if(kIdentities.begin(), kIdentities.end(),
                                 [number](const Identity &i) { return i.number == number; });
    return it == kIdentities.end() ? nullptr : &*it;
}

} // namespace PrinterTables

#include "PrinterSettings.h"

#include <QByteArrayView>

#include <algorithm>
#include <array>

namespace {

struct CodePage
{
    int number;
    const char *name;
};

// The code pages this printer has, with the name it reports for each.
constexpr std::array<CodePage, 23> kCodePages{{
    {0, "STANDARD"},          {1, "JAPANESE"},        {2, "MULTILINGUAL(LATINI)"},
    {3, "PORTUGUESE"},        {4, "CANADIAN-FRENCH"}, {5, "NORDIC"},
    {17, "CYRILLIC"},         {18, "LATIN 2"},        {19, "MULTILINGUAL(EURO)"},
    {21, "HEBREW"},           {22, "ARABIC"},         {24, "WINDOWS GREEK"},
    {25, "WINDOWS TURKISH"},  {26, "WINDOWS BALTIC"}, {27, "WINDOWS ARABIC/FARSI"},
    {28, "WINDOWS CYRILLIC"}, {29, "GREEK"},          {31, "THAI PAGE 14"},
    {33, "HEBREW"},           {34, "THAI PAGE 11"},   {36, "CYRILLIC"},
    {37, "TURKISH"},          {250, "LITHUANIA"},
}};

using PrinterTables::Identity;
using PrinterTables::Setting;
using PrinterTables::ValueKind;

constexpr std::array<Setting, 8> kSettings{{
    {39, "SW1", true, 3, ValueKind::SwitchByte, &PrinterSettings::sw1, nullptr},
    {40, "SW2", true, 3, ValueKind::SwitchByte, &PrinterSettings::sw2, nullptr},
    {41, "SW3", true, 3, ValueKind::SwitchByte, &PrinterSettings::sw3, nullptr},
    {33, "code page", false, 3, ValueKind::CodePage, &PrinterSettings::codePage, nullptr},
    {34, "character set", false, 2, ValueKind::Charset, &PrinterSettings::charset, nullptr},
    {36, "language model", false, PrinterTables::kLanguageModelLength, ValueKind::Text, nullptr,
     &PrinterSettings::languageModel},
    {16, "hours powered", false, 0, ValueKind::Counter, &PrinterSettings::hoursPowered, nullptr},
    {22, "cut paper count", false, 0, ValueKind::Counter, &PrinterSettings::cutPaperCount, nullptr},
}};

constexpr std::array<Identity, 4> kIdentities{{
    {65, "firmware", &PrinterSettings::firmware},
    {66, "maker name", &PrinterSettings::maker},
    {67, "model name", &PrinterSettings::model},
    {69, "font ROM", &PrinterSettings::fontRom},
}};

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
        settings.hoursPowered = 342;
        settings.cutPaperCount = 9127;
    } else {
        // SW2: normal print density, cut when the cover closes, partial cut, line printing,
        // no parity, DTR/DSR, CR ignored.
        settings.sw2 = 235;
        settings.firmware = QStringLiteral("1.07.02");
        settings.fontRom = QStringLiteral("ANK 12x24 9x17");
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
    const auto it = std::find_if(kIdentities.begin(), kIdentities.end(),
                                 [number](const Identity &i) { return i.number == number; });
    return it == kIdentities.end() ? nullptr : &*it;
}

} // namespace PrinterTables

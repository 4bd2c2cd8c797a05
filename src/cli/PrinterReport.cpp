#include "PrinterReport.h"

#include "LanguageTables.h"
#include "PrinterModels.h"
#include "SettingRequest.h"
#include "SettingsModel.h"
#include "SwitchBits.h"
#include "SwitchMeanings.h"

#include <QJsonArray>

#include <array>

namespace PrinterReport {

namespace {

constexpr int kCodePageRow = 2;
constexpr int kCharsetRow = 3;
// The captions of the window's information rows, without their trailing blanks.
constexpr std::array<const char *, 4> kPrinterCaptions{
    "Model Name:", "Firmware Revision:", "Hours Powered:", "Cut Paper Count:"};
constexpr std::array<const char *, 4> kLanguageCaptions{
    "Language Model:", "Font ROM:", "Code Page:", "International Character Set:"};
constexpr int kCaptionWidth = 30;

QJsonValue textOrNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QJsonValue numberOrNull(std::optional<int> number)
{
    return number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null);
}

QString row(const char *caption, const QString &value)
{
    return QString::fromLatin1(caption).leftJustified(kCaptionWidth) + value;
}

QString shown(const std::optional<QString> &reply)
{
    return reply ? shownText(*reply) : QStringLiteral("(no reply)");
}

// A reported code page or character set with its list entry, where it has one.
QString withEntry(const std::optional<QString> &reply, const QStringList &entries, int index)
{
    return index >= 0 ? entries.at(index) : shown(reply);
}

// The values `info` shows, in the order the communication test asks for them, by their captions,
// each with whether the printer gave it.
QList<std::pair<QString, bool>> shownValues(const SettingsModel &printer)
{
    QList<std::pair<QString, bool>> values;
    const auto caption = [](const char *text) { return QString::fromLatin1(text).chopped(1); };
    for (std::size_t i = 0; i < kPrinterCaptions.size(); ++i)
        values.append({caption(kPrinterCaptions[i]), printer.printerInfo[i].has_value()});
    const std::array<bool, 4> language{
        printer.languageInfo[0].has_value(), printer.languageInfo[1].has_value(),
        printer.codePage().has_value(), printer.charset().has_value()};
    for (std::size_t i = 0; i < language.size(); ++i)
        values.append({caption(kLanguageCaptions[i]), language[i]});
    for (const SwitchByte sw : PrinterModels::switchesInUse(printer))
        values.append({switchName(sw), printer.switchByte(sw).has_value()});
    return values;
}

} // namespace

QString shownText(const QString &text)
{
    QString shown = text;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return shown;
}

std::optional<QString> switchMeaning(SwitchByte sw, const QString &model, int value, int number)
{
    const std::optional<MeaningUpdate> meaning =
        SwitchMeanings::meaning(sw, model, number - 1, value);
    return meaning ? std::optional<QString>(meaning->text) : std::nullopt;
}

QJsonObject info(const QString &maker, const SettingsModel &printer)
{
    const QString model = printer.modelName();
    QJsonObject switches;
    for (const SwitchByte sw : PrinterModels::switchesInUse(printer)) {
        const std::optional<int> value = printer.switchByte(sw);
        if (!value) {
            switches.insert(switchName(sw), QJsonValue::Null);
            continue;
        }
        const std::array<bool, 8> off = SwitchBits::offStates(*value);
        QJsonArray entries;
        for (int number = 1; number <= 8; ++number)
            entries.append(QJsonObject{
                {QStringLiteral("number"), number},
                {QStringLiteral("on"), !off[std::size_t(number - 1)]},
                {QStringLiteral("meaning"), textOrNull(switchMeaning(sw, model, *value, number))},
            });
        switches.insert(switchName(sw), QJsonObject{{QStringLiteral("value"), *value},
                                                    {QStringLiteral("switches"), entries}});
    }
    return QJsonObject{
        {QStringLiteral("maker"), maker.isEmpty() ? QJsonValue(QJsonValue::Null) : maker},
        {QStringLiteral("model"), textOrNull(printer.printerInfo[std::size_t(0)])},
        {QStringLiteral("firmware"), textOrNull(printer.printerInfo[std::size_t(1)])},
        {QStringLiteral("hoursPowered"), textOrNull(printer.printerInfo[std::size_t(2)])},
        {QStringLiteral("cutCount"), textOrNull(printer.printerInfo[std::size_t(3)])},
        {QStringLiteral("language"),
         QJsonObject{
             {QStringLiteral("model"), textOrNull(printer.languageInfo[std::size_t(0)])},
             {QStringLiteral("fontRom"), textOrNull(printer.languageInfo[std::size_t(1)])},
             {QStringLiteral("codePage"), numberOrNull(printer.codePage())},
             {QStringLiteral("charset"), numberOrNull(printer.charset())},
         }},
        {QStringLiteral("switches"), switches},
    };
}

QString missingReport(const SettingsModel &printer, int valuesAsked, const QString &whyNotAsked)
{
    QStringList unanswered;
    QStringList notAsked;
    const QList<std::pair<QString, bool>> values = shownValues(printer);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!values.at(i).second)
            (i < valuesAsked ? unanswered : notAsked) << values.at(i).first;
    }
    QStringList parts;
    if (!unanswered.isEmpty())
        parts << QStringLiteral("no reply for %1").arg(unanswered.join(QStringLiteral(", ")));
    if (!notAsked.isEmpty())
        parts << QStringLiteral("not asked for %1").arg(notAsked.join(QStringLiteral(", "))) +
                     (whyNotAsked.isEmpty() ? QString() : QStringLiteral(": ") + whyNotAsked);
    return parts.join(QStringLiteral("; "));
}

QStringList infoLines(const QString &maker, const SettingsModel &printer)
{
    QStringList lines{row("Maker:", shown(maker.isEmpty() ? std::nullopt : std::optional(maker)))};
    for (int i = 0; i < 4; ++i)
        lines << row(kPrinterCaptions[std::size_t(i)], shown(printer.printerInfo[std::size_t(i)]));
    for (int i = 0; i < 2; ++i)
        lines << row(kLanguageCaptions[std::size_t(i)],
                     shown(printer.languageInfo[std::size_t(i)]));
    const std::optional<int> codePage = printer.codePage();
    const std::optional<int> charset = printer.charset();
    lines << row(kLanguageCaptions[kCodePageRow],
                 withEntry(printer.languageInfo[std::size_t(kCodePageRow)],
                           LanguageTables::codePageEntries(),
                           codePage ? LanguageTables::findCodePage(*codePage) : -1))
          << row(kLanguageCaptions[kCharsetRow],
                 withEntry(printer.languageInfo[std::size_t(kCharsetRow)],
                           LanguageTables::interCharsEntries(),
                           charset ? LanguageTables::findInterChars(*charset) : -1));
    for (const SwitchByte sw : PrinterModels::switchesInUse(printer)) {
        const std::optional<int> value = printer.switchByte(sw);
        if (!value) {
            lines << switchName(sw) + QStringLiteral(": (no reply)");
            continue;
        }
        lines << QStringLiteral("%1: %2").arg(switchName(sw)).arg(*value)
              << switchLines(sw, printer.modelName(), *value);
    }
    return lines;
}

QStringList switchLines(SwitchByte sw, const QString &model, int value, const QList<int> &numbers)
{
    const std::array<bool, 8> off = SwitchBits::offStates(value);
    QStringList lines;
    for (int number = 1; number <= 8; ++number) {
        if (!numbers.isEmpty() && !numbers.contains(number))
            continue;
        const bool isOff = off[std::size_t(number - 1)];
        QString line = QStringLiteral("  %1: %2").arg(number).arg(isOff ? u"OFF" : u"ON");
        if (const std::optional<QString> meaning = switchMeaning(sw, model, value, number)) {
            // The meaning stands in one column; a text of two lines goes on under the first.
            QString text = *meaning;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n") + QString(10, u' '));
            line = line.leftJustified(10) + text;
        }
        lines << line;
    }
    return lines;
}

} // namespace PrinterReport

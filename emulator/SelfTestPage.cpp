#include "SelfTestPage.h"

#include <QString>

#include <span>

namespace {

// What one switch, or a pair of switches deciding together, does. Texts for one switch: ON, OFF.
// For a pair, by the positions of the first and the second: ON ON, ON OFF, OFF ON, OFF OFF.
struct Meaning
{
    int first;  // switch number, 1 to 8
    int second; // the switch deciding with it, 0 for none
    const char *texts[4];
};

constexpr Meaning kSw1[] = {
    {1, 2, {"Baud Rate = 38400", "Baud Rate = 9600", "Baud Rate = 115200", "Baud Rate = 19200"}},
    {3, 0, {"Cut Paper When cover closed.", "Don't cut paper when cover closed."}},
    {4, 0, {"Full cut paper", "Partial cut paper."}},
    {5, 0, {"Busy condition = When buffer full", "Busy condition = When buffer full or off line"}},
    {6, 0, {"Paper Feed before cut paper = Disabled", "Paper Feed before cut paper = Enabled"}},
    {7, 0, {"Without Auto Cutter", "With Auto Cutter"}},
    {8,
     0,
     {"Paper Feed Backward before print = Disabled", "Paper Feed Backward before print = Enabled"}},
};

constexpr Meaning kSw2Kv[] = {
    {1,
     2,
     {"Print Density = LIGHT", "Print Density =HIGH QUALITY", "Unknown", "Print Density = NORMAL"}},
    {3, 0, {"Cut Paper When cover closed.", "Don't cut paper when cover closed."}},
    {4, 0, {"Full cut paper", "Partial cut paper."}},
};

constexpr Meaning kSw2Zephyr[] = {
    {1,
     0,
     {"Hardware Switch1 = Invalid\n(Software switch instead of hardware switch)",
      "Hardware Switch1 = Valid"}},
    {2, 0, {"Unknown", "Fixed to OFF"}},
    {3, 0, {"Unknown", "Fixed to OFF"}},
    {4, 0, {"Unknown", "Fixed to OFF"}},
};

constexpr Meaning kSw2Common[] = {
    {5,
     0,
     {"Raster bitmap print mode = Line printing", "Raster bitmap print mode = Batch printing"}},
    {6, 0, {"Parity check = EVEN", "Parity check = NONE"}},
    {7, 0, {"Handshaking = XON/XOFF", "Handshaking = DTR/DSR"}},
    {8, 0, {"<CR> Valid", "<CR> Invalid"}},
};

constexpr Meaning kSw3[] = {
    {1,
     0,
     {"Paper Feed Backward before print = Disabled", "Paper Feed Backward before print = Enabled"}},
};

constexpr qsizetype kLabelWidth = 19;
constexpr qsizetype kPositionWidth = 13;
constexpr int kPartialCutBit = 0x08; // switch 4 of the model's cutter byte

bool isOff(int value, int switchNumber)
{
    return (value >> (switchNumber - 1)) & 1;
}

QString position(int value, int switchNumber)
{
    return QStringLiteral("%1 %2")
        .arg(switchNumber)
        .arg(isOff(value, switchNumber) ? QStringLiteral("OFF") : QStringLiteral("ON"));
}

QString row(const char *label, const QString &value)
{
    return QString::fromLatin1(label).leftJustified(kLabelWidth) + value;
}

// The lines of one switch byte: value, bits, then each switch with what it does. Switches that
// no table names are listed together as not used.
QStringList switchLines(const char *name, int value,
                        std::initializer_list<std::span<const Meaning>> tables)
{
    QStringList lines;
    lines << QStringLiteral("%1 %2  0x%3  bits 7-0: %4 %5")
                 .arg(QLatin1String(name))
                 .arg(value, 3)
                 .arg(QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0')))
                 .arg(value >> 4, 4, 2, QLatin1Char('0'))
                 .arg(value & 0x0F, 4, 2, QLatin1Char('0'));
    bool described[9] = {};
    for (const std::span<const Meaning> table : tables) {
        for (const Meaning &meaning : table) {
            QString switches = position(value, meaning.first);
            int index = isOff(value, meaning.first);
            described[meaning.first] = true;
            if (meaning.second != 0) {
                switches += QLatin1Char(' ') + position(value, meaning.second);
                index = index * 2 + isOff(value, meaning.second);
                described[meaning.second] = true;
            }
            const QStringList text = QString::fromLatin1(meaning.texts[index]).split(u'\n');
            lines << QStringLiteral("  ") + switches.leftJustified(kPositionWidth) + text.first();
            for (const QString &more : text.sliced(1))
                lines << QString(2 + kPositionWidth, QLatin1Char(' ')) + more;
        }
    }
    QStringList unused;
    for (int number = 1; number <= 8; ++number)
        if (!described[number])
            unused << position(value, number);
    if (!unused.isEmpty())
        lines << QStringLiteral("  ") + unused.join(QLatin1Char(' ')) +
                     QStringLiteral("  not used");
    return lines;
}

bool isZephyr(const PrinterSettings &settings)
{
    return settings.model == QStringLiteral("ZEPHYR-550");
}

} // namespace

namespace SelfTestPage {

QStringList lines(const PrinterSettings &s)
{
    const QString rule(48, QLatin1Char('='));
    QStringList lines;
    lines << rule << QStringLiteral("SELF TEST").rightJustified(28) << rule << row("Maker", s.maker)
          << row("Model", s.model) << row("Firmware revision", s.firmware)
          << row("Font ROM", s.fontRom) << row("Hours powered", QString::number(s.hoursPowered))
          << row("Cut paper count", QString::number(s.cutPaperCount));
    const QString codePage = PrinterTables::codePageLabel(s.codePage);
    const QString charset = PrinterTables::charsetName(s.charset);
    lines << row("Code page", codePage.isEmpty()
                                  ? QString::number(s.codePage)
                                  : QStringLiteral("%1 (%2)").arg(s.codePage).arg(codePage))
          << row("Language model", s.languageModel)
          << row("Character set", charset.isEmpty()
                                      ? QString::number(s.charset)
                                      : QStringLiteral("%1 (%2)").arg(s.charset).arg(charset))
          << QString(48, QLatin1Char('-'));
    // Switches 1 to 4 of SW2 mean different things per model; a model of another name is a
    // "KV-4100" under that name.
    const std::span<const Meaning> sw2Model =
        isZephyr(s) ? std::span<const Meaning>(kSw2Zephyr) : std::span<const Meaning>(kSw2Kv);
    lines << switchLines("SW1", s.sw1, {kSw1}) << switchLines("SW2", s.sw2, {sw2Model, kSw2Common})
          << switchLines("SW3", s.sw3, {kSw3}) << rule;
    return lines;
}

bool partialCut(const PrinterSettings &settings)
{
    return (isZephyr(settings) ? settings.sw1 : settings.sw2) & kPartialCutBit;
}

} // namespace SelfTestPage

#include "Printer.h"

#include <QStringList>

#include <utility>

using PrinterTables::ValueKind;

namespace {

// A block answer: "_", the text, NUL.
QByteArray blockReply(const QString &text)
{
    return '_' + text.toLatin1() + '\0';
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

bool inRange(ValueKind kind, int value)
{
    switch (kind) {
    case ValueKind::SwitchByte:
        return PrinterTables::isSwitchByte(value);
    case ValueKind::CodePage:
        return PrinterTables::isCodePage(value);
    case ValueKind::Charset:
        return PrinterTables::isCharset(value);
    case ValueKind::Text:
    case ValueKind::Counter:
        break;
    }
    return false;
}

// The eight switches of a byte as the printer lists them: switch 1 (bit 0) first, a set bit OFF.
QString switchPositions(int value)
{
    QStringList positions;
    for (int bit = 0; bit < 8; ++bit)
        positions << ((value >> bit) & 1 ? QStringLiteral("OFF") : QStringLiteral("ON"));
    return positions.join(QLatin1Char(' '));
}

} // namespace

Printer::Printer(PrinterSettings settings)
{
    m_snapshot.settings = std::move(settings);
}

Exchange Printer::execute(const ParsedCommand &command)
{
    if (command.kind == CommandKind::Skipped) {
        m_snapshot.skippedBytes += command.bytes.size();
        return {command.kind,
                {},
                QStringLiteral("skipped %1 byte(s): %2")
                    .arg(command.bytes.size())
                    .arg(hexBytes(command.bytes)),
                false};
    }

    ++m_snapshot.commands;
    switch (command.kind) {
    case CommandKind::Identify:
        return identify(command.number);
    case CommandKind::Read:
        return read(command.number);
    case CommandKind::Write:
        return write(command.number, command.value);
    case CommandKind::Unlock:
        m_snapshot.locked = false;
        return {command.kind, {}, QStringLiteral("unlock"), false};
    case CommandKind::Lock:
        m_snapshot.locked = true;
        return {command.kind, {}, QStringLiteral("lock"), false};
    case CommandKind::SelfTest:
        // The page is printed and cut; the printer does not answer.
        ++m_snapshot.selfTests;
        ++m_snapshot.settings.cutPaperCount;
        return {command.kind, {}, QStringLiteral("self-test"), false};
    case CommandKind::Skipped:
        break;
    }
    return {};
}

Exchange Printer::identify(int number) const
{
    const PrinterTables::Identity &identity = *PrinterTables::findIdentity(number);
    const QString &text = settings().*identity.field;
    return {CommandKind::Identify, blockReply(text),
            QStringLiteral("read %1 -> %2").arg(QLatin1String(identity.name), text), false};
}

Exchange Printer::read(int number) const
{
    const PrinterTables::Setting &setting = *PrinterTables::findSetting(number);
    const QString text = setting.kind == ValueKind::Text
                             ? settings().*setting.textField
                             : QString::number(settings().*setting.numberField);
    return {CommandKind::Read, blockReply(text),
            QStringLiteral("read %1 -> %2").arg(QLatin1String(setting.name), text), false};
}

Exchange Printer::write(int number, const QByteArray &value)
{
    const PrinterTables::Setting &setting = *PrinterTables::findSetting(number);
    const bool isText = setting.kind == ValueKind::Text;
    std::optional<QString> text;
    std::optional<int> digits;
    if (isText)
        text = PrinterTables::parseTextField(value);
    else
        digits = PrinterTables::parseDigitField(value);
    const bool wellFormed = isText ? text.has_value() : digits.has_value();

    Exchange exchange{CommandKind::Write,
                      {},
                      QStringLiteral("write %1 = ").arg(QLatin1String(setting.name)),
                      false};
    if (!wellFormed)
        exchange.line += QLatin1Char('<') + hexBytes(value) + QLatin1Char('>');
    else
        exchange.line += isText ? *text : QString::number(*digits);

    if (m_snapshot.locked) {
        exchange.line += QStringLiteral(" refused (locked)");
        return exchange;
    }
    if (!wellFormed) {
        exchange.line += QStringLiteral(" refused (malformed)");
        return exchange;
    }
    PrinterSettings &stored = m_snapshot.settings;
    if (isText) {
        exchange.changed = stored.*setting.textField != *text;
        stored.*setting.textField = *text;
        return exchange;
    }
    if (!inRange(setting.kind, *digits)) {
        exchange.line += QStringLiteral(" refused (out of range)");
        return exchange;
    }
    exchange.changed = stored.*setting.numberField != *digits;
    stored.*setting.numberField = *digits;
    return exchange;
}

QString Printer::selfTestPage() const
{
    const PrinterSettings &s = settings();
    QStringList lines;
    lines << QStringLiteral("======== self-test page ========")
          << s.maker + QLatin1Char(' ') + s.model
          << QStringLiteral("Firmware %1   Font ROM %2").arg(s.firmware, s.fontRom)
          << QStringLiteral("Hours powered %1   Cut paper count %2")
                 .arg(s.hoursPowered)
                 .arg(s.cutPaperCount)
          << QStringLiteral("Code page %1   Character set %2   Language model %3")
                 .arg(s.codePage)
                 .arg(s.charset)
                 .arg(s.languageModel);
    const std::pair<const char *, int> switches[] = {
        {"SW1", s.sw1}, {"SW2", s.sw2}, {"SW3", s.sw3}};
    for (const auto &[name, value] : switches)
        lines << QStringLiteral("%1 %2   switches 1-8: %3")
                     .arg(QLatin1String(name))
                     .arg(value, 3)
                     .arg(switchPositions(value));
    lines << QStringLiteral("================================");
    return lines.join(QLatin1Char('\n'));
}

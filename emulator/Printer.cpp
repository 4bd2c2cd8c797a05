#include "Printer.h"

#include "SelfTestPage.h"

#include <QRegularExpression>
#include <QStringList>

#include <utility>

using PrinterTables::IdentityKind;
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

// Switch 8 of SW2 ON: a carriage return feeds a line.
constexpr int kCrValidBit = 0x80;
// Switch 7 of SW1 OFF: the auto cutter is fitted.
constexpr int kAutoCutterBit = 0x40;
// Bit 6 of the type information is always on.
constexpr int kTypeInformationFixed = 0x40;

// The type bits of GS I 2 and GS I 33: multi-byte characters (bit 0) when the font ROM holds
// kanji, the auto cutter (bit 1); no customer display.
int typeBits(const PrinterSettings &settings)
{
    return (settings.fontRom.contains(QStringLiteral("KANJI"), Qt::CaseInsensitive) ? 0x01 : 0) |
           (settings.sw1 & kAutoCutterBit ? 0x02 : 0);
}

// The firmware ID of GS I 3, from the revision "major.minor...": the major number in bits 5 and
// 6, the minor one in bits 0 to 3. Bits 4 and 7 stay off, which tells an ID from a status byte.
int versionId(const QString &firmware)
{
    static const QRegularExpression kRevision(QStringLiteral("^(\\d{1,4})\\.(\\d{1,4})"));
    const QRegularExpressionMatch match = kRevision.match(firmware);
    if (!match.hasMatch())
        return 0;
    return ((match.captured(1).toInt() & 0x03) << 5) | (match.captured(2).toInt() & 0x0F);
}

} // namespace

// The switch bytes and the code page are read when the printer starts, as on paper they take
// effect only after the printer was switched off and on.
Printer::Printer(PrinterSettings settings, PrinterStatus status)
    : m_receipt(settings.codePage, !(settings.sw2 & kCrValidBit))
{
    m_snapshot.settings = std::move(settings);
    m_snapshot.status = status;
}

Exchange Printer::execute(const ParsedCommand &command)
{
    Exchange exchange = run(command);
    exchange.printed = m_receipt.takeLines();
    return exchange;
}

Exchange Printer::run(const ParsedCommand &command)
{
    if (command.kind == CommandKind::Text || command.kind == CommandKind::Unknown ||
        command.kind == CommandKind::Incomplete) {
        if (command.kind == CommandKind::Unknown)
            m_snapshot.skippedBytes += command.size;
        m_receipt.print(command);
        return {command.kind, {}, {}, false, {}};
    }

    ++m_snapshot.commands;
    if (command.kind != CommandKind::Print)
        m_receipt.endUnknown(); // the print-out keeps the order of the command lines
    switch (command.kind) {
    case CommandKind::Identify:
        return identify(command.number);
    case CommandKind::Read:
        return read(command.number);
    case CommandKind::Write:
        return write(command.number, command.value);
    case CommandKind::Unlock:
        m_snapshot.locked = false;
        return {command.kind, {}, QStringLiteral("unlock"), false, {}};
    case CommandKind::Lock:
        m_snapshot.locked = true;
        return {command.kind, {}, QStringLiteral("lock"), false, {}};
    case CommandKind::SelfTest:
        // The page is printed and cut; the printer does not answer.
        ++m_snapshot.selfTests;
        m_receipt.printPage(selfTestPage(), SelfTestPage::partialCut(settings()));
        ++m_snapshot.settings.cutPaperCount;
        return {command.kind, {}, QStringLiteral("self-test"), false, {}};
    case CommandKind::RealTimeStatus:
    case CommandKind::PaperStatus:
    case CommandKind::AutoStatusBack:
        return status(command);
    case CommandKind::Print:
        m_receipt.print(command);
        return {command.kind, {}, {}, false, {}};
    case CommandKind::Text:
    case CommandKind::Unknown:
    case CommandKind::Incomplete:
        break;
    }
    return {};
}

Exchange Printer::status(const ParsedCommand &command) const
{
    const PrinterStatus &now = status();
    const int n = command.number;
    if (command.kind == CommandKind::AutoStatusBack) {
        // Enabling it sends the state at once; the connection keeps the groups enabled.
        if ((n & PrinterStatus::AllGroups) == 0)
            return {command.kind, {}, QStringLiteral("automatic status back off"), false, {}};
        const QByteArray block = now.autoStatusBlock();
        return {command.kind,
                block,
                QStringLiteral("automatic status back 0x%1 -> %2")
                    .arg(n, 2, 16, QLatin1Char('0'))
                    .arg(hexBytes(block)),
                false,
                {}};
    }
    static constexpr const char *kRealTime[] = {"printer", "off-line cause", "error cause",
                                                "roll paper sensor"};
    const bool realTime = command.kind == CommandKind::RealTimeStatus;
    const quint8 byte = realTime ? *now.realTimeStatus(n) : *now.transmittedStatus(n);
    const QString what =
        realTime
            ? QStringLiteral("real-time status %1 (%2)").arg(n).arg(QLatin1String(kRealTime[n - 1]))
            : QStringLiteral("paper status %1 (%2)")
                  .arg(n >= '0' ? n - '0' : n)
                  .arg(n == 1 || n == '1' ? QStringLiteral("paper sensor")
                                          : QStringLiteral("drawer"));
    const QByteArray reply(1, char(byte));
    return {command.kind, reply, what + QStringLiteral(" -> ") + hexBytes(reply), false, {}};
}

int Printer::setStatus(const PrinterStatus &status)
{
    const int groups = PrinterStatus::changedGroups(m_snapshot.status, status);
    m_snapshot.status = status;
    return groups;
}

QStringList Printer::finishJob()
{
    m_receipt.flush();
    return m_receipt.takeLines();
}

Exchange Printer::identify(int number) const
{
    const PrinterTables::Identity &identity = *PrinterTables::findIdentity(number);
    const PrinterSettings &s = settings();
    QByteArray reply;
    switch (identity.kind) {
    case IdentityKind::ModelId:
        reply = QByteArray(1, char(s.modelId));
        break;
    case IdentityKind::TypeId:
        reply = QByteArray(1, char(typeBits(s)));
        break;
    case IdentityKind::VersionId:
        reply = QByteArray(1, char(versionId(s.firmware)));
        break;
    case IdentityKind::TypeInformation: // "=", the number asked, the information, NUL
        reply = QByteArray("=") + char(identity.number) +
                char(kTypeInformationFixed | typeBits(s)) + '\0';
        break;
    case IdentityKind::Text:
        reply = blockReply(s.*identity.field);
        break;
    }
    const QString shown = identity.kind == IdentityKind::Text ? s.*identity.field : hexBytes(reply);
    return {CommandKind::Identify,
            reply,
            QStringLiteral("read %1 -> %2").arg(QLatin1String(identity.name), shown),
            false,
            {}};
}

Exchange Printer::read(int number) const
{
    const PrinterTables::Setting &setting = *PrinterTables::findSetting(number);
    const QString text = setting.kind == ValueKind::Text
                             ? settings().*setting.textField
                             : QString::number(settings().*setting.numberField);
    return {CommandKind::Read,
            blockReply(text),
            QStringLiteral("read %1 -> %2").arg(QLatin1String(setting.name), text),
            false,
            {}};
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
                      false,
                      {}};
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

QStringList Printer::selfTestPage() const
{
    return SelfTestPage::lines(settings());
}

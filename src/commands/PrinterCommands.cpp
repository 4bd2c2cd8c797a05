#include "PrinterCommands.h"

#include "CommandBytes.h"
#include "CommandChannel.h"
#include "CommandReport.h"
#include "LanguageTables.h"
#include "NumberText.h"
#include "SwitchBits.h"

#include <array>
#include <optional>
#include <utility>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
constexpr QLatin1String kMaker{"NORVANTA"};

const QString kLanguageFieldMissing =
    QStringLiteral("Please select a code page and an international character set before "
                   "writing.\r\nNothing was written to the printer.");

// An information query: its command family (GS g "4" n or GS I n) and number, the tag of its
// log line and the row of the settings that takes the reply.
struct InfoQuery
{
    QByteArray (*command)(quint8);
    quint8 number;
    const char *tag;
    InfoGroup group;
    int row;
};

// Rows 0 to 3 are getLanguageInfo1 to 4, rows 4 to 7 getPrinterInfo1 to 4.
using namespace CommandBytes;
constexpr std::array<InfoQuery, 8> kInfoQueries{{
    {&settingQuery, kCodePageNameSetting, "getLanguageInfo1-->", InfoGroup::Language, 0},
    {&printerId, kFontTypeId, "getLanguageInfo2-->", InfoGroup::Language, 1},
    {&settingQuery, kCodePageSetting, "getLanguageInfo3-->", InfoGroup::Language, 2},
    {&settingQuery, kInterCharsSetting, "getLanguageInfo4-->", InfoGroup::Language, 3},
    {&printerId, kModelId, "getPrinterInfo1-->", InfoGroup::Printer, 0},
    {&printerId, kFirmwareId, "getPrinterInfo2-->", InfoGroup::Printer, 1},
    {&settingQuery, kHoursPoweredSetting, "getPrinterInfo3-->", InfoGroup::Printer, 2},
    {&settingQuery, kCutCountSetting, "getPrinterInfo4-->", InfoGroup::Printer, 3},
}};
constexpr int kFirstPrinterInfoRow = 4;

constexpr QLatin1String kMakerTag{"getMakerInfo-->"};

constexpr std::array<const char *, 3> kSwitchTags{"getSW1-->", "getSW2-->", "getSW3-->"};

constexpr int kHighestSwitchByte = 255;
constexpr int kCodePageRow = 2;
constexpr int kCharsetRow = 3;

} // namespace

PrinterCommands::PrinterCommands(CommandChannel &channel, SettingsModel &settings,
                                 CommandReport &report)
    : m_channel(channel)
    , m_settings(settings)
    , m_report(report)
{}

QString PrinterCommands::query(const QByteArray &command)
{
    QString reply = QStringLiteral("R");
    m_channel.SendCommand(command, reply);
    return reply;
}

bool PrinterCommands::write(const QByteArray &command)
{
    QString reply = QStringLiteral("W");
    return m_channel.SendCommand(command, reply);
}

WriteResult PrinterCommands::writeUnlocked(std::initializer_list<QByteArray> settings)
{
    // No early exit: the lock follows the writes whatever the link reported.
    const bool unlocked = write(CommandBytes::unlock());
    bool delivered = unlocked;
    for (const QByteArray &command : settings)
        delivered = write(command) && delivered;
    const bool locked =
        unlocked ? m_channel.SendClosingCommand(CommandBytes::lock()) : write(CommandBytes::lock());
    if (delivered && locked)
        return WriteResult::Written;
    return unlocked ? WriteResult::Unknown : WriteResult::Failed;
}

std::optional<int> PrinterCommands::switchReply(SwitchByte sw, const QString &reply)
{
    const bool whole = m_channel.replyWasWhole();
    const std::optional<int> value =
        whole ? NumberText::replyNumber(reply, kHighestSwitchByte) : std::nullopt;
    if (value || (!whole && !reply.isEmpty()))
        m_report.AppendLog(QLatin1String(kSwitchTags[static_cast<std::size_t>(sw)]) + reply +
                           kLineEnd);
    return value;
}

bool PrinterCommands::getSwitch(SwitchByte sw)
{
    const std::optional<int> value = switchReply(sw, query(CommandBytes::switchQuery(sw)));
    std::optional<quint8> &held = m_settings.switchByte(sw);
    held.reset();
    if (value) {
        held = quint8(*value);
        m_settings.switchToWrite(sw) = quint8(*value);
        m_switchesSinceProof[static_cast<std::size_t>(sw)] = true;
    }
    m_report.switchQueried(sw, value.has_value());
    return value.has_value();
}

bool PrinterCommands::getInfoRow(int row)
{
    const InfoQuery &info = kInfoQueries[std::size_t(row)];
    const QString reply = query(info.command(info.number));
    if (reply.isEmpty())
        return false;
    m_report.AppendLog(QLatin1String(info.tag) + reply + kLineEnd);
    // Logged as it came, but a reply with foreign bytes inside is no value.
    if (!m_channel.replyWasWhole())
        return false;
    m_settings.info(info.group, info.row) = reply;
    m_infoSinceProof[std::size_t(info.group)][std::size_t(info.row)] = true;
    m_report.infoFilled(info.group, info.row);
    return true;
}

InStepProof PrinterCommands::proveInStep()
{
    const InStepProof proof = m_channel.proveInStep();
    if (proof == InStepProof::NotSent)
        return proof;
    const auto switchesRead = std::exchange(m_switchesSinceProof, {});
    const auto infoRead = std::exchange(m_infoSinceProof, {});
    if (proof == InStepProof::Proven)
        return proof;
    // Any of them may be another question's answer.
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        if (!switchesRead[static_cast<std::size_t>(sw)])
            continue;
        m_settings.switchByte(sw).reset();
        m_report.switchQueried(sw, false);
    }
    for (const InfoGroup group : {InfoGroup::Printer, InfoGroup::Language}) {
        for (int row = 0; row < int(infoRead[0].size()); ++row) {
            if (!infoRead[std::size_t(group)][std::size_t(row)])
                continue;
            m_settings.info(group, row).reset();
            m_report.infoFilled(group, row);
        }
    }
    return proof;
}

WriteResult PrinterCommands::proved()
{
    switch (proveInStep()) {
    case InStepProof::Proven:
        return WriteResult::Written;
    case InStepProof::OutOfStep:
        return WriteResult::OutOfStep;
    case InStepProof::NotSent:
        break;
    }
    return WriteResult::Failed;
}

WriteResult PrinterCommands::provedUnchanged(SwitchByte sw)
{
    const WriteResult proof = proved();
    if (proof != WriteResult::Written)
        return proof;
    const std::optional<int> now = switchReply(sw, query(CommandBytes::switchQuery(sw)));
    const std::optional<quint8> read = m_settings.switchByte(sw);
    return now && read && *now == *read ? WriteResult::Written : WriteResult::Changed;
}

WriteResult PrinterCommands::provedLanguageUnchanged()
{
    const WriteResult proof = proved();
    if (proof != WriteResult::Written)
        return proof;
    // The code page and character set as the settings were read with them: both are written.
    for (const int row : {kCodePageRow, kCharsetRow}) {
        const InfoQuery &info = kInfoQueries[std::size_t(row)];
        const QString reply = query(info.command(info.number));
        if (!reply.isEmpty())
            m_report.AppendLog(QLatin1String(info.tag) + reply + kLineEnd);
        if (reply.isEmpty() || !m_channel.replyWasWhole() ||
            m_settings.info(InfoGroup::Language, row) != reply)
            return WriteResult::Changed;
    }
    return WriteResult::Written;
}

bool PrinterCommands::getMakerInfo()
{
    const QString reply = query(CommandBytes::printerId(CommandBytes::kMakerId));
    m_report.AppendLog(kMakerTag + reply + kLineEnd);
    m_settings.makerName = reply;
    if (reply != kMaker || !m_channel.replyWasWhole())
        return false;
    m_report.showMessage(greeting());
    return true;
}

bool PrinterCommands::sendLock()
{
    return m_channel.SendClosingCommand(CommandBytes::lock());
}

void PrinterCommands::startSelfTest()
{
    query(CommandBytes::selfTest());
}

WriteResult PrinterCommands::setSwitch(SwitchByte sw)
{
    if (!m_settings.switchByte(sw))
        return WriteResult::NotRead;
    if (const WriteResult checked = provedUnchanged(sw); checked != WriteResult::Written)
        return checked;
    return writeUnlocked({CommandBytes::switchWrite(sw, switchDigits(sw))});
}

std::array<quint8, 3> PrinterCommands::switchDigits(SwitchByte sw) const
{
    return SwitchBits::digitCodes(m_settings.switchesToWrite[static_cast<std::size_t>(sw)]);
}

bool PrinterCommands::getInfo(InfoGroup group, int index)
{
    return getInfoRow(group == InfoGroup::Language ? index : kFirstPrinterInfoRow + index);
}

WriteResult PrinterCommands::setLanguage()
{
    // All three fields are taken before anything is sent, so that the printer never gets a
    // command with a missing value.
    const std::optional<int> codePage = m_settings.codePageToWrite;
    const std::optional<int> charset = m_settings.charsetToWrite;
    const auto name = codePage ? LanguageTables::codePageNameCodes(*codePage) : std::nullopt;
    if (!name || !charset) {
        m_report.showMessage(kLanguageFieldMissing);
        return WriteResult::Refused;
    }
    if (const WriteResult checked = provedLanguageUnchanged(); checked != WriteResult::Written)
        return checked;
    return writeUnlocked(
        {CommandBytes::codePageWrite(LanguageTables::codePageDigits(*codePage)),
         CommandBytes::codePageNameWrite(*name),
         CommandBytes::interCharsWrite(LanguageTables::interCharsDigits(*charset))});
}

QString PrinterCommands::greeting()
{
    return QStringLiteral("Welcome to ") + kMaker +
           QStringLiteral(" world.\r\n\r\nCommunication test finished.");
}

QString PrinterCommands::outOfStepMessage()
{
    return QStringLiteral("The printer gave an answer that belongs to another question: its "
                          "answers are out of step with the questions.\r\nThe values read since "
                          "it last answered in step are taken as unread.");
}

QString PrinterCommands::mayBeUnlocked()
{
    return QStringLiteral("the printer may be left unlocked: power it off and on");
}

QString PrinterCommands::powerCycleReminder()
{
    return QStringLiteral("After writed software switch, please re-power on printer!!");
}

#include "PrinterCommands.h"

#include "CommandBytes.h"
#include "CommandChannel.h"
#include "CommandReport.h"
#include "LanguageTables.h"
#include "NumberText.h"
#include "SwitchBits.h"

#include <array>
#include <cmath>
#include <optional>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
constexpr QLatin1String kMaker{"NORVANTA"};

const QString kLanguageFieldMissing =
    QStringLiteral("Please select a code page and an international character set before "
                   "writing.\r\nNothing was written to the printer.");

// An information query: its command family (GS g "4" n or GS I n) and number, the tag of its
// log line and the row of the model that takes the reply.
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

// The nearest integer, a tie going to the even neighbour (2.5 -> 2, 3.5 -> 4).
int roundHalfEven(double value)
{
    if (std::abs(value - std::trunc(value)) == 0.5)
        return int(2.0 * std::round(value / 2.0));
    return int(std::round(value));
}

// The switch byte a reply carries: a reply that begins with a number from 0 to 255. A reply
// that carries no number is not read as 0, so that a silent printer is not shown as one whose
// switches are all ON.
std::optional<int> switchValue(const QString &reply)
{
    const std::optional<double> number = NumberText::leadingNumber(reply);
    if (!number || *number < 0.0 || *number > 255.0)
        return std::nullopt;
    return roundHalfEven(*number);
}

} // namespace

PrinterCommands::PrinterCommands(CommandChannel &channel, SettingsModel &model,
                                 CommandReport &report)
    : m_channel(channel)
    , m_model(model)
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
    return delivered && locked ? WriteResult::Written : WriteResult::Failed;
}

bool PrinterCommands::getSwitch(SwitchByte sw)
{
    const QString reply = query(CommandBytes::switchQuery(sw));
    const std::optional<int> value = switchValue(reply);
    std::optional<quint8> &held = m_model.switchByte(sw);
    held.reset();
    if (value) {
        m_report.AppendLog(QLatin1String(kSwitchTags[static_cast<std::size_t>(sw)]) + reply +
                           kLineEnd);
        held = quint8(*value);
        m_model.switchToWrite(sw) = quint8(*value);
    }
    m_report.switchQueried(sw, value.has_value());
    return value.has_value();
}

bool PrinterCommands::getInfo(int row)
{
    const InfoQuery &info = kInfoQueries[std::size_t(row)];
    const QString reply = query(info.command(info.number));
    if (reply.isEmpty())
        return false;
    m_report.AppendLog(QLatin1String(info.tag) + reply + kLineEnd);
    m_model.info(info.group, info.row) = reply;
    m_report.infoFilled(info.group, info.row);
    return true;
}

bool PrinterCommands::getSW1()
{
    return getSwitch(SwitchByte::SW1);
}

bool PrinterCommands::getSW2()
{
    return getSwitch(SwitchByte::SW2);
}

bool PrinterCommands::getSW3()
{
    return getSwitch(SwitchByte::SW3);
}

bool PrinterCommands::getLanguageInfo1()
{
    return getInfo(0);
}

bool PrinterCommands::getLanguageInfo2()
{
    return getInfo(1);
}

bool PrinterCommands::getLanguageInfo3()
{
    return getInfo(2);
}

bool PrinterCommands::getLanguageInfo4()
{
    return getInfo(3);
}

bool PrinterCommands::getPrinterInfo1()
{
    return getInfo(kFirstPrinterInfoRow);
}

bool PrinterCommands::getPrinterInfo2()
{
    return getInfo(kFirstPrinterInfoRow + 1);
}

bool PrinterCommands::getPrinterInfo3()
{
    return getInfo(kFirstPrinterInfoRow + 2);
}

bool PrinterCommands::getPrinterInfo4()
{
    return getInfo(kFirstPrinterInfoRow + 3);
}

bool PrinterCommands::getMakerInfo()
{
    const QString reply = query(CommandBytes::printerId(CommandBytes::kMakerId));
    m_report.AppendLog(kMakerTag + reply + kLineEnd);
    m_model.makerName = reply;
    if (reply != kMaker)
        return false;
    m_report.showMessage(greeting());
    return true;
}

void PrinterCommands::startSelfTest()
{
    query(CommandBytes::selfTest());
}

WriteResult PrinterCommands::setSwitch(SwitchByte sw)
{
    if (!m_model.switchByte(sw))
        return WriteResult::NotRead;
    static constexpr std::array digits{&PrinterCommands::GetSW1Digits,
                                       &PrinterCommands::GetSW2Digits,
                                       &PrinterCommands::GetSW3Digits};
    return writeUnlocked(
        {CommandBytes::switchWrite(sw, (this->*digits[static_cast<std::size_t>(sw)])())});
}

WriteResult PrinterCommands::setSW1()
{
    return setSwitch(SwitchByte::SW1);
}

WriteResult PrinterCommands::setSW2()
{
    return setSwitch(SwitchByte::SW2);
}

WriteResult PrinterCommands::setSW3()
{
    return setSwitch(SwitchByte::SW3);
}

WriteResult PrinterCommands::setLanguage()
{
    // All three fields are taken before anything is sent, so that the printer never gets a
    // command with a missing value.
    const std::optional<int> codePage = m_model.codePageToWrite;
    const std::optional<int> charset = m_model.charsetToWrite;
    const auto name = codePage ? LanguageTables::codePageNameCodes(*codePage) : std::nullopt;
    if (!name || !charset) {
        m_report.showMessage(kLanguageFieldMissing);
        return WriteResult::Refused;
    }
    return writeUnlocked(
        {CommandBytes::codePageWrite(LanguageTables::codePageDigits(*codePage)),
         CommandBytes::codePageNameWrite(*name),
         CommandBytes::interCharsWrite(LanguageTables::interCharsDigits(*charset))});
}

std::array<quint8, 3> PrinterCommands::GetSW1Digits() const
{
    return SwitchBits::digitCodes(m_model.switchesToWrite[0]);
}

std::array<quint8, 3> PrinterCommands::GetSW2Digits() const
{
    return SwitchBits::digitCodes(m_model.switchesToWrite[1]);
}

std::array<quint8, 3> PrinterCommands::GetSW3Digits() const
{
    return SwitchBits::digitCodes(m_model.switchesToWrite[2]);
}

QString PrinterCommands::greeting()
{
    return QStringLiteral("Welcome to ") + kMaker +
           QStringLiteral(" world.\r\n\r\nCommunication test finished.");
}

QString PrinterCommands::powerCycleReminder()
{
    return QStringLiteral("After writed software switch, please re-power on printer!!");
}

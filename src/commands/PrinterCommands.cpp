#include "PrinterCommands.h"

#include "CommandBytes.h"
#include "CommandChannel.h"
#include "LanguageTables.h"
#include "NumberText.h"
#include "PrinterView.h"

#include <array>
#include <cmath>
#include <optional>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
constexpr QLatin1String kMaker{"NORVANTA"};

const QString kLanguageFieldMissing =
    QStringLiteral("Please select a code page and an international character set before "
                   "writing.\r\nNothing was written to the printer.");

// Where an information reply is shown.
enum class InfoTarget { Language, Printer };

// An information query: its command family (GS g "4" n or GS I n) and number, the tag of its
// log line and the label that shows the reply.
struct InfoQuery
{
    QByteArray (*command)(quint8);
    quint8 number;
    const char *tag;
    InfoTarget target;
    int label;
};

// Rows 0 to 3 are getLanguageInfo1 to 4, rows 4 to 7 getPrinterInfo1 to 4.
using namespace CommandBytes;
constexpr std::array<InfoQuery, 8> kInfoQueries{{
    {&settingQuery, kCodePageNameSetting, "getLanguageInfo1-->", InfoTarget::Language, 0},
    {&printerId, kFontTypeId, "getLanguageInfo2-->", InfoTarget::Language, 1},
    {&settingQuery, kCodePageSetting, "getLanguageInfo3-->", InfoTarget::Language, 2},
    {&settingQuery, kInterCharsSetting, "getLanguageInfo4-->", InfoTarget::Language, 3},
    {&printerId, kModelId, "getPrinterInfo1-->", InfoTarget::Printer, 0},
    {&printerId, kFirmwareId, "getPrinterInfo2-->", InfoTarget::Printer, 1},
    {&settingQuery, kHoursPoweredSetting, "getPrinterInfo3-->", InfoTarget::Printer, 2},
    {&settingQuery, kCutCountSetting, "getPrinterInfo4-->", InfoTarget::Printer, 3},
}};
constexpr int kFirstPrinterInfoRow = 4;

constexpr QLatin1String kMakerTag{"getMakerInfo-->"};

// How the window shows a switch byte and gives its digits back, and the tag of its log line.
struct SwitchAccess
{
    void (PrinterView::*show)(int);
    std::array<quint8, 3> (PrinterView::*digits)() const;
    const char *tag;
};

constexpr std::array<SwitchAccess, 3> kSwitchAccess{{
    {&PrinterView::ShowSW1Value, &PrinterView::GetSW1Digits, "getSW1-->"},
    {&PrinterView::ShowSW2Value, &PrinterView::GetSW2Digits, "getSW2-->"},
    {&PrinterView::ShowSW3Value, &PrinterView::GetSW3Digits, "getSW3-->"},
}};

const SwitchAccess &accessOf(SwitchByte sw)
{
    return kSwitchAccess[static_cast<std::size_t>(sw)];
}

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

PrinterCommands::PrinterCommands(CommandChannel &channel, PrinterView &view)
    : m_channel(channel)
    , m_view(view)
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
    const SwitchAccess &access = accessOf(sw);
    const QString reply = query(CommandBytes::switchQuery(sw));
    const std::optional<int> value = switchValue(reply);
    m_switchRead[static_cast<std::size_t>(sw)] = value.has_value();
    if (value) {
        m_view.AppendLog(QLatin1String(access.tag) + reply + kLineEnd);
        (m_view.*access.show)(*value);
    }
    // A byte just read counts as unchanged, whatever was changed on its page before.
    m_view.setDataChanged(false);
    return value.has_value();
}

bool PrinterCommands::getInfo(int row)
{
    const InfoQuery &info = kInfoQueries[std::size_t(row)];
    const QString reply = query(info.command(info.number));
    if (reply.isEmpty())
        return false;
    m_view.AppendLog(QLatin1String(info.tag) + reply + kLineEnd);
    if (info.target == InfoTarget::Language)
        m_view.setLanguageInfo(info.label, reply);
    else
        m_view.setPrinterInfo(info.label, reply);
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
    m_view.AppendLog(kMakerTag + reply + kLineEnd);
    m_makerName = reply;
    if (m_makerName != kMaker)
        return false;
    m_view.showMessage(greeting());
    return true;
}

void PrinterCommands::startSelfTest()
{
    query(CommandBytes::selfTest());
}

WriteResult PrinterCommands::setSwitch(SwitchByte sw)
{
    if (!isSwitchRead(sw))
        return WriteResult::NotRead;
    return writeUnlocked({CommandBytes::switchWrite(sw, (m_view.*accessOf(sw).digits)())});
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
    const auto codePage = LanguageTables::codePageDigits(m_view.codePageText());
    const auto name = LanguageTables::codePageNameCodes(m_view.codePageNameText());
    const auto interChars = LanguageTables::interCharsDigits(m_view.interCharsText());
    if (!codePage || !name || !interChars) {
        m_view.showMessage(kLanguageFieldMissing);
        return WriteResult::Refused;
    }
    return writeUnlocked({CommandBytes::codePageWrite(*codePage),
                          CommandBytes::codePageNameWrite(*name),
                          CommandBytes::interCharsWrite(*interChars)});
}

QString PrinterCommands::MakerName() const
{
    return m_makerName;
}

bool PrinterCommands::isSwitchRead(SwitchByte sw) const
{
    return m_switchRead[static_cast<std::size_t>(sw)];
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

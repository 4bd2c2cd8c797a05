#include "Workflows.h"

#include "CommandSet.h"
#include "LinkControl.h"
#include "PrinterCommands.h"
#include "PrinterModels.h"
#include "PrinterSurvey.h"
#include "Prompter.h"
#include "SettingsModel.h"
#include "SwitchMeanings.h"
#include "WorkflowView.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString nothingChanged()
{
    return QStringLiteral("There is no data changed...");
}

QString switchReadFailed()
{
    return QStringLiteral("Read software switch error!!") + kCrLf +
           PrinterSurvey::checkPortSetting();
}

QString switchesNotRead()
{
    return QStringLiteral("The switch settings of this page could not be read from the printer.") +
           kCrLf + QStringLiteral("Nothing was written to the printer.");
}

QString writeFailed()
{
    return QStringLiteral("The settings could not be written to the printer.") + kCrLf +
           QStringLiteral("Please check the printer and its cable, then write again.");
}

QString settingChanged()
{
    return QStringLiteral("The printer's setting, read again before writing, is not what this "
                          "page was read with.") +
           kCrLf +
           QStringLiteral("Nothing was written to the printer. Please read the settings "
                          "again.");
}

QString writeUnknown()
{
    return QStringLiteral("The link to the printer ended during the write: whether the printer "
                          "holds the new settings is unknown.") +
           kCrLf + QStringLiteral("The printer may be left unlocked: power it off and on.");
}

QString ignoreChanges(const QString &settings)
{
    return QStringLiteral("Are you sure to ignore <") + settings + QStringLiteral("> settings?");
}

QString changeConfirmTitle()
{
    return QStringLiteral("Switch Change confirm");
}

// The caption of the switch page that shows `sw`: "Software_switch 2".
QString switchPageCaption(SwitchByte sw)
{
    return QStringLiteral("Software_switch %1").arg(switchNumber(sw));
}

constexpr int kSwitchPage1 = 1;
constexpr int kSwitchPage2 = 2;
constexpr int kLanguagePage = 3;
constexpr int kLogPage = 4;

bool isSwitchPage(int tab)
{
    return tab == kSwitchPage1 || tab == kSwitchPage2;
}

} // namespace

Workflows::Workflows(WorkflowView &view, LinkControl &link, CommandSet &commands,
                     Prompter &prompter, const SettingsModel &settings)
    : m_view(view)
    , m_link(link)
    , m_commands(commands)
    , m_prompter(prompter)
    , m_settings(settings)
{}

void Workflows::communicationTest()
{
    m_view.setButtonEnabled(WindowButton::Communicate, false);
    if (!m_link.OpenPort(true)) {
        m_prompter.inform(PrinterSurvey::message(TestStop::PortOpen), appTitle());
        m_view.setButtonEnabled(WindowButton::Communicate, true);
        return;
    }
    if (identifyPrinter()) {
        readModelSwitches();
        // The values read are the printer's own only when its answers are still in step.
        if (const TestStop stop = PrinterSurvey(m_commands, m_settings).proveValues();
            stop != TestStop::None)
            m_prompter.inform(PrinterSurvey::message(stop), appTitle());
        unlockWindow();
    }
    m_view.setButtonEnabled(WindowButton::Communicate, true);
}

bool Workflows::identifyPrinter()
{
    const TestStop stop = PrinterSurvey(m_commands, m_settings).identifyPrinter();
    return shownLanguage(stop);
}

bool Workflows::readLanguage()
{
    return shownLanguage(PrinterSurvey(m_commands, m_settings).readLanguage());
}

bool Workflows::shownLanguage(TestStop stop)
{
    if (stop == TestStop::MakerInfo)
        m_view.setButtonEnabled(WindowButton::Communicate, true);
    if (stop != TestStop::None) {
        m_prompter.inform(PrinterSurvey::message(stop), appTitle());
        return false;
    }
    // The code page first: choosing it resets the character set, which is then selected.
    m_view.ShowCodePage();
    m_view.ShowInterChars();
    return true;
}

void Workflows::readModelSwitches()
{
    PrinterSurvey(m_commands, m_settings).readModelSwitches();
}

void Workflows::unlockWindow()
{
    m_view.setTabsVisible(true);
    m_view.setLanguageFrameVisible(true);
    m_view.disablePortChoice();
    m_view.setButtonEnabled(WindowButton::SelfTest, true);

    // The switch pages are named after the bytes they show; another model keeps the captions.
    for (const int page : {kSwitchPage1, kSwitchPage2}) {
        if (const auto sw = PrinterModels::switchOfPage(m_settings.modelName(), page))
            m_view.setTabCaption(page, switchPageCaption(*sw));
    }

    // The open port and its settings stay as they are for the rest of the run.
    if (m_view.isSerialFrameVisible())
        m_view.disableControlsWithPrefix(QStringLiteral("com_"));
    if (m_view.isTcpFrameVisible())
        m_view.disableControlsWithPrefix(QStringLiteral("tcp"));
}

void Workflows::readSettings()
{
    m_view.setButtonEnabled(WindowButton::Read, false);
    ReadTab(m_view.currentTab());
    m_view.setButtonEnabled(WindowButton::Read, true);
    m_view.setDataChanged(false);
}

void Workflows::ReadTab(int tab)
{
    if (tab == kLanguagePage) {
        readLanguage();
        return;
    }
    // A read that fails leaves the page showing what it showed before, which is not what the
    // printer holds: the user is told.
    if (const auto sw = PrinterModels::switchOfPage(m_settings.modelName(), tab);
        sw && !m_commands.getSwitch(*sw))
        m_prompter.inform(switchReadFailed(), appTitle());
}

void Workflows::writeSettings()
{
    if (!m_view.dataChanged()) {
        m_prompter.inform(nothingChanged(), appTitle());
        return;
    }
    m_view.setButtonEnabled(WindowButton::Write, false);
    if (WriteTab(m_view.currentTab()))
        m_view.setButtonEnabled(WindowButton::Write, true);
}

bool Workflows::WriteTab(int tab)
{
    m_view.setDataChanged(false);
    WriteResult result = WriteResult::Written;
    if (isSwitchPage(tab)) {
        if (const auto sw = PrinterModels::switchOfPage(m_settings.modelName(), tab))
            result = m_commands.setSwitch(*sw);
    } else if (tab == kLanguagePage) {
        result = m_commands.setLanguage();
    } else {
        return true;
    }
    if (result != WriteResult::Written) {
        // The printer does not hold the choice on screen: it is still unwritten, and the link
        // stays as it is, so that the user can write again.
        // A refused write has told the user already.
        if (result == WriteResult::Failed)
            m_prompter.inform(writeFailed(), appTitle());
        else if (result == WriteResult::NotRead)
            m_prompter.inform(switchesNotRead(), appTitle());
        else if (result == WriteResult::OutOfStep)
            m_prompter.inform(PrinterCommands::outOfStepMessage() + kCrLf +
                                  QStringLiteral("Nothing was written to the printer."),
                              appTitle());
        else if (result == WriteResult::Changed)
            m_prompter.inform(settingChanged(), appTitle());
        else if (result == WriteResult::Unknown)
            m_prompter.inform(writeUnknown(), appTitle());
        m_view.setDataChanged(true);
        return true;
    }
    m_prompter.inform(PrinterCommands::powerCycleReminder(), appTitle());
    if (writeCutsLink(tab)) {
        m_view.exitProgram();
        return false;
    }
    return true;
}

bool Workflows::writeCutsLink(int tab) const
{
    // A new network setting takes effect after the power cycle, so the connection is gone.
    if (m_link.portKind() == PortKind::Tcp)
        return true;
    // SW1, page 1 of a ZEPHYR-550, holds the serial baud rate: a new rate cuts the link.
    if (m_link.portKind() != PortKind::Serial ||
        PrinterModels::switchOfPage(m_settings.modelName(), tab) != SwitchByte::SW1)
        return false;
    const int newRate = SwitchMeanings::sw1BaudRate(m_settings.switchToWrite(SwitchByte::SW1));
    return newRate != int(m_link.serialSettings().baudRate);
}

void Workflows::tabChanged(int previousTab)
{
    showTabView(m_view.currentTab());

    const bool leftSettingsPage = previousTab >= kSwitchPage1 && previousTab <= kLanguagePage;
    if (!leftSettingsPage || !m_view.dataChanged() || bRevertingTab)
        return;

    const QString settings = previousTab == kLanguagePage
                                 ? QStringLiteral("Additional Switch")
                                 : QStringLiteral("SW") + m_view.tabCaption(previousTab).right(1);
    if (m_prompter.ask(ignoreChanges(settings), changeConfirmTitle())) {
        ReadTab(previousTab);
        m_view.setDataChanged(false);
    } else {
        bRevertingTab = true;
        m_view.setCurrentTab(previousTab);
        bRevertingTab = false;
    }
}

void Workflows::showTabView(int tab)
{
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3})
        m_view.setSwitchFrameVisible(sw, false);

    m_view.setLanguageFrameVisible(tab == 0 || tab == kLanguagePage);

    // The switch pages show the bytes the user chose, so the SW2 shown decides about SW1.
    const QString model = m_settings.modelName();
    if (const auto sw = PrinterModels::switchOfPage(model, tab);
        sw && PrinterModels::isInUse(model, *sw, m_settings.switchToWrite(SwitchByte::SW2)))
        m_view.setSwitchFrameVisible(*sw, true);

    const bool settingsPage = tab >= kSwitchPage1 && tab <= kLanguagePage;
    m_view.setButtonEnabled(WindowButton::Communicate, tab == 0);
    m_view.setButtonEnabled(WindowButton::SelfTest, tab >= 0 && tab < kLogPage);
    m_view.setButtonEnabled(WindowButton::Read, settingsPage);
    m_view.setButtonEnabled(WindowButton::Write, settingsPage);
}

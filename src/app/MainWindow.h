#pragma once

#include "LinkReporter.h"
#include "LinkView.h"
#include "PrinterLink.h"
#include "PrinterView.h"
#include "SwitchTypes.h"
#include "WorkflowView.h"

#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class MainWindow;
}

class DesktopShell;
class EventPump;
class HelpViewer;
class LanguagePanel;
class LogHistory;
class PrinterCommands;
class Prompter;
class QLabel;
class ReadableColours;
class SwitchPanel;
class Workflows;

// The program's one window. Its controls hold the printer's settings as they are shown; the
// window owns the printer link and the command set and shows what they report.
class MainWindow : public QWidget,
                   public LinkView,
                   public LinkReporter,
                   public PrinterView,
                   public WorkflowView
{
    Q_OBJECT

public:
    MainWindow(Prompter &prompter, DesktopShell &shell, EventPump &pump,
               PrinterLink::Devices devices, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The printer link, for the window's tests.
    PrinterLink &link();
    // The log history as it was appended, CR LF included.
    const QString &logText() const;

    // LinkView
    SerialSettings serialSettings() const override;
    QString tcpAddress() const override;
    QString tcpPort() const override;
    void showLinkStatus(const LinkStatusStyle &style) override;

    // LinkReporter
    void report(const LinkProblem &problem) override;

    // PrinterView
    void ShowSW1Value(int value) override;
    void ShowSW2Value(int value) override;
    void ShowSW3Value(int value) override;
    std::array<quint8, 3> GetSW1Digits() const override;
    std::array<quint8, 3> GetSW2Digits() const override;
    std::array<quint8, 3> GetSW3Digits() const override;
    void setPrinterInfo(int index, const QString &text) override;
    void setLanguageInfo(int index, const QString &text) override;
    QString codePageText() const override;
    QString codePageNameText() const override;
    QString interCharsText() const override;
    void setDataChanged(bool changed) override;
    void AppendLog(const QString &text) override;
    void showMessage(const QString &text) override;

    // WorkflowView
    QString modelName() const override; // the caption of lblKV_INFO(0)
    void setButtonEnabled(WindowButton button, bool enabled) override;
    int currentTab() const override;
    void setCurrentTab(int tab) override;
    QString tabCaption(int tab) const override;
    void setTabCaption(int tab, const QString &caption) override;
    void setTabsVisible(bool visible) override;
    void setLanguageFrameVisible(bool visible) override;
    void setSwitchFrameVisible(SwitchByte sw, bool visible) override;
    bool isSwitchOn(SwitchByte sw, int index) const override;
    QString switchMeaningText(SwitchByte sw, int labelIndex) const override;
    void disablePortChoice() override;
    bool isSerialFrameVisible() const override;
    bool isTcpFrameVisible() const override;
    void disableControlsWithPrefix(const QString &prefix) override;
    void ShowCodePage() override;
    void ShowInterChars() override;
    bool dataChanged() const override;
    void exitProgram() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void connectControls();

    // Start, end and help.
    void Form_Load();
    void Form_Unload();
    void cmdEXIT_Click();
    void cmdHELP_Click();
    // The help file in the window's own viewer, for a desktop that cannot show it.
    void showHelpViewer(const QString &path);
    // The port choice and the TCP status.
    void Combo1_Click();
    void cmdSTATUS_Click();
    // What each entry of the port list stands for, in its tooltip and accessible description,
    // and the device of the chosen entry beside the list; looked up afresh.
    void refreshPortDescriptions();
    // The user's workflows.
    void cmdCommunicate_Click();
    void cmd0_Click();
    void cmd1_Click();
    void cmd2_Click();
    void SSTab1_Click(int previousTab);
    // The language lists and the log history.
    void comboCodePage_Click();
    void comboInterChars_Click();
    void cmdCLEARlst_Click();

    SwitchPanel &switchPanel(SwitchByte sw) const;
    // Runs a workflow; a close requested meanwhile is carried out once it has ended.
    template<typename Work> void runWorkflow(Work work);

    std::unique_ptr<Ui::MainWindow> m_ui;
    Prompter &m_prompter;
    DesktopShell &m_shell;
    std::array<QLabel *, 4> m_lblKV_INFO{};
    std::array<QLabel *, 4> m_lblLANG_INFO{};
    std::array<std::unique_ptr<SwitchPanel>, 3> m_switchPanels;
    std::unique_ptr<LanguagePanel> m_languagePanel;
    std::unique_ptr<LogHistory> m_log;
    std::unique_ptr<PrinterLink> m_link;
    std::unique_ptr<PrinterCommands> m_commands;
    std::unique_ptr<Workflows> m_workflow;
    std::unique_ptr<ReadableColours> m_colours;
    HelpViewer *m_helpViewer = nullptr;
    // Unwritten changes on the switch and language pages: set by the switch option buttons,
    // assigned by the language lists, cleared by reads and writes.
    bool bDataChanged = false;
    // The tab shown last, which a change of tabs leaves.
    int m_shownTab = 0;
    // Workflows under way (a change of tabs may run inside another), and a close that waits for
    // them to end.
    int m_workflows = 0;
    bool m_closeRequested = false;
};

#pragma once

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
class LanguagePanel;
class LogHistory;
class PrinterCommands;
class Prompter;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class SwitchPanel;
class Workflows;

// The program's one window. Its controls hold the printer's settings as they are shown; the
// window owns the printer link and the command set and shows what they report.
class MainWindow : public QWidget, public LinkView, public PrinterView, public WorkflowView
{
    Q_OBJECT

public:
    MainWindow(Prompter &prompter, DesktopShell &shell, EventPump &pump,
               PrinterLink::Devices devices, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Unwritten changes on the switch and language pages: set by the switch option buttons,
    // assigned by the language lists, cleared by reads and writes.
    bool bDataChanged = false;

    // Start, end and help.
    void Form_Load();
    void Form_Unload();
    void cmdEXIT_Click();
    void cmdHELP_Click();

    // The port choice and the TCP status, handled by the link.
    void Combo1_Click();
    void cmdSTATUS_Click();

    // The switch bytes, one panel each.
    void ShowSW1Value(int value) { ShowSwitchValue(SwitchByte::SW1, value); }
    void ShowSW2Value(int value) { ShowSwitchValue(SwitchByte::SW2, value); }
    void ShowSW3Value(int value) { ShowSwitchValue(SwitchByte::SW3, value); }
    std::array<quint8, 3> GetSW1Digits() const { return GetSwitchDigits(SwitchByte::SW1); }
    std::array<quint8, 3> GetSW2Digits() const { return GetSwitchDigits(SwitchByte::SW2); }
    std::array<quint8, 3> GetSW3Digits() const { return GetSwitchDigits(SwitchByte::SW3); }

    // The user's workflows.
    void cmdCommunicate_Click();
    void cmd1_Click();
    void cmd2_Click();
    void SSTab1_Click(int previousTab);

    // The log history.
    void cmdCLEARlst_Click();
    const QString &logText() const;

    // The window's parts, for its tests.
    QTabWidget *SSTab1() const;
    QWidget *switchFrame(SwitchByte sw) const; // frameSW1m, frameSW2m, frameSW3m
    QWidget *frameLanguageInfo() const;
    QWidget *frameCOMm() const;
    QWidget *frameTCPIP() const;
    QLabel *lblPORT() const;
    QComboBox *Combo1() const;
    QPushButton *cmdCommunicate() const;
    QPushButton *cmd0() const;
    QPushButton *cmd1() const;
    QPushButton *cmd2() const;
    SwitchPanel &switchPanel(SwitchByte sw) const;
    LanguagePanel &languagePanel() const;
    PrinterLink &link() const;
    PrinterCommands &commands() const;
    Prompter &prompter() const;
    DesktopShell &shell() const;

    // LinkView
    SerialOptions serialOptions() const override;
    QString tcpAddress() const override;
    QString tcpPort() const override;
    void showPortFrames(bool serialVisible, bool tcpVisible) override;
    void showLinkStatus(const QString &text, int red, int green, int blue) override;

    // PrinterView
    void ShowSwitchValue(SwitchByte sw, int value) override;
    std::array<quint8, 3> GetSwitchDigits(SwitchByte sw) const override;
    void setPrinterInfo(int index, const QString &text) override;
    void setLanguageInfo(int index, const QString &text) override;
    QString codePageText() const override;
    QString codePageNameText() const override;
    QString interCharsText() const override;
    void setDataChanged(bool changed) override;
    void setSelfTestEnabled(bool enabled) override;
    void AppendLog(const QString &text) override;

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

private:
    void connectControls();

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
    std::unique_ptr<Workflows> m_workflows;
    // The tab shown last, which a change of tabs leaves.
    int m_shownTab = 0;
};

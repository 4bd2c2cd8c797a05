#pragma once

#include "PrinterLink.h"
#include "SettingsModel.h"

#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}

class DesktopShell;
class EventPump;
class HelpViewer;
class LinkPanel;
class PrinterCommands;
class PrinterDisplay;
class Prompter;
class ReadableColours;
class WindowPages;
class Workflows;

// The program's one window: its layout, and the wiring of its controls to the printer link, the
// command set and the workflows. The settings model holds the printer's values; the display
// shows them, the link panel holds the port settings, and the pages are what the workflows drive.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow(Prompter &prompter, DesktopShell &shell, EventPump &pump,
               PrinterLink::Devices devices, QWidget *parent = nullptr);
    ~MainWindow() override;

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

    // Runs a workflow; a close requested meanwhile is carried out once it has ended.
    template<typename Work> void runWorkflow(Work work);

    std::unique_ptr<Ui::MainWindow> m_ui;
    Prompter &m_prompter;
    DesktopShell &m_shell;
    SettingsModel m_settings;
    std::unique_ptr<ReadableColours> m_colours;
    // Children of the window, which tests find by their object names.
    PrinterDisplay *m_display = nullptr;
    LinkPanel *m_linkPanel = nullptr;
    std::unique_ptr<WindowPages> m_pages;
    std::unique_ptr<PrinterLink> m_link;
    std::unique_ptr<PrinterCommands> m_commands;
    std::unique_ptr<Workflows> m_workflow;
    HelpViewer *m_helpViewer = nullptr;
    // The tab shown last, which a change of tabs leaves.
    int m_shownTab = 0;
    // Workflows under way (a change of tabs may run inside another), and a close that waits for
    // them to end.
    int m_workflows = 0;
    bool m_closeRequested = false;
};

#pragma once

class PrinterCommands;
class PrinterLink;
class Prompter;
class WorkflowView;

// The user's workflows on the main window: the communication test, reading and writing the
// settings of a page, and the change of tabs with its question about unwritten changes.
class Workflows
{
public:
    Workflows(WorkflowView &view, PrinterLink &link, PrinterCommands &commands, Prompter &prompter);

    void cmdCommunicate_Click();
    void cmd1_Click();
    void cmd2_Click();
    // The current tab has changed; `previousTab` is the one the user left.
    void SSTab1_Click(int previousTab);

    void ReadTab(int tab);
    // Returns false when the program has ended inside the write. A write that did not reach
    // the printer leaves the page marked changed.
    bool WriteTab(int tab);

private:
    // The communication test's steps after the port is open; false when one failed (the user
    // has been told).
    bool identifyPrinter();
    void readModelSwitches();
    void unlockWindow();
    bool readLanguage();
    // Whether the new settings cut the link, so that the program must end after a write.
    bool writeCutsLink(int tab) const;
    void showTabView(int tab);

    WorkflowView &m_view;
    PrinterLink &m_link;
    PrinterCommands &m_commands;
    Prompter &m_prompter;
    // True only while the tab control is being moved back to the page that was left.
    bool bRevertingTab = false;
};

#pragma once

#include "PrinterSurvey.h"

class CommandSet;
class LinkControl;
class Prompter;
class WorkflowView;
struct SettingsModel;

// The user's workflows on the main window: the communication test, reading and writing the
// settings of a page, and the change of tabs with its question about unwritten changes.
class Workflows
{
public:
    Workflows(WorkflowView &view, LinkControl &link, CommandSet &commands, Prompter &prompter,
              const SettingsModel &settings);

    // Opens the port, identifies the printer, reads everything its model has and opens up the
    // window.
    void communicationTest();
    // Reads the settings of the page shown.
    void readSettings();
    // Writes the settings of the page shown, when the user changed them.
    void writeSettings();
    // The current tab has changed; `previousTab` is the one the user left.
    void tabChanged(int previousTab);

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
    // Tells the user where the communication test stopped, or shows the language read; true
    // when it did not stop.
    bool shownLanguage(TestStop stop);
    // Reads the language information; the window then shows the code page and character set.
    bool readLanguage();
    // Whether the new settings cut the link, so that the program must end after a write.
    bool writeCutsLink(int tab) const;
    void showTabView(int tab);

    WorkflowView &m_view;
    LinkControl &m_link;
    CommandSet &m_commands;
    Prompter &m_prompter;
    const SettingsModel &m_settings;
    // True only while the tab control is being moved back to the page that was left.
    bool bRevertingTab = false;
};

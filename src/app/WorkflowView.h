#pragma once

#include "SwitchTypes.h"

#include <QString>

// The buttons of the bottom row that the workflows switch on and off.
enum class WindowButton { Communicate, SelfTest, Read, Write };

// What the user workflows read and change on the window: the tab control, the laid-over frames,
// the buttons and the port choice. The window's pages implement it.
class WorkflowView
{
public:
    virtual ~WorkflowView() = default;

    virtual void setButtonEnabled(WindowButton button, bool enabled) = 0;

    virtual int currentTab() const = 0;
    virtual void setCurrentTab(int tab) = 0;
    virtual QString tabCaption(int tab) const = 0;
    virtual void setTabCaption(int tab, const QString &caption) = 0;
    virtual void setTabsVisible(bool visible) = 0;

    virtual void setLanguageFrameVisible(bool visible) = 0;
    virtual void setSwitchFrameVisible(SwitchByte sw, bool visible) = 0;

    // Freezes the port choice: the port label and the port list are disabled.
    virtual void disablePortChoice() = 0;
    virtual bool isSerialFrameVisible() const = 0;
    virtual bool isTcpFrameVisible() const = 0;
    // Disables every control of the window whose object name begins with `prefix`.
    virtual void disableControlsWithPrefix(const QString &prefix) = 0;

    // Selects the list entries that match the code page and character set shown.
    virtual void ShowCodePage() = 0;
    virtual void ShowInterChars() = 0;

    virtual bool dataChanged() const = 0;
    virtual void setDataChanged(bool changed) = 0;

    // The "EXIT" action: closes the port, closes the window and ends the program.
    virtual void exitProgram() = 0;
};

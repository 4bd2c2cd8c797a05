#pragma once

#include "WorkflowView.h"

#include <functional>

namespace Ui {
class MainWindow;
}

class PrinterDisplay;
class QWidget;

// The window as the workflows drive it: its tab control, frames, buttons and port choice.
class WindowPages : public WorkflowView
{
public:
    // `exitProgram` is the window's "EXIT".
    WindowPages(QWidget &window, Ui::MainWindow &ui, PrinterDisplay &display,
                std::function<void()> exitProgram);

    void setButtonEnabled(WindowButton button, bool enabled) override;
    int currentTab() const override;
    void setCurrentTab(int tab) override;
    QString tabCaption(int tab) const override;
    void setTabCaption(int tab, const QString &caption) override;
    void setTabsVisible(bool visible) override;
    void setLanguageFrameVisible(bool visible) override;
    void setSwitchFrameVisible(SwitchByte sw, bool visible) override;
    void disablePortChoice() override;
    bool isSerialFrameVisible() const override;
    bool isTcpFrameVisible() const override;
    void disableControlsWithPrefix(const QString &prefix) override;
    void ShowCodePage() override;
    void ShowInterChars() override;
    bool dataChanged() const override;
    void setDataChanged(bool changed) override;
    void exitProgram() override;

private:
    QWidget &m_window;
    Ui::MainWindow &m_ui;
    PrinterDisplay &m_display;
    std::function<void()> m_exitProgram;
};

#include "WindowPages.h"

#include "PrinterDisplay.h"
#include "ui_MainWindow.h"

WindowPages::WindowPages(QWidget &window, Ui::MainWindow &ui, PrinterDisplay &display,
                         std::function<void()> exitProgram)
    : m_window(window)
    , m_ui(ui)
    , m_display(display)
    , m_exitProgram(std::move(exitProgram))
{}

void WindowPages::setButtonEnabled(WindowButton button, bool enabled)
{
    QPushButton *const buttons[] = {m_ui.cmdCommunicate, m_ui.cmd0, m_ui.cmd1, m_ui.cmd2};
    buttons[static_cast<int>(button)]->setEnabled(enabled);
}

int WindowPages::currentTab() const
{
    return m_ui.SSTab1->currentIndex();
}

void WindowPages::setCurrentTab(int tab)
{
    m_ui.SSTab1->setCurrentIndex(tab);
}

QString WindowPages::tabCaption(int tab) const
{
    return m_ui.SSTab1->tabText(tab);
}

void WindowPages::setTabCaption(int tab, const QString &caption)
{
    m_ui.SSTab1->setTabText(tab, caption);
}

void WindowPages::setTabsVisible(bool visible)
{
    m_ui.SSTab1->setVisible(visible);
}

void WindowPages::setLanguageFrameVisible(bool visible)
{
    m_ui.frameLanguageInfo->setVisible(visible);
}

void WindowPages::setSwitchFrameVisible(SwitchByte sw, bool visible)
{
    QWidget *const frames[] = {m_ui.frameSW1m, m_ui.frameSW2m, m_ui.frameSW3m};
    frames[static_cast<int>(sw)]->setVisible(visible);
}

void WindowPages::disablePortChoice()
{
    m_ui.lblPORT->setEnabled(false);
    m_ui.Combo1->setEnabled(false);
}

bool WindowPages::isSerialFrameVisible() const
{
    return m_ui.frameCOMm->isVisibleTo(&m_window);
}

bool WindowPages::isTcpFrameVisible() const
{
    return m_ui.frameTCPIP->isVisibleTo(&m_window);
}

void WindowPages::disableControlsWithPrefix(const QString &prefix)
{
    const QList<QWidget *> controls = m_window.findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->objectName().startsWith(prefix, Qt::CaseSensitive))
            control->setEnabled(false);
    }
}

void WindowPages::ShowCodePage()
{
    m_display.ShowCodePage();
}

void WindowPages::ShowInterChars()
{
    m_display.ShowInterChars();
}

bool WindowPages::dataChanged() const
{
    return m_display.dataChanged();
}

void WindowPages::setDataChanged(bool changed)
{
    m_display.setDataChanged(changed);
}

void WindowPages::exitProgram()
{
    m_exitProgram();
}

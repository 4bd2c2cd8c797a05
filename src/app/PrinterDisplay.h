#pragma once

#include "CommandReport.h"
#include "SwitchTypes.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>

namespace Ui {
class MainWindow;
}

class LanguagePanel;
class LogHistory;
class Prompter;
class QLabel;
class SwitchPanel;
struct SettingsModel;

// The window's view of the settings model: the information labels, the switch pages, the
// language lists and the log history show what the queries put into the model, and the user's
// choices on the switch and language pages go back into it. It also keeps `bDataChanged`.
class PrinterDisplay : public QObject, public CommandReport
{
    Q_OBJECT

public:
    // A child of `window`, found by its object name "printerDisplay".
    PrinterDisplay(QWidget &window, Ui::MainWindow &ui, SettingsModel &settings,
                   Prompter &prompter);
    ~PrinterDisplay() override;

    // CommandReport
    void AppendLog(const QString &text) override;
    void showMessage(const QString &text) override;
    void switchQueried(SwitchByte sw, bool read) override;
    void infoFilled(InfoGroup group, int index) override;

    // Sets the eight option pairs of a switch byte and refreshes their meanings.
    void ShowSwitchValue(SwitchByte sw, int value);
    void ShowSW1Value(int value);
    void ShowSW2Value(int value);
    void ShowSW3Value(int value);
    // Selects the list entries of the code page and character set the printer reported.
    void ShowCodePage();
    void ShowInterChars();

    SwitchPanel &switchPanel(SwitchByte sw) const;
    LanguagePanel &languagePanel() const;
    LogHistory &log() const;
    SettingsModel &settings() const;

    bool dataChanged() const;
    void setDataChanged(bool changed);

private:
    SettingsModel &m_settings;
    Prompter &m_prompter;
    std::array<QLabel *, 4> m_lblKV_INFO{};
    std::array<QLabel *, 4> m_lblLANG_INFO{};
    std::array<std::unique_ptr<SwitchPanel>, 3> m_switchPanels;
    std::unique_ptr<LanguagePanel> m_languagePanel;
    std::unique_ptr<LogHistory> m_log;
    // Unwritten changes on the switch and language pages: set by the switch option buttons,
    // assigned by the language lists, cleared by reads and writes.
    bool bDataChanged = false;
};

#pragma once

#include <QObject>

class QComboBox;
struct SettingsModel;

// The default-language page: the code-page list with its name list that follows it, and the
// international character set list, tied to the code page and character set the printer
// reported. Each entry carries its number; the numbers chosen go into the settings model.
class LanguagePanel : public QObject
{
    Q_OBJECT

public:
    // Fills the three lists.
    LanguagePanel(QComboBox &comboCodePage, QComboBox &comboCodePageName,
                  QComboBox &comboInterChars, SettingsModel &settings, QObject *parent = nullptr);

    // Selects the entry of the reported code page (character set) and handles it as a choice;
    // a number without an entry changes nothing.
    void ShowCodePage();
    void ShowInterChars();

    // A code page was chosen: the name list follows and the character set is reset to Japan for
    // code page 1 and to U.S.A. otherwise.
    void codePageChosen();
    void interCharsChosen();

Q_SIGNALS:
    // After every choice: whether the choice differs from what the printer reported.
    void changeAssessed(bool changed);

private:
    QComboBox &m_comboCodePage;
    QComboBox &m_comboCodePageName;
    QComboBox &m_comboInterChars;
    SettingsModel &m_settings;
};

#pragma once

class QComboBox;
class QLabel;

// The default-language page: the code-page list with its name list that follows it, and the
// international character set list, tied to the code page and character set the printer
// reported.
class LanguagePanel
{
public:
    // Fills the three lists. `reportedCodePage` and `reportedInterChars` are the labels the
    // language queries fill (lblLANG_INFO(2) and (3)); `dataChanged` is the window's flag of
    // unwritten changes, which every choice assigns.
    LanguagePanel(QComboBox &comboCodePage, QComboBox &comboCodePageName,
                  QComboBox &comboInterChars, const QLabel &reportedCodePage,
                  const QLabel &reportedInterChars, bool &dataChanged);

    // Selects the entry of the reported code page (character set) and runs its click handling;
    // a number without an entry changes nothing.
    void ShowCodePage();
    void ShowInterChars();

    // A code page was chosen: the name list follows, the character set is reset to Japan for
    // code page 1 and to U.S.A. otherwise, and the flag tells whether the choice differs from
    // the reported code page.
    void comboCodePage_Click();
    // A character set was chosen: the flag tells whether it differs from the reported one.
    void comboInterChars_Click();

private:
    QComboBox &m_comboCodePage;
    QComboBox &m_comboCodePageName;
    QComboBox &m_comboInterChars;
    const QLabel &m_reportedCodePage;
    const QLabel &m_reportedInterChars;
    bool &m_dataChanged;
};

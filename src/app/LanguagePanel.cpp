#include "LanguagePanel.h"

#include "LanguageTables.h"
#include "SettingsModel.h"

#include <QComboBox>

namespace {

void fill(QComboBox &list, const QStringList &entries, const QList<int> &numbers)
{
    for (qsizetype i = 0; i < entries.size(); ++i)
        list.addItem(entries.at(i), numbers.at(i));
}

// Selects the entry of `number`; false when there is none.
bool select(QComboBox &list, std::optional<int> number)
{
    const int index = number ? list.findData(*number) : -1;
    if (index >= 0)
        list.setCurrentIndex(index);
    return index >= 0;
}

} // namespace

LanguagePanel::LanguagePanel(QComboBox &comboCodePage, QComboBox &comboCodePageName,
                             QComboBox &comboInterChars, SettingsModel &settings, QObject *parent)
    : QObject(parent)
    , m_comboCodePage(comboCodePage)
    , m_comboCodePageName(comboCodePageName)
    , m_comboInterChars(comboInterChars)
    , m_settings(settings)
{
    const QList<int> codePages = LanguageTables::codePageNumbers();
    fill(m_comboCodePage, LanguageTables::codePageEntries(), codePages);
    fill(m_comboCodePageName, LanguageTables::codePageNameEntries(), codePages);
    fill(m_comboInterChars, LanguageTables::interCharsEntries(),
         LanguageTables::interCharsNumbers());
    // The code page shows nothing until the printer has reported one or the user chooses.
    m_comboCodePage.setCurrentIndex(-1);
    m_comboCodePageName.setCurrentIndex(-1);
    // The character set list shows its first entry, the one the settings start with.
    m_comboInterChars.setCurrentIndex(0);
}

void LanguagePanel::ShowCodePage()
{
    if (select(m_comboCodePage, m_settings.codePage()))
        codePageChosen();
}

void LanguagePanel::ShowInterChars()
{
    if (select(m_comboInterChars, m_settings.charset()))
        interCharsChosen();
}

void LanguagePanel::codePageChosen()
{
    const int codePage = m_comboCodePage.currentData().toInt();
    const int charset = LanguageTables::interCharsResetNumber(codePage);
    m_comboCodePageName.setCurrentIndex(m_comboCodePage.currentIndex());
    select(m_comboInterChars, charset);
    m_settings.codePageToWrite = codePage;
    m_settings.charsetToWrite = charset;
    // The reply as the printer sent it, blanks and all, against the number chosen.
    Q_EMIT changeAssessed(m_settings.codePageText() != QString::number(codePage));
}

void LanguagePanel::interCharsChosen()
{
    const int charset = m_comboInterChars.currentData().toInt();
    m_settings.charsetToWrite = charset;
    Q_EMIT changeAssessed(m_settings.charsetText() != QString::number(charset));
}

#include "LanguagePanel.h"

#include "LanguageTables.h"

#include <QComboBox>
#include <QLabel>

namespace {

// The caption without the blanks around it; other white space is kept and so finds no entry.
QString withoutSurroundingBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

LanguagePanel::LanguagePanel(QComboBox &comboCodePage, QComboBox &comboCodePageName,
                             QComboBox &comboInterChars, const QLabel &reportedCodePage,
                             const QLabel &reportedInterChars, QObject *parent)
    : QObject(parent)
    , m_comboCodePage(comboCodePage)
    , m_comboCodePageName(comboCodePageName)
    , m_comboInterChars(comboInterChars)
    , m_reportedCodePage(reportedCodePage)
    , m_reportedInterChars(reportedInterChars)
{
    m_comboCodePage.addItems(LanguageTables::codePageEntries());
    m_comboCodePageName.addItems(LanguageTables::codePageNameEntries());
    m_comboInterChars.addItems(LanguageTables::interCharsEntries());
    // The code page shows nothing until the printer has reported one or the user chooses.
    m_comboCodePage.setCurrentIndex(-1);
    m_comboCodePageName.setCurrentIndex(-1);
}

void LanguagePanel::ShowCodePage()
{
    const int index =
        LanguageTables::findCodePage(withoutSurroundingBlanks(m_reportedCodePage.text()));
    if (index < 0)
        return;
    m_comboCodePage.setCurrentIndex(index);
    codePageChosen();
}

void LanguagePanel::ShowInterChars()
{
    const int index =
        LanguageTables::findInterChars(withoutSurroundingBlanks(m_reportedInterChars.text()));
    if (index < 0)
        return;
    m_comboInterChars.setCurrentIndex(index);
    interCharsChosen();
}

void LanguagePanel::codePageChosen()
{
    const QString chosen = m_comboCodePage.currentText();
    m_comboCodePageName.setCurrentIndex(m_comboCodePage.currentIndex());
    m_comboInterChars.setCurrentIndex(LanguageTables::interCharsResetIndex(chosen));
    Q_EMIT changeAssessed(m_reportedCodePage.text() != LanguageTables::codePageNumberText(chosen));
}

void LanguagePanel::interCharsChosen()
{
    Q_EMIT changeAssessed(m_reportedInterChars.text() !=
                          LanguageTables::interCharsNumberText(m_comboInterChars.currentText()));
}

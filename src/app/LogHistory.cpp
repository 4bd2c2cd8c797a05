#include "LogHistory.h"

#include <QPlainTextEdit>
#include <QTextCursor>

LogHistory::LogHistory(QPlainTextEdit &txtLOG)
    : m_txtLOG(txtLOG)
{}

void LogHistory::AppendLog(const QString &text)
{
    if (m_text.size() >= kTrimLength) {
        // The oldest half goes, without regard to line boundaries.
        m_text.remove(0, kDroppedLength);
        m_txtLOG.setPlainText(m_text);
    }
    m_text += text;

    QTextCursor end = m_txtLOG.textCursor();
    end.movePosition(QTextCursor::End);
    m_txtLOG.setTextCursor(end);
    m_txtLOG.insertPlainText(text);
    m_txtLOG.ensureCursorVisible();
}

void LogHistory::clear()
{
    m_text.clear();
    m_txtLOG.clear();
}

const QString &LogHistory::text() const
{
    return m_text;
}

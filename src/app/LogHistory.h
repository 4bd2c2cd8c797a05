#pragma once

#include <QString>

class QPlainTextEdit;

// The log of printer replies on the "Log History" page. The log keeps the lines exactly as they
// arrived, CR LF included, and the text box shows them; the box is read-only, so what it shows
// is always the log.
class LogHistory
{
public:
    // A log of this many characters or more is trimmed before the next append ...
    static constexpr qsizetype kTrimLength = 8192;
    // ... by dropping this many characters from its start.
    static constexpr qsizetype kDroppedLength = 4096;

    explicit LogHistory(QPlainTextEdit &txtLOG);

    // Appends one finished line at the very end, whatever the user has selected, and keeps the
    // end in view.
    void AppendLog(const QString &text);
    // Empties the log.
    void clear();

    const QString &text() const;

private:
    QPlainTextEdit &m_txtLOG;
    QString m_text;
};

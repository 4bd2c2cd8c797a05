#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>

// The paper as readable lines: printed text as text, commands as bracketed names in their place
// ("Total [bold on]12.00[bold off]"), bytes above 0x7F as the code page in force shows them, and
// runs of unknown bytes as one short "[unknown ...]", a new one at each ESC, GS, FS or DLE. No line
// is longer than kMaxLineLength: longer text wraps, and a line cut so ends in a backslash. Holds
// one unfinished line and the start of one unknown run, nothing more.
class PrintOut
{
public:
    // Two characters less than the 200 of an output line: on standard error the print-out lines
    // carry a margin, "| ".
    static constexpr qsizetype kMaxLineLength = 198;
    static constexpr qsizetype kShownUnknownBytes = 8;

    explicit PrintOut(int codePage = 0);

    // Bytes above 0x7F from now on are shown as this code page has them.
    void setCodePage(int codePage);

    void text(QByteArrayView bytes);
    // A command in the running line.
    void token(const QString &token);
    // A command that stands on a line of its own (a cut, a barcode, an image): the running line
    // ends before it.
    void lineToken(const QString &token);
    // Whole lines of the printer's own, such as the settings page.
    void page(const QStringList &lines);
    // Ends the running line; with nothing on it, an empty line (the paper feeds a line).
    void lineFeed();
    // Bytes that start no known command; `size` counts them all, `start` may be their beginning.
    void unknown(QByteArrayView start, qint64 size);
    // Puts out the running line, if anything is on it.
    void flush();
    // Ends a run of unknown bytes: its "[unknown ...]" joins the running line now.
    void endUnknown();

    // The lines finished since the last call.
    QStringList takeLines();

private:
    void append(const QString &piece);
    void cutLine();
    void finishLine();

    std::array<QString, 128> m_upperHalf; // how bytes 0x80 to 0xFF show
    QString m_line;
    QStringList m_finished;
    QByteArray m_unknownStart;
    qint64 m_unknownSize = 0;
};

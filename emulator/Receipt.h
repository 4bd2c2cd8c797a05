#pragma once

#include "CommandParser.h"
#include "PrintCommands.h"
#include "PrintOut.h"

#include <QString>
#include <QStringList>

// What the printer puts on paper: the text and the ESC/POS commands of a receipt, turned into
// readable print-out lines. Keeps the state that decides what a later command prints: the code
// page chosen by ESC t, the data stored for a QR code or another two-dimensional code, and the
// kind of code GS Z chose.
class Receipt
{
public:
    // `crFeeds`: a carriage return feeds a line, as switch 8 of SW2 ("<CR> Valid") sets it;
    // otherwise it is ignored.
    Receipt(int defaultCodePage, bool crFeeds);

    // Prints a Text, Print, Unknown or Incomplete command.
    void print(const ParsedCommand &command);
    // A page of the printer's own, followed by a cut.
    void printPage(const QStringList &lines, bool partialCut);
    // Puts out the line not yet ended by a line feed.
    void flush() { m_out.flush(); }
    // A command that does not print came: a run of unknown bytes before it ends here.
    void endUnknown() { m_out.endUnknown(); }

    QStringList takeLines() { return m_out.takeLines(); }

    // The code page ESC t chose last, or the default one.
    int codePage() const { return m_state.codePage; }

private:
    void printCommand(const ParsedCommand &command);

    PrintOut m_out;
    PrintState m_state;
};

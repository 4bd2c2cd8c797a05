#pragma once

#include "CommandParser.h"
#include "PrintOut.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

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

    // Prints a Text, Print or Unknown command.
    void print(const ParsedCommand &command);
    // A page of the printer's own, followed by a cut.
    void printPage(const QStringList &lines, bool partialCut);
    // Puts out the line not yet ended by a line feed.
    void flush() { m_out.flush(); }
    // A command that does not print came: a run of unknown bytes before it ends here.
    void endUnknown() { m_out.endUnknown(); }

    QStringList takeLines() { return m_out.takeLines(); }

    // The code page ESC t chose last, or the default one.
    int codePage() const { return m_codePage; }

private:
    void printCommand(const ParsedCommand &command);
    QString symbol(const ParsedCommand &command, bool &ownLine);
    QString graphics(const ParsedCommand &command, bool &ownLine) const;
    void selectCodePage(int codePage);

    // Two-dimensional codes by cn - 48 of GS ( k: PDF417, QR code, MaxiCode, GS1 DataBar,
    // composite, Aztec, DataMatrix.
    static constexpr int kSymbolKinds = 7;
    struct StoredSymbol
    {
        QByteArray start; // at most CommandParser::kKeptData bytes
        qint64 size = 0;
    };

    PrintOut m_out;
    int m_defaultCodePage;
    int m_codePage;
    bool m_crFeeds;
    std::array<StoredSymbol, kSymbolKinds> m_symbols;
    int m_symbolType = 0; // the kind GS Z chose for ESC Z, PDF417 until then
};

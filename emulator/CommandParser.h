#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

#include <functional>

enum class CommandKind {
    Identify,       // GS I n: printer IDs, type information, firmware, maker, model, font ROM
    Read,           // GS g "4" n [NUL]
    Write,          // GS g "8" n value NUL
    Unlock,         // GS g "u" "n" "l" NUL
    Lock,           // GS g "l" "c" "k" NUL
    SelfTest,       // GS ( A 2 0 0 2
    RealTimeStatus, // DLE EOT n, n = 1 to 4
    PaperStatus,    // GS r n, n = 1, 2, 49, 50
    AutoStatusBack, // GS a n
    Text,           // printable bytes: 0x20 to 0x7E and 0x80 to 0xFF
    Print,          // an ESC/POS command that prints or sets up printing, see `printCommand`
    Unknown,        // bytes that start no known command
    Incomplete,     // a command whose bytes stopped coming: the link ended inside it
};

struct PrintCommand;

struct ParsedCommand
{
    CommandKind kind = CommandKind::Unknown;
    // For CommandKind::Print: what the command is and prints, its row in PrintCommands::all().
    const PrintCommand *printCommand = nullptr;
    // n of GS I n, GS g "4" n, GS g "8" n, DLE EOT n, GS r n and GS a n; the variant byte of a
    // print command that has variants (m of GS V m and GS k m)
    int number = 0;
    QByteArray value;    // the value field of a write; the parameter bytes of a print command
    QByteArray bytes;    // the command's bytes up to its data block; the text or the unknown bytes
    QByteArray data;     // the start of the data block (barcode, QR code, image), kKeptData at most
    qint64 size = 0;     // every byte the command took, its whole data block included
    qint64 declared = 0; // for Incomplete: the bytes its parameters declared; 0 when not known
};

// Splits the byte stream of one client into the printer's commands: its own command set, the
// ESC/POS commands of a receipt, printable text and unknown bytes. Bytes may arrive in any pieces:
// the head of a command is held back until it is complete; a data block (an image, a barcode, a
// QR code) is passed through as it comes, and only its start is kept. So the parser never holds
// more than kLongestCommand + kKeptData bytes, whatever arrives. Bytes that start no known
// command, or a command that turns out malformed, become an Unknown command as short as the
// malformed part, so the parser finds the next command even inside a broken one.
class CommandParser
{
public:
    static constexpr qsizetype kLongestCommand = 25; // longest head: GS g "8" 36 (20 bytes) NUL
    static constexpr qsizetype kKeptData = 256;
    static constexpr int kLongestBarcode = 255;
    static constexpr int kMostTabStops = 32;

    using Sink = std::function<void(const ParsedCommand &)>;

    void feed(QByteArrayView bytes, const Sink &sink);
    // The same, collected: for tests and small pieces.
    QList<ParsedCommand> feed(QByteArrayView bytes);
    // The link ended: a command still coming is passed on as Incomplete (its head as Unknown),
    // and the parser starts afresh.
    void finish(const Sink &sink);

    // Bytes held back: the start of a command not yet complete, and the kept start of a data
    // block still coming.
    qsizetype pending() const { return m_head.size() + m_current.data.size(); }
    void clear();

private:
    enum class DataEnd { None, Count, Nul, Characters };
    struct Head;
    struct NumberedCommand;

    static Head match(QByteArrayView head, ParsedCommand &command);
    static Head matchNumbered(const NumberedCommand &own, QByteArrayView head,
                              ParsedCommand &command);
    static Head matchSetting(QByteArrayView head, ParsedCommand &command);
    static Head matchPrint(QByteArrayView head, ParsedCommand &command);
    static Head matchParameters(const PrintCommand &row, QByteArrayView head,
                                ParsedCommand &command);
    static Head dataBlock(const PrintCommand &row, QByteArrayView parameters, qsizetype codeLength);

    void parseHead(const Sink &sink);
    qsizetype takeData(QByteArrayView bytes, const Sink &sink);
    void finishData(const Sink &sink);

    QByteArray m_head;       // bytes of a command whose head is not complete yet
    ParsedCommand m_current; // the command whose data block is coming
    DataEnd m_dataEnd = DataEnd::None;
    qint64 m_dataLeft = 0; // bytes still to come, or for DataEnd::Nul the most before the NUL
    // DataEnd::Characters: characters whose width byte is still to come, and the bytes of one
    // dot column.
    int m_charactersLeft = 0;
    int m_columnBytes = 0;
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

enum class CommandKind {
    Identify, // GS I n: firmware, maker, model, font ROM
    Read,     // GS g "4" n [NUL]
    Write,    // GS g "8" n value NUL
    Unlock,   // GS g "u" "n" "l" NUL
    Lock,     // GS g "l" "c" "k" NUL
    SelfTest, // GS ( A 2 0 0 2
    Skipped,  // bytes that start no known command
};

struct ParsedCommand
{
    CommandKind kind = CommandKind::Skipped;
    int number = 0;   // n of GS I n, GS g "4" n and GS g "8" n
    QByteArray value; // the value field of a write, as received
    QByteArray bytes; // every byte of the command, or the bytes skipped
};

// Splits the byte stream of one client into the printer's commands. Bytes may arrive in any
// pieces: an incomplete command is held back until the rest arrives. A byte that starts no known
// command, or a command that turns out malformed, is skipped one byte at a time, so the parser
// finds the next command even inside a broken one. It never holds more than one command's bytes.
class CommandParser
{
public:
    static constexpr qsizetype kLongestCommand = 25;

    QList<ParsedCommand> feed(QByteArrayView bytes);

    // Bytes held back as the start of a command not yet complete.
    qsizetype pending() const { return m_buffer.size(); }
    void clear() { m_buffer.clear(); }

private:
    enum class Match { Complete, Partial, None };
    static Match match(QByteArrayView head, ParsedCommand &command);

    QByteArray m_buffer;
};

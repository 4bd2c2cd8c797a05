#pragma once

#include "CommandParser.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <span>
#include <string_view>

// How the length of a command's data block follows from its parameters.
enum class DataBlock {
    None,
    Length8,     // the last parameter, n
    Length16,    // the last two parameters, dL dH
    Length32,    // p1 p2 p3 p4
    Raster,      // m xL xH yL yH: (xL + 256 xH) bytes by (yL + 256 yH) rows
    Columns,     // m nL nH: columns of 1 byte (m = 0, 1) or 3 bytes (m = 32, 33)
    Define,      // x y: x * 8 by y * 8 dots
    TabStops,    // up to a NUL, CommandParser::kMostTabStops stops at most
    BarcodeText, // up to a NUL, CommandParser::kLongestBarcode bytes at most
    Characters,  // y c1 c2: for each character from c1 to c2 its width x, then y * x bytes
};

// Where a command's print-out goes.
enum class Place {
    Inline,         // its bracketed name joins the running line
    OwnLine,        // its bracketed name stands on a line of its own
    LineFeed,       // it ends the running line
    CarriageReturn, // it ends the running line when a carriage return feeds a line
};

struct Printing;

// One ESC/POS command of a receipt: how it is parsed (its code bytes, its parameters and its data
// block) and what it prints. Its code is the introducer, the code bytes and, for a command that
// comes in variants (GS V m, GS k m), one byte of `variants`.
struct PrintCommand
{
    char introducer; // LF, CR, HT, FF, CAN, or DLE, ESC, FS, GS
    std::string_view code;
    std::string_view variants;
    int parameters;
    DataBlock data;
    const char *name; // its name in the print-out
    // What it prints between the brackets; without it, the name alone.
    QString (*describe)(Printing &printing);
    Place place = Place::Inline;
    // SelfTest or Unknown for GS ( functions that are not printed.
    CommandKind kind = CommandKind::Print;
};

// What earlier commands of a receipt left that decides what a later one prints.
struct PrintState
{
    // Two-dimensional codes by cn - 48 of GS ( k: PDF417, QR code, MaxiCode, GS1 DataBar,
    // composite, Aztec, DataMatrix.
    static constexpr int kSymbolKinds = 7;
    struct StoredSymbol
    {
        QByteArray start; // at most CommandParser::kKeptData bytes
        qint64 size = 0;
    };

    int defaultCodePage = 0;
    int codePage = 0; // chosen by ESC t, or the default one
    bool crFeeds = false;
    std::array<StoredSymbol, kSymbolKinds> symbols{};
    int symbolType = 0; // the kind GS Z chose for ESC Z, PDF417 until then
};

namespace PrintCommands {

// Every print command the printer knows, one row each.
std::span<const PrintCommand> all();

// What a print command puts on paper: the text between its brackets, and where it goes.
struct Printed
{
    Place place;
    QString text;
};
Printed print(const ParsedCommand &command, PrintState &state);

// What the print-out says of a command the link ended inside: how much of it came.
QString incomplete(const ParsedCommand &command);

} // namespace PrintCommands

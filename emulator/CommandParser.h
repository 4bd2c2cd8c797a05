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
    Print,          // an ESC/POS command that prints or sets up printing, see `op`
    Unknown,        // bytes that start no known command
    Incomplete,     // a command whose bytes stopped coming: the link ended inside it
};

// The ESC/POS commands of a receipt, by what they do.
enum class PrintOp {
    LineFeed,           // LF
    CarriageReturn,     // CR
    Tab,                // HT
    FormFeed,           // FF
    CancelPage,         // CAN
    Initialize,         // ESC @
    PrintMode,          // ESC ! n
    Bold,               // ESC E n
    Underline,          // ESC - n
    DoubleStrike,       // ESC G n
    Align,              // ESC a n
    Font,               // ESC M n
    CodePage,           // ESC t n
    Charset,            // ESC R n
    FeedLines,          // ESC d n
    FeedDots,           // ESC J n
    FeedBackLines,      // ESC e n
    FeedBackDots,       // ESC K n
    LineSpacingDefault, // ESC 2
    LineSpacing,        // ESC 3 n
    CharSpacing,        // ESC SP n
    UpsideDown,         // ESC { n
    Rotate,             // ESC V n
    Position,           // ESC $ nL nH
    Move,               // ESC \ nL nH
    TabStops,           // ESC D n1 ... NUL
    BitImage,           // ESC * m nL nH data
    DrawerPulse,        // ESC p m t1 t2
    Peripheral,         // ESC = n
    PaperSelect,        // ESC c 0 n, ESC c 1 n, ESC c 3 n, ESC c 4 n: paper and its sensors
    PanelButtons,       // ESC c 5 n
    Unidirectional,     // ESC U n
    PageMode,           // ESC L
    StandardMode,       // ESC S
    PrintArea,          // ESC W xL xH yL yH dxL dxH dyL dyH
    PrintDirection,     // ESC T n
    Color,              // ESC r n
    Beep,               // ESC B n t
    CutEsc,             // ESC i, ESC m
    UserCharacters,     // ESC % n
    DefineCharacters,   // ESC & y c1 c2 [x d1 ... d(y * x)] ...
    CancelCharacter,    // ESC ? n
    SymbolType,         // GS Z n
    SymbolPrint,        // ESC Z m n k dL dH d1 ... dk
    Size,               // GS ! n
    Reverse,            // GS B n
    Cut,                // GS V m [n]
    Barcode,            // GS k m data NUL, GS k m n data
    BarcodeHeight,      // GS h n
    BarcodeWidth,       // GS w n
    BarcodeText,        // GS H n
    BarcodeFont,        // GS f n
    Symbol,             // GS ( k pL pH cn fn ...: QR code and the other two-dimensional codes
    Graphics,           // GS ( L pL pH ..., GS 8 L p1 p2 p3 p4 ...
    RasterImage,        // GS v 0 m xL xH yL yH data
    DefineImage,        // GS * x y data
    PrintDefinedImage,  // GS / m
    LeftMargin,         // GS L nL nH
    PrintWidth,         // GS W nL nH
    MotionUnits,        // GS P x y
    Smoothing,          // GS b n
    KanjiOn,            // FS &
    KanjiOff,           // FS .
    KanjiMode,          // FS ! n
    KanjiUnderline,     // FS - n
    NvImage,            // FS p n m
    RealTimeRequest,    // DLE ENQ n
    RealTimePulse,      // DLE DC4 1 m t
    ClearBuffers,       // DLE DC4 8 1 3 20 1 6 2 8
};

struct ParsedCommand
{
    CommandKind kind = CommandKind::Unknown;
    PrintOp op = PrintOp::LineFeed; // for CommandKind::Print
    int number = 0;      // n of GS I n, GS g "4" n, GS g "8" n, DLE EOT n, GS r n and GS a n
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

    static Head match(QByteArrayView head, ParsedCommand &command);
    static Head matchSpec(QByteArrayView head, ParsedCommand &command);
    static Head matchRealTime(QByteArrayView head, ParsedCommand &command);
    static Head matchCut(QByteArrayView head, ParsedCommand &command);
    static Head matchBarcode(QByteArrayView head, ParsedCommand &command);
    static Head matchOwn(QByteArrayView head, ParsedCommand &command);

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

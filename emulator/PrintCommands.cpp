#include "PrintCommands.h"

#include "PrinterSettings.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <initializer_list>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

// One print command on its way to paper: the command, the state earlier ones left, and whether
// its bracket stands on a line of its own.
struct Printing
{
    const ParsedCommand &command;
    PrintState &state;
    bool ownLine = false;

    // Parameter `index`, 0 past the last.
    int parameter(qsizetype index) const;
    // The first parameter, n of most commands.
    int n() const { return parameter(0); }
    // Parameters `from` and `from` + 1 as nL nH.
    int little16(qsizetype from) const;
    QString name() const { return QLatin1String(command.printCommand->name); }
    // The name and `value`; an empty value means n is out of range and ignored.
    QString named(const QString &value) const;
};

namespace {

constexpr char kLF = 0x0A;
constexpr char kHT = 0x09;
constexpr char kFF = 0x0C;
constexpr char kCR = 0x0D;
constexpr char kCAN = 0x18;
constexpr char kDLE = 0x10;
constexpr char kESC = 0x1B;
constexpr char kFS = 0x1C;
constexpr char kGS = 0x1D;

// Longest part of a barcode's or QR code's data shown in the print-out.
constexpr qsizetype kShownData = 100;

quint8 byteOrZero(QByteArrayView bytes, qsizetype index)
{
    return index < bytes.size() ? quint8(bytes[index]) : 0;
}

int little16OrZero(QByteArrayView bytes, qsizetype from)
{
    return byteOrZero(bytes, from) + 256 * byteOrZero(bytes, from + 1);
}

// A parameter that ESC/POS accepts as a number or as its digit ("0", "1", ...): its index in
// `names`, or an empty text when it is out of range.
QString choice(int n, std::initializer_list<const char *> names)
{
    const int index = n >= '0' ? n - '0' : n;
    if (index < 0 || index >= int(names.size()))
        return {};
    return QLatin1String(names.begin()[index]);
}

// `head` and `value`, or for an empty value the parameter that was out of range.
QString withValue(const QString &head, const QString &value, int parameter)
{
    return head + u' ' + (value.isEmpty() ? u"%1 ignored"_s.arg(parameter) : value);
}

QString plural(int count, const char *unit)
{
    return u"%1 %2%3"_s.arg(count).arg(QLatin1String(unit)).arg(count == 1 ? u""_s : u"s"_s);
}

// Data shown between quotes: printable characters as they are, the rest as \xNN; cut short with
// an ellipsis and the full size when there is more than fits.
QString quoted(const QString &text, qint64 size, bool complete)
{
    QString shown;
    bool cut = !complete;
    for (const QChar c : text) {
        if (shown.size() >= kShownData) {
            cut = true;
            break;
        }
        if (c == u'"' || c == u'\\')
            shown += u'\\' + c;
        else if (c.isPrint() && c != QChar::ReplacementCharacter)
            shown += c;
        else
            shown += u"\\x%1"_s.arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
    QString result = u'"' + shown + u'"';
    if (cut)
        result += u"\u2026 %1 bytes"_s.arg(size);
    return result;
}

// Bytes as text: UTF-8 where they are, otherwise one character per byte.
QString readable(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// CODE128 data carries its code set: "{A", "{B" or "{C" in front, "{{" for a brace, "{1" to "{4"
// and "{S" for function codes and shift. Shows the human-readable text: code set C packs two
// digits into one byte.
QString code128Text(const QByteArray &data)
{
    if (!data.startsWith('{'))
        return QString::fromLatin1(data);
    QString text;
    char set = 'B';
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '{' && i + 1 < data.size()) {
            const char next = data[++i];
            if (next == 'A' || next == 'B' || next == 'C')
                set = next;
            else if (next == '{')
                text += u'{';
            continue;
        }
        if (set == 'C' && quint8(c) < 100)
            text += u"%1"_s.arg(int(c), 2, 10, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
    }
    return text;
}

QString barcodeType(int m)
{
    static constexpr std::array<const char *, 15> kTypes{"UPC-A",
                                                         "UPC-E",
                                                         "EAN13",
                                                         "EAN8",
                                                         "CODE39",
                                                         "ITF",
                                                         "CODABAR",
                                                         "CODE93",
                                                         "CODE128",
                                                         "GS1-128",
                                                         "GS1 DATABAR OMNIDIRECTIONAL",
                                                         "GS1 DATABAR TRUNCATED",
                                                         "GS1 DATABAR LIMITED",
                                                         "GS1 DATABAR EXPANDED",
                                                         "CODE128 AUTO"};
    const int index = m >= 65 ? m - 65 : m;
    return index >= 0 && index < int(kTypes.size()) ? QLatin1String(kTypes[size_t(index)])
                                                    : u"type %1"_s.arg(m);
}

QString symbolName(int kind)
{
    static constexpr std::array<const char *, PrintState::kSymbolKinds> kNames{
        "pdf417", "qr", "maxicode", "databar", "composite", "aztec", "datamatrix"};
    return kind >= 0 && kind < int(kNames.size()) ? QLatin1String(kNames[size_t(kind)])
                                                  : u"symbol"_s;
}

// A command by its code bytes, as references write it: "GS v 0", "ESC *", "GS k 4".
QString mnemonic(const ParsedCommand &command)
{
    static constexpr std::pair<char, const char *> kIntroducers[] = {
        {kDLE, "DLE"}, {kESC, "ESC"}, {kFS, "FS"}, {kGS, "GS"}};
    const QByteArray code = command.bytes.first(command.bytes.size() - command.value.size());
    QStringList parts;
    for (const char c : code) {
        const auto named = std::find_if(std::begin(kIntroducers), std::end(kIntroducers),
                                        [c](const auto &entry) { return entry.first == c; });
        if (parts.isEmpty() && named != std::end(kIntroducers))
            parts << QLatin1String(named->second);
        else if (quint8(c) > 0x20 && quint8(c) < 0x7F)
            parts << QString(QLatin1Char(c));
        else
            parts << QString::number(quint8(c));
    }
    return parts.join(u' ');
}

// What the commands print, each for one or more rows of the table below. Most show the name and
// their parameters; a few change what later commands print.

QString onOff(Printing &p)
{
    return p.named(p.n() & 1 ? u"on"_s : u"off"_s);
}

QString offWhenOdd(Printing &p)
{
    return p.named(p.n() & 1 ? u"off"_s : u"on"_s);
}

QString offOnDouble(Printing &p)
{
    return p.named(choice(p.n(), {"off", "on", "double"}));
}

QString alignment(Printing &p)
{
    return p.named(choice(p.n(), {"left", "center", "right"}));
}

QString fontLetter(Printing &p)
{
    return p.named(choice(p.n(), {"A", "B", "C"}));
}

QString colour(Printing &p)
{
    return p.named(choice(p.n(), {"1", "2"}));
}

QString textPosition(Printing &p)
{
    return p.named(choice(p.n(), {"off", "above", "below", "above and below"}));
}

QString number(Printing &p)
{
    return p.named(QString::number(p.n()));
}

QString digitOrNumber(Printing &p)
{
    return p.named(QString::number(p.n() >= '0' ? p.n() - '0' : p.n()));
}

QString hexNumber(Printing &p)
{
    return p.named(u"0x%1"_s.arg(p.n(), 2, 16, QLatin1Char('0')));
}

QString lines(Printing &p)
{
    return p.named(plural(p.n(), "line"));
}

QString dots(Printing &p)
{
    return p.named(plural(p.n(), "dot"));
}

QString dots16(Printing &p)
{
    return p.named(plural(p.little16(0), "dot"));
}

QString times(Printing &p)
{
    return p.named(plural(p.n(), "time"));
}

QString initialize(Printing &p)
{
    p.state.codePage = p.state.defaultCodePage;
    return p.name();
}

QString printMode(Printing &p)
{
    const int n = p.n();
    QStringList parts{n & 0x01 ? u"font B"_s : u"font A"_s};
    if (n & 0x08)
        parts << u"bold"_s;
    if (n & 0x10)
        parts << u"double height"_s;
    if (n & 0x20)
        parts << u"double width"_s;
    if (n & 0x80)
        parts << u"underline"_s;
    return p.named(parts.join(u", "_s));
}

QString codePage(Printing &p)
{
    const int n = p.n();
    if (!PrinterTables::isCodePage(n))
        return p.named(u"%1 not available"_s.arg(n));
    p.state.codePage = n;
    return p.named(u"%1 (%2)"_s.arg(n).arg(PrinterTables::codePageLabel(n)));
}

QString characterSet(Printing &p)
{
    const int n = p.n();
    const QString name = PrinterTables::charsetName(n);
    return p.named(!PrinterTables::isCharset(n) ? u"%1 not available"_s.arg(n)
                   : name.isEmpty()             ? QString::number(n)
                                                : u"%1 (%2)"_s.arg(n).arg(name));
}

QString rotation(Printing &p)
{
    return p.named(p.n() == 0 || p.n() == '0' ? u"off"_s : u"on"_s);
}

QString position(Printing &p)
{
    return p.named(QString::number(p.little16(0)));
}

QString move(Printing &p)
{
    return p.named(QString::number(qint16(p.little16(0))));
}

QString tabStops(Printing &p)
{
    QStringList stops;
    for (const char stop : p.command.data)
        stops << QString::number(quint8(stop));
    return p.named(stops.isEmpty() ? u"cleared"_s : stops.join(u' '));
}

QString bitImage(Printing &p)
{
    static constexpr const char *kModes[] = {"8-dot single density", "8-dot double density",
                                             "24-dot single density", "24-dot double density"};
    const int m = p.n();
    return p.named(u"%1, %2"_s.arg(QLatin1String(kModes[(m & 1) + (m >= 32 ? 2 : 0)]),
                                   plural(p.little16(1), "dot")));
}

QString drawerPulse(Printing &p)
{
    return p.named(u"pin %1, on %2 ms, off %3 ms"_s.arg(p.n() & 1 ? 5 : 2)
                       .arg(p.parameter(1) * 2)
                       .arg(p.parameter(2) * 2));
}

QString realTimePulse(Printing &p)
{
    return p.named(u"pin %1, on %2 ms"_s.arg(p.n() & 1 ? 5 : 2).arg(p.parameter(1) * 100));
}

QString printArea(Printing &p)
{
    return p.named(u"%1,%2 %3x%4"_s.arg(p.little16(0))
                       .arg(p.little16(2))
                       .arg(p.little16(4))
                       .arg(p.little16(6)));
}

QString definedCharacters(Printing &p)
{
    return p.named(u"%1..%2"_s.arg(QString(QLatin1Char(char(p.parameter(1)))),
                                   QString(QLatin1Char(char(p.parameter(2))))));
}

QString userCharacter(Printing &p)
{
    const int n = p.n();
    return p.named(n >= 0x20 && n < 0x7F ? QString(QLatin1Char(char(n))) : QString());
}

// GS Z n: 0 PDF417, 1 DataMatrix, 2 QR code, as symbol kinds of GS ( k.
QString symbolType(Printing &p)
{
    static constexpr int kKinds[] = {0, 6, 1};
    const int index = p.n() >= '0' ? p.n() - '0' : p.n();
    if (index < 0 || index >= int(std::size(kKinds)))
        return p.named({});
    p.state.symbolType = kKinds[index];
    return p.named(symbolName(p.state.symbolType));
}

// ESC Z m n k dL dH d1 ... dk: the code GS Z chose, with its data.
QString symbolPrint(Printing &p)
{
    const ParsedCommand &c = p.command;
    const qint64 size = c.size - c.bytes.size();
    return p.named(u"%1 %2"_s.arg(symbolName(p.state.symbolType),
                                  quoted(readable(c.data), size, c.data.size() == size)));
}

QString size(Printing &p)
{
    return p.named(u"%1x%2"_s.arg(((p.n() >> 4) & 7) + 1).arg((p.n() & 7) + 1));
}

// GS V m [n]: m says full or partial; the variants with n feed the paper first.
QString cut(Printing &p)
{
    const int m = p.command.number;
    const bool full = m == 0 || m == '0' || m == 'A' || m == 'a' || m == 'g';
    QString how = full ? u"full"_s : u"partial"_s;
    if (!p.command.value.isEmpty())
        how += u", feed %1"_s.arg(p.n());
    return p.named(how);
}

// GS k m d1 ... NUL, GS k m n d1 ... dn.
QString barcode(Printing &p)
{
    const ParsedCommand &c = p.command;
    const int m = c.number;
    const qint64 size = m >= 65 ? p.n() : c.data.size();
    const QString text = m == 73 || m == 79 ? code128Text(c.data) : QString::fromLatin1(c.data);
    return p.named(u"%1 %2"_s.arg(barcodeType(m), quoted(text, size, c.data.size() == size)));
}

// GS ( k pL pH cn fn ...: a QR code or another two-dimensional code. Its data is stored first
// (fn 80) and printed later (fn 81); settings go in between.
QString symbol(Printing &p)
{
    const QByteArray &d = p.command.data;
    const int kind = byteOrZero(d, 0) - 48;
    const int fn = byteOrZero(d, 1);
    const int parameter = byteOrZero(d, 2);
    const QString name = symbolName(kind);
    const bool known = kind >= 0 && kind < PrintState::kSymbolKinds;
    if (fn == 80 && known) { // store: cn fn m d1 ... dk
        const qint64 size = std::max<qint64>(p.command.size - 8, 0);
        p.state.symbols[size_t(kind)] = {d.sliced(std::min<qsizetype>(3, d.size())), size};
        return u"%1 store %2"_s.arg(name, plural(int(size), "byte"));
    }
    if (fn == 81 && known) { // print
        p.ownLine = true;
        const PrintState::StoredSymbol &stored = p.state.symbols[size_t(kind)];
        return name + u' ' +
               quoted(readable(stored.start), stored.size, stored.start.size() == stored.size);
    }
    if (kind == 1 && fn == 65)
        return withValue(u"qr model"_s, choice(parameter - 1, {"1", "2", "micro"}), parameter);
    if (kind == 1 && fn == 67)
        return u"qr size %1"_s.arg(parameter);
    if (kind == 1 && fn == 69)
        return withValue(u"qr error"_s, choice(parameter, {"L", "M", "Q", "H"}), parameter);
    return u"%1 function %2"_s.arg(name).arg(fn);
}

// GS ( L pL pH m fn ... and GS 8 L p1 p2 p3 p4 m fn ...: graphics in the print buffer.
QString graphics(Printing &p)
{
    const QByteArray &d = p.command.data;
    const int fn = byteOrZero(d, 1);
    if (fn == 112) // store raster graphics: m fn a bx by c xL xH yL yH
        return p.named(u"store %1x%2"_s.arg(little16OrZero(d, 6)).arg(little16OrZero(d, 8)));
    if (fn == 50 || fn == 2) {
        p.ownLine = true;
        return p.named(u"print"_s);
    }
    return p.named(u"function %1, %2"_s.arg(fn).arg(plural(int(p.command.size), "byte")));
}

QString rasterImage(Printing &p)
{
    const QString mode = choice(p.n(), {"", " double width", " double height", " quadruple"});
    return p.named(u"%1x%2%3"_s.arg(p.little16(1) * 8).arg(p.little16(3)).arg(mode));
}

QString imageSize(Printing &p)
{
    return p.named(u"%1x%2"_s.arg(p.n() * 8).arg(p.parameter(1) * 8));
}

QString twoNumbers(Printing &p)
{
    return p.named(u"%1 %2"_s.arg(p.n()).arg(p.parameter(1)));
}

// The second byte of an unknown GS ( function: any printable byte.
constexpr auto kPrintableBytes = [] {
    std::array<char, 0xFF - 0x20> bytes{};
    size_t i = 0;
    for (int c = 0x20; c <= 0xFF; ++c)
        if (c != 0x7F)
            bytes[i++] = char(c);
    return bytes;
}();
constexpr std::string_view kAnyFunction(kPrintableBytes.data(), kPrintableBytes.size());

// GS V m: the m that cut without feeding first, as numbers and as digits.
constexpr std::string_view kCutAlone("\0\1"
                                     "01",
                                     4);

using enum DataBlock;
using enum Place;

constexpr PrintCommand kCommands[] = {
    // introducer, code, variants, parameters, data block, name, what it prints, where
    {kLF, {}, {}, 0, None, nullptr, nullptr, LineFeed},
    {kCR, {}, {}, 0, None, nullptr, nullptr, CarriageReturn},
    {kHT, {}, {}, 0, None, "tab", nullptr},
    {kFF, {}, {}, 0, None, "form feed", nullptr, OwnLine},
    {kCAN, {}, {}, 0, None, "cancel page", nullptr},

    {kESC, "@", {}, 0, None, "initialize", initialize, OwnLine},
    {kESC, "!", {}, 1, None, "print mode", printMode},
    {kESC, "E", {}, 1, None, "bold", onOff},
    {kESC, "-", {}, 1, None, "underline", offOnDouble},
    {kESC, "G", {}, 1, None, "double strike", onOff},
    {kESC, "a", {}, 1, None, "align", alignment},
    {kESC, "M", {}, 1, None, "font", fontLetter},
    {kESC, "t", {}, 1, None, "code page", codePage},
    {kESC, "R", {}, 1, None, "character set", characterSet},
    {kESC, "d", {}, 1, None, "feed", lines, OwnLine},
    {kESC, "J", {}, 1, None, "feed", dots, OwnLine},
    {kESC, "e", {}, 1, None, "feed back", lines, OwnLine},
    {kESC, "K", {}, 1, None, "feed back", dots, OwnLine},
    {kESC, "2", {}, 0, None, "line spacing default", nullptr},
    {kESC, "3", {}, 1, None, "line spacing", dots},
    {kESC, " ", {}, 1, None, "character spacing", dots},
    {kESC, "{", {}, 1, None, "upside down", onOff},
    {kESC, "V", {}, 1, None, "rotate 90", rotation},
    {kESC, "$", {}, 2, None, "position", position},
    {kESC, "\\", {}, 2, None, "move", move},
    {kESC, "D", {}, 0, TabStops, "tab stops", tabStops},
    {kESC, "*", {}, 3, Columns, "bit image", bitImage},
    {kESC, "p", {}, 3, None, "drawer pulse", drawerPulse},
    {kESC, "=", {}, 1, None, "peripheral", number},
    {kESC, "c0", {}, 1, None, "paper for printing", hexNumber},
    {kESC, "c1", {}, 1, None, "paper for settings", hexNumber},
    {kESC, "c3", {}, 1, None, "paper end signals", hexNumber},
    {kESC, "c4", {}, 1, None, "stop on paper sensors", hexNumber},
    {kESC, "c5", {}, 1, None, "panel buttons", offWhenOdd},
    {kESC, "U", {}, 1, None, "unidirectional", onOff},
    {kESC, "L", {}, 0, None, "page mode", nullptr},
    {kESC, "S", {}, 0, None, "standard mode", nullptr},
    {kESC, "W", {}, 8, None, "print area", printArea},
    {kESC, "T", {}, 1, None, "print direction", digitOrNumber},
    {kESC, "r", {}, 1, None, "color", colour},
    {kESC, "B", {}, 2, None, "beep", times},
    {kESC, "i", {}, 0, None, "cut partial", nullptr, OwnLine},
    {kESC, "m", {}, 0, None, "cut partial", nullptr, OwnLine},
    {kESC, "%", {}, 1, None, "user characters", onOff},
    {kESC, "&", {}, 3, Characters, "define characters", definedCharacters},
    {kESC, "?", {}, 1, None, "cancel user character", userCharacter},
    {kESC, "Z", {}, 5, Length16, "2D code", symbolPrint, OwnLine},

    {kGS, "!", {}, 1, None, "size", size},
    {kGS, "B", {}, 1, None, "reverse", onOff},
    {kGS, "V", kCutAlone, 0, None, "cut", cut, OwnLine},
    {kGS, "V", "ABabgh", 1, None, "cut", cut, OwnLine},
    {kGS, "k", "\0\1\2\3\4\5\6"sv, 0, BarcodeText, "barcode", barcode, OwnLine},
    {kGS, "k", "ABCDEFGHIJKLMNO", 1, Length8, "barcode", barcode, OwnLine},
    {kGS, "h", {}, 1, None, "barcode height", dots},
    {kGS, "w", {}, 1, None, "barcode width", number},
    {kGS, "H", {}, 1, None, "barcode text", textPosition},
    {kGS, "f", {}, 1, None, "barcode text font", fontLetter},
    {kGS, "(k", {}, 2, Length16, nullptr, symbol},
    {kGS, "(L", {}, 2, Length16, "graphics", graphics},
    {kGS, "(A", {}, 2, Length16, nullptr, nullptr, Inline, CommandKind::SelfTest},
    {kGS, "(", kAnyFunction, 2, Length16, nullptr, nullptr, Inline, CommandKind::Unknown},
    {kGS, "8L", {}, 4, Length32, "graphics", graphics},
    {kGS, "v0", {}, 5, Raster, "image", rasterImage, OwnLine},
    {kGS, "*", {}, 2, Define, "define image", imageSize},
    {kGS, "/", {}, 1, None, "print defined image", nullptr, OwnLine},
    {kGS, "L", {}, 2, None, "left margin", dots16},
    {kGS, "W", {}, 2, None, "print width", dots16},
    {kGS, "P", {}, 2, None, "motion units", twoNumbers},
    {kGS, "b", {}, 1, None, "smoothing", onOff},
    {kGS, "Z", {}, 1, None, "2D code type", symbolType},

    {kFS, "&", {}, 0, None, "kanji on", nullptr},
    {kFS, ".", {}, 0, None, "kanji off", nullptr},
    {kFS, "!", {}, 1, None, "kanji mode", hexNumber},
    {kFS, "-", {}, 1, None, "kanji underline", offOnDouble},
    {kFS, "p", {}, 2, None, "nv image", number, OwnLine},

    // DLE ENQ n, DLE DC4 1 m t, DLE DC4 8 1 3 20 1 6 2 8
    {kDLE, "\x05", {}, 1, None, "real-time request", number},
    {kDLE, "\x14\x01", {}, 2, None, "drawer pulse", realTimePulse},
    {kDLE, "\x14\x08\x01\x03\x14\x01\x06\x02\x08", {}, 0, None, "clear buffers", nullptr},
};

} // namespace

int Printing::parameter(qsizetype index) const
{
    return byteOrZero(command.value, index);
}

int Printing::little16(qsizetype from) const
{
    return little16OrZero(command.value, from);
}

QString Printing::named(const QString &value) const
{
    return withValue(name(), value, n());
}

namespace PrintCommands {

std::span<const PrintCommand> all()
{
    return kCommands;
}

Printed print(const ParsedCommand &command, PrintState &state)
{
    const PrintCommand &row = *command.printCommand;
    Printing printing{command, state, row.place == OwnLine};
    const QString text = row.describe ? row.describe(printing) : QString(QLatin1String(row.name));
    return {printing.ownLine ? OwnLine : row.place, text};
}

QString incomplete(const ParsedCommand &command)
{
    const QString came = command.declared > 0
                             ? u"%1 of %2 bytes"_s.arg(command.size).arg(command.declared)
                             : plural(int(command.size), "byte");
    return u"incomplete %1: %2"_s.arg(mnemonic(command), came);
}

} // namespace PrintCommands

#include "Receipt.h"

#include "PrinterSettings.h"

#include <QStringDecoder>

#include <array>

namespace {

// Longest part of a barcode's or QR code's data shown in the print-out.
constexpr qsizetype kShownData = 100;

quint8 at(const QByteArray &bytes, qsizetype index)
{
    return index < bytes.size() ? quint8(bytes[index]) : 0;
}

int little16(const QByteArray &bytes, qsizetype from)
{
    return at(bytes, from) + 256 * at(bytes, from + 1);
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

QString onOff(int n)
{
    return n & 1 ? QStringLiteral("on") : QStringLiteral("off");
}

QString bracket(const QString &text)
{
    return QLatin1Char('[') + text + QLatin1Char(']');
}

QString plural(int count, const char *unit)
{
    return QStringLiteral("%1 %2%3")
        .arg(count)
        .arg(QLatin1String(unit))
        .arg(count == 1 ? QString() : QStringLiteral("s"));
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
            shown += QLatin1Char('\\') + c;
        else if (c.isPrint() && c != QChar::ReplacementCharacter)
            shown += c;
        else
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
    QString result = QLatin1Char('"') + shown + QLatin1Char('"');
    if (cut)
        result += QStringLiteral("\u2026 %1 bytes").arg(size);
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
                text += QLatin1Char('{');
            continue;
        }
        if (set == 'C' && quint8(c) < 100)
            text += QStringLiteral("%1").arg(int(c), 2, 10, QLatin1Char('0'));
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
                                                    : QStringLiteral("type %1").arg(m);
}

// A command by its code bytes, as references write it: "GS v 0", "ESC *", "GS k 4".
QString mnemonic(const ParsedCommand &command)
{
    static constexpr std::pair<char, const char *> kIntroducers[] = {
        {0x10, "DLE"}, {0x1B, "ESC"}, {0x1C, "FS"}, {0x1D, "GS"}};
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
    return parts.join(QLatin1Char(' '));
}

QString symbolName(int kind)
{
    static constexpr std::array<const char *, 7> kNames{
        "pdf417", "qr", "maxicode", "databar", "composite", "aztec", "datamatrix"};
    return kind >= 0 && kind < int(kNames.size()) ? QLatin1String(kNames[size_t(kind)])
                                                  : QStringLiteral("symbol");
}

} // namespace

Receipt::Receipt(int defaultCodePage, bool crFeeds)
    : m_out(defaultCodePage)
    , m_defaultCodePage(defaultCodePage)
    , m_codePage(defaultCodePage)
    , m_crFeeds(crFeeds)
{}

void Receipt::print(const ParsedCommand &command)
{
    switch (command.kind) {
    case CommandKind::Text:
        m_out.text(command.bytes);
        return;
    case CommandKind::Unknown: // a function the printer does not have may carry data
        m_out.unknown(command.bytes + command.data.first(std::min<qsizetype>(
                                          command.data.size(), PrintOut::kShownUnknownBytes)),
                      command.size);
        return;
    case CommandKind::Print:
        printCommand(command);
        return;
    case CommandKind::Incomplete: {
        // Cut off by the end of the link: how much of it came.
        const QString came =
            command.declared > 0
                ? QStringLiteral("%1 of %2 bytes").arg(command.size).arg(command.declared)
                : plural(int(command.size), "byte");
        m_out.lineToken(bracket(QStringLiteral("incomplete %1: %2").arg(mnemonic(command), came)));
        return;
    }
    default:
        return;
    }
}

void Receipt::printPage(const QStringList &lines, bool partialCut)
{
    m_out.page(lines);
    m_out.lineToken(partialCut ? QStringLiteral("[cut partial]") : QStringLiteral("[cut full]"));
}

void Receipt::selectCodePage(int codePage)
{
    m_codePage = codePage;
    m_out.setCodePage(codePage);
}

void Receipt::printCommand(const ParsedCommand &command)
{
    const QByteArray &p = command.value;
    const int n = at(p, 0);
    bool ownLine = false;
    QString token;
    switch (command.op) {
    case PrintOp::LineFeed:
        m_out.lineFeed();
        return;
    case PrintOp::CarriageReturn:
        if (m_crFeeds)
            m_out.lineFeed();
        return;
    case PrintOp::Tab:
        token = QStringLiteral("tab");
        break;
    case PrintOp::FormFeed:
        token = QStringLiteral("form feed");
        ownLine = true;
        break;
    case PrintOp::CancelPage:
        token = QStringLiteral("cancel page");
        break;
    case PrintOp::Initialize:
        selectCodePage(m_defaultCodePage);
        token = QStringLiteral("initialize");
        ownLine = true;
        break;
    case PrintOp::PrintMode: {
        QStringList parts{n & 0x01 ? QStringLiteral("font B") : QStringLiteral("font A")};
        if (n & 0x08)
            parts << QStringLiteral("bold");
        if (n & 0x10)
            parts << QStringLiteral("double height");
        if (n & 0x20)
            parts << QStringLiteral("double width");
        if (n & 0x80)
            parts << QStringLiteral("underline");
        token = QStringLiteral("print mode ") + parts.join(QStringLiteral(", "));
        break;
    }
    case PrintOp::Bold:
        token = QStringLiteral("bold ") + onOff(n);
        break;
    case PrintOp::Underline:
        token = QStringLiteral("underline ") + choice(n, {"off", "on", "double"});
        break;
    case PrintOp::DoubleStrike:
        token = QStringLiteral("double strike ") + onOff(n);
        break;
    case PrintOp::Align:
        token = QStringLiteral("align ") + choice(n, {"left", "center", "right"});
        break;
    case PrintOp::Font:
        token = QStringLiteral("font ") + choice(n, {"A", "B", "C"});
        break;
    case PrintOp::CodePage:
        if (PrinterTables::isCodePage(n)) {
            selectCodePage(n);
            token = QStringLiteral("code page %1 (%2)").arg(n).arg(PrinterTables::codePageLabel(n));
        } else {
            token = QStringLiteral("code page %1 not available").arg(n);
        }
        break;
    case PrintOp::Charset: {
        const QString name = PrinterTables::charsetName(n);
        token = !PrinterTables::isCharset(n)
                    ? QStringLiteral("character set %1 not available").arg(n)
                : name.isEmpty() ? QStringLiteral("character set %1").arg(n)
                                 : QStringLiteral("character set %1 (%2)").arg(n).arg(name);
        break;
    }
    case PrintOp::FeedLines:
        token = QStringLiteral("feed ") + plural(n, "line");
        ownLine = true;
        break;
    case PrintOp::FeedDots:
        token = QStringLiteral("feed ") + plural(n, "dot");
        ownLine = true;
        break;
    case PrintOp::FeedBackLines:
        token = QStringLiteral("feed back ") + plural(n, "line");
        ownLine = true;
        break;
    case PrintOp::FeedBackDots:
        token = QStringLiteral("feed back ") + plural(n, "dot");
        ownLine = true;
        break;
    case PrintOp::LineSpacingDefault:
        token = QStringLiteral("line spacing default");
        break;
    case PrintOp::LineSpacing:
        token = QStringLiteral("line spacing ") + plural(n, "dot");
        break;
    case PrintOp::CharSpacing:
        token = QStringLiteral("character spacing ") + plural(n, "dot");
        break;
    case PrintOp::UpsideDown:
        token = QStringLiteral("upside down ") + onOff(n);
        break;
    case PrintOp::Rotate:
        token = QStringLiteral("rotate 90 ") +
                (n == 0 || n == '0' ? QStringLiteral("off") : QStringLiteral("on"));
        break;
    case PrintOp::Position:
        token = QStringLiteral("position %1").arg(little16(p, 0));
        break;
    case PrintOp::Move:
        token = QStringLiteral("move %1").arg(qint16(little16(p, 0)));
        break;
    case PrintOp::TabStops: {
        QStringList stops;
        for (const char stop : command.data)
            stops << QString::number(quint8(stop));
        token = stops.isEmpty() ? QStringLiteral("tab stops cleared")
                                : QStringLiteral("tab stops ") + stops.join(QLatin1Char(' '));
        break;
    }
    case PrintOp::BitImage: {
        static constexpr const char *kModes[] = {"8-dot single density", "8-dot double density",
                                                 "24-dot single density", "24-dot double density"};
        token = QStringLiteral("bit image %1, %2")
                    .arg(QLatin1String(kModes[(n & 1) + (n >= 32 ? 2 : 0)]),
                         plural(little16(p, 1), "dot"));
        break;
    }
    case PrintOp::DrawerPulse:
        token = QStringLiteral("drawer pulse pin %1, on %2 ms, off %3 ms")
                    .arg(n & 1 ? 5 : 2)
                    .arg(at(p, 1) * 2)
                    .arg(at(p, 2) * 2);
        break;
    case PrintOp::Peripheral:
        token = QStringLiteral("peripheral %1").arg(n);
        break;
    case PrintOp::PaperSelect: {
        // ESC c 0, 1, 3, 4: the paper to print on and to set up, the sensors that count.
        static constexpr std::pair<char, const char *> kNames[] = {{'0', "paper for printing"},
                                                                   {'1', "paper for settings"},
                                                                   {'3', "paper end signals"},
                                                                   {'4', "stop on paper sensors"}};
        const auto named = std::find_if(std::begin(kNames), std::end(kNames),
                                        [&](const auto &e) { return e.first == command.bytes[2]; });
        token = QStringLiteral("%1 0x%2")
                    .arg(QLatin1String(named->second))
                    .arg(n, 2, 16, QLatin1Char('0'));
        break;
    }
    case PrintOp::PanelButtons:
        token = QStringLiteral("panel buttons ") +
                (n & 1 ? QStringLiteral("off") : QStringLiteral("on"));
        break;
    case PrintOp::Unidirectional:
        token = QStringLiteral("unidirectional ") + onOff(n);
        break;
    case PrintOp::PageMode:
        token = QStringLiteral("page mode");
        break;
    case PrintOp::StandardMode:
        token = QStringLiteral("standard mode");
        break;
    case PrintOp::PrintArea:
        token = QStringLiteral("print area %1,%2 %3x%4")
                    .arg(little16(p, 0))
                    .arg(little16(p, 2))
                    .arg(little16(p, 4))
                    .arg(little16(p, 6));
        break;
    case PrintOp::PrintDirection:
        token = QStringLiteral("print direction %1").arg(n >= '0' ? n - '0' : n);
        break;
    case PrintOp::Color:
        token = QStringLiteral("color ") + choice(n, {"1", "2"});
        break;
    case PrintOp::Beep:
        token = QStringLiteral("beep ") + plural(n, "time");
        break;
    case PrintOp::CutEsc:
        token = QStringLiteral("cut partial");
        ownLine = true;
        break;
    case PrintOp::UserCharacters:
        token = QStringLiteral("user characters ") + onOff(n);
        break;
    case PrintOp::DefineCharacters:
        token =
            QStringLiteral("define characters %1..%2")
                .arg(QString(QLatin1Char(char(at(p, 1)))), QString(QLatin1Char(char(at(p, 2)))));
        break;
    case PrintOp::CancelCharacter:
        token = QStringLiteral("cancel user character ") +
                (n >= 0x20 && n < 0x7F ? QString(QLatin1Char(char(n))) : QString());
        break;
    case PrintOp::SymbolType: {
        // GS Z n: 0 PDF417, 1 DataMatrix, 2 QR code, as symbol kinds of GS ( k.
        static constexpr int kKinds[] = {0, 6, 1};
        const int index = n >= '0' ? n - '0' : n;
        token = QStringLiteral("2D code type ");
        if (index >= 0 && index < int(std::size(kKinds))) {
            m_symbolType = kKinds[index];
            token += symbolName(m_symbolType);
        }
        break;
    }
    case PrintOp::SymbolPrint: {
        const qint64 size = command.size - command.bytes.size();
        token = QStringLiteral("2D code %1 %2")
                    .arg(symbolName(m_symbolType),
                         quoted(readable(command.data), size, command.data.size() == size));
        ownLine = true;
        break;
    }
    case PrintOp::Size:
        token = QStringLiteral("size %1x%2").arg(((n >> 4) & 7) + 1).arg((n & 7) + 1);
        break;
    case PrintOp::Reverse:
        token = QStringLiteral("reverse ") + onOff(n);
        break;
    case PrintOp::Cut: {
        const int m = command.number;
        const bool full = m == 0 || m == '0' || m == 'A' || m == 'a' || m == 'g';
        token =
            QStringLiteral("cut ") + (full ? QStringLiteral("full") : QStringLiteral("partial"));
        if (p.size() > 1)
            token += QStringLiteral(", feed %1").arg(at(p, 1));
        ownLine = true;
        break;
    }
    case PrintOp::Barcode: {
        const int m = command.number;
        const qint64 size = m >= 65 ? at(p, 0) : command.data.size();
        const QString text =
            m == 73 || m == 79 ? code128Text(command.data) : QString::fromLatin1(command.data);
        token = QStringLiteral("barcode %1 %2")
                    .arg(barcodeType(m), quoted(text, size, command.data.size() == size));
        ownLine = true;
        break;
    }
    case PrintOp::BarcodeHeight:
        token = QStringLiteral("barcode height ") + plural(n, "dot");
        break;
    case PrintOp::BarcodeWidth:
        token = QStringLiteral("barcode width %1").arg(n);
        break;
    case PrintOp::BarcodeText:
        token = QStringLiteral("barcode text ") +
                choice(n, {"off", "above", "below", "above and below"});
        break;
    case PrintOp::BarcodeFont:
        token = QStringLiteral("barcode text font ") + choice(n, {"A", "B", "C"});
        break;
    case PrintOp::Symbol:
        token = symbol(command, ownLine);
        break;
    case PrintOp::Graphics:
        token = graphics(command, ownLine);
        break;
    case PrintOp::RasterImage: {
        const QString mode = choice(n, {"", " double width", " double height", " quadruple"});
        token =
            QStringLiteral("image %1x%2%3").arg(little16(p, 1) * 8).arg(little16(p, 3)).arg(mode);
        ownLine = true;
        break;
    }
    case PrintOp::DefineImage:
        token = QStringLiteral("define image %1x%2").arg(n * 8).arg(at(p, 1) * 8);
        break;
    case PrintOp::PrintDefinedImage:
        token = QStringLiteral("print defined image");
        ownLine = true;
        break;
    case PrintOp::LeftMargin:
        token = QStringLiteral("left margin ") + plural(little16(p, 0), "dot");
        break;
    case PrintOp::PrintWidth:
        token = QStringLiteral("print width ") + plural(little16(p, 0), "dot");
        break;
    case PrintOp::MotionUnits:
        token = QStringLiteral("motion units %1 %2").arg(n).arg(at(p, 1));
        break;
    case PrintOp::Smoothing:
        token = QStringLiteral("smoothing ") + onOff(n);
        break;
    case PrintOp::KanjiOn:
        token = QStringLiteral("kanji on");
        break;
    case PrintOp::KanjiOff:
        token = QStringLiteral("kanji off");
        break;
    case PrintOp::KanjiMode:
        token = QStringLiteral("kanji mode 0x%1").arg(n, 2, 16, QLatin1Char('0'));
        break;
    case PrintOp::KanjiUnderline:
        token = QStringLiteral("kanji underline ") + choice(n, {"off", "on", "double"});
        break;
    case PrintOp::NvImage:
        token = QStringLiteral("nv image %1").arg(n);
        ownLine = true;
        break;
    case PrintOp::RealTimeRequest:
        token = QStringLiteral("real-time request %1").arg(command.number);
        break;
    case PrintOp::RealTimePulse:
        token =
            QStringLiteral("drawer pulse pin %1, on %2 ms").arg(n & 1 ? 5 : 2).arg(at(p, 1) * 100);
        break;
    case PrintOp::ClearBuffers:
        token = QStringLiteral("clear buffers");
        break;
    }
    if (token.endsWith(QLatin1Char(' ')))
        token += QStringLiteral("%1 ignored").arg(n); // a parameter out of range
    token = bracket(token);
    if (ownLine)
        m_out.lineToken(token);
    else
        m_out.token(token);
}

// GS ( k pL pH cn fn ...: a QR code or another two-dimensional code. Its data is stored first
// (fn 80) and printed later (fn 81); settings go in between.
QString Receipt::symbol(const ParsedCommand &command, bool &ownLine)
{
    const QByteArray &d = command.data;
    const int kind = at(d, 0) - 48;
    const int fn = at(d, 1);
    const QString name = symbolName(kind);
    const bool known = kind >= 0 && kind < kSymbolKinds;
    if (fn == 80 && known) { // store: cn fn m d1 ... dk
        const qint64 size = std::max<qint64>(command.size - 8, 0);
        m_symbols[size_t(kind)] = {d.sliced(std::min<qsizetype>(3, d.size())), size};
        return QStringLiteral("%1 store %2").arg(name, plural(int(size), "byte"));
    }
    if (fn == 81 && known) { // print
        ownLine = true;
        const StoredSymbol &stored = m_symbols[size_t(kind)];
        return QStringLiteral("%1 %2").arg(
            name, quoted(readable(stored.start), stored.size, stored.start.size() == stored.size));
    }
    if (kind == 1) {
        switch (fn) {
        case 65:
            return QStringLiteral("qr model ") + choice(at(d, 2) - 1, {"1", "2", "micro"});
        case 67:
            return QStringLiteral("qr size %1").arg(at(d, 2));
        case 69:
            return QStringLiteral("qr error ") + choice(at(d, 2), {"L", "M", "Q", "H"});
        default:
            break;
        }
    }
    return QStringLiteral("%1 function %2").arg(name).arg(fn);
}

// GS ( L pL pH m fn ... and GS 8 L p1 p2 p3 p4 m fn ...: graphics in the print buffer.
QString Receipt::graphics(const ParsedCommand &command, bool &ownLine) const
{
    const QByteArray &d = command.data;
    const int fn = at(d, 1);
    if (fn == 112) // store raster graphics: m fn a bx by c xL xH yL yH
        return QStringLiteral("graphics store %1x%2").arg(little16(d, 6)).arg(little16(d, 8));
    if (fn == 50 || fn == 2) {
        ownLine = true;
        return QStringLiteral("graphics print");
    }
    return QStringLiteral("graphics function %1, %2")
        .arg(fn)
        .arg(plural(int(command.size), "byte"));
}

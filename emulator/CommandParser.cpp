#include "CommandParser.h"

#include "PrinterSettings.h"

#include <algorithm>
#include <span>

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
constexpr char kEOT = 0x04;
constexpr char kENQ = 0x05;
constexpr char kDC4 = 0x14;

// Commands of fixed bytes, closing NULs included.
constexpr QByteArrayView kUnlock("\x1dgunl\0", 6);
constexpr QByteArrayView kLock("\x1dglck\0", 6);
constexpr QByteArrayView kSelfTestLength("\x02\x00", 2);
constexpr QByteArrayView kSelfTestData("\x00\x02", 2);
constexpr QByteArrayView kClearBuffers("\x01\x03\x14\x01\x06\x02\x08", 7);

// User-defined characters: at most three bytes to a dot column (24 dots), and only the printable
// characters may be replaced.
constexpr int kMostColumnBytes = 3;
constexpr int kFirstUserCharacter = 0x20;
constexpr int kLastUserCharacter = 0x7E;

// How the length of a command's data block follows from its parameters.
enum class Data {
    None,
    Length16,   // the last two parameters, dL dH
    Length32,   // p1 p2 p3 p4
    Raster,     // m xL xH yL yH: (xL + 256 xH) bytes by (yL + 256 yH) rows
    Columns,    // m nL nH: columns of 1 byte (m = 0, 1) or 3 bytes (m = 32, 33)
    Define,     // x y: x * 8 by y * 8 dots
    Nul,        // up to a NUL
    Characters, // y c1 c2: for each character from c1 to c2 its width x, then y * x bytes
};

// A print command of fixed form: code byte(s), parameters, maybe a data block.
struct Spec
{
    char code;
    char sub; // second code byte, 0 for none
    int parameters;
    Data data;
    PrintOp op;
};

constexpr Spec kEscSpecs[] = {
    {'@', 0, 0, Data::None, PrintOp::Initialize},
    {'!', 0, 1, Data::None, PrintOp::PrintMode},
    {'E', 0, 1, Data::None, PrintOp::Bold},
    {'-', 0, 1, Data::None, PrintOp::Underline},
    {'G', 0, 1, Data::None, PrintOp::DoubleStrike},
    {'a', 0, 1, Data::None, PrintOp::Align},
    {'M', 0, 1, Data::None, PrintOp::Font},
    {'t', 0, 1, Data::None, PrintOp::CodePage},
    {'R', 0, 1, Data::None, PrintOp::Charset},
    {'d', 0, 1, Data::None, PrintOp::FeedLines},
    {'J', 0, 1, Data::None, PrintOp::FeedDots},
    {'e', 0, 1, Data::None, PrintOp::FeedBackLines},
    {'K', 0, 1, Data::None, PrintOp::FeedBackDots},
    {'2', 0, 0, Data::None, PrintOp::LineSpacingDefault},
    {'3', 0, 1, Data::None, PrintOp::LineSpacing},
    {' ', 0, 1, Data::None, PrintOp::CharSpacing},
    {'{', 0, 1, Data::None, PrintOp::UpsideDown},
    {'V', 0, 1, Data::None, PrintOp::Rotate},
    {'$', 0, 2, Data::None, PrintOp::Position},
    {'\\', 0, 2, Data::None, PrintOp::Move},
    {'D', 0, 0, Data::Nul, PrintOp::TabStops},
    {'*', 0, 3, Data::Columns, PrintOp::BitImage},
    {'p', 0, 3, Data::None, PrintOp::DrawerPulse},
    {'=', 0, 1, Data::None, PrintOp::Peripheral},
    {'c', '0', 1, Data::None, PrintOp::PaperSelect},
    {'c', '1', 1, Data::None, PrintOp::PaperSelect},
    {'c', '3', 1, Data::None, PrintOp::PaperSelect},
    {'c', '4', 1, Data::None, PrintOp::PaperSelect},
    {'c', '5', 1, Data::None, PrintOp::PanelButtons},
    {'U', 0, 1, Data::None, PrintOp::Unidirectional},
    {'L', 0, 0, Data::None, PrintOp::PageMode},
    {'S', 0, 0, Data::None, PrintOp::StandardMode},
    {'W', 0, 8, Data::None, PrintOp::PrintArea},
    {'T', 0, 1, Data::None, PrintOp::PrintDirection},
    {'r', 0, 1, Data::None, PrintOp::Color},
    {'B', 0, 2, Data::None, PrintOp::Beep},
    {'i', 0, 0, Data::None, PrintOp::CutEsc},
    {'m', 0, 0, Data::None, PrintOp::CutEsc},
    {'%', 0, 1, Data::None, PrintOp::UserCharacters},
    {'&', 0, 3, Data::Characters, PrintOp::DefineCharacters},
    {'?', 0, 1, Data::None, PrintOp::CancelCharacter},
    {'Z', 0, 5, Data::Length16, PrintOp::SymbolPrint},
};

constexpr Spec kGsSpecs[] = {
    {'!', 0, 1, Data::None, PrintOp::Size},
    {'B', 0, 1, Data::None, PrintOp::Reverse},
    {'h', 0, 1, Data::None, PrintOp::BarcodeHeight},
    {'w', 0, 1, Data::None, PrintOp::BarcodeWidth},
    {'H', 0, 1, Data::None, PrintOp::BarcodeText},
    {'f', 0, 1, Data::None, PrintOp::BarcodeFont},
    {'8', 'L', 4, Data::Length32, PrintOp::Graphics},
    {'v', '0', 5, Data::Raster, PrintOp::RasterImage},
    {'*', 0, 2, Data::Define, PrintOp::DefineImage},
    {'/', 0, 1, Data::None, PrintOp::PrintDefinedImage},
    {'L', 0, 2, Data::None, PrintOp::LeftMargin},
    {'W', 0, 2, Data::None, PrintOp::PrintWidth},
    {'P', 0, 2, Data::None, PrintOp::MotionUnits},
    {'b', 0, 1, Data::None, PrintOp::Smoothing},
    {'Z', 0, 1, Data::None, PrintOp::SymbolType},
};

constexpr Spec kFsSpecs[] = {
    {'&', 0, 0, Data::None, PrintOp::KanjiOn},   {'.', 0, 0, Data::None, PrintOp::KanjiOff},
    {'!', 0, 1, Data::None, PrintOp::KanjiMode}, {'-', 0, 1, Data::None, PrintOp::KanjiUnderline},
    {'p', 0, 2, Data::None, PrintOp::NvImage},
};

quint8 at(QByteArrayView bytes, qsizetype index)
{
    return quint8(bytes[index]);
}

qint64 little16(QByteArrayView bytes, qsizetype from)
{
    return at(bytes, from) + 256 * qint64(at(bytes, from + 1));
}

bool isText(char c)
{
    return quint8(c) >= 0x20 && c != 0x7F;
}

} // namespace

// What the bytes at the head of the stream are.
struct CommandParser::Head
{
    enum Result { Complete, Partial, None };
    Result result = None;
    qsizetype failAt = 0; // for None: the byte that made them unknown
    DataEnd dataEnd = DataEnd::None;
    qint64 dataLength = 0; // bytes of the data block, or for DataEnd::Nul the most before a NUL

    static Head partial() { return {Partial}; }
    static Head none(qsizetype failAt) { return {None, failAt}; }
    static Head complete(DataEnd end = DataEnd::None, qint64 length = 0)
    {
        return {Complete, 0, end, length};
    }
};

void CommandParser::clear()
{
    m_head.clear();
    m_current = {};
    m_dataEnd = DataEnd::None;
    m_dataLeft = 0;
    m_charactersLeft = 0;
}

void CommandParser::finish(const Sink &sink)
{
    if (!m_head.isEmpty()) {
        sink({CommandKind::Unknown, {}, 0, {}, m_head, {}, m_head.size()});
    } else if (m_dataEnd != DataEnd::None) {
        m_current.kind = CommandKind::Incomplete;
        sink(m_current);
    }
    clear();
}

QList<ParsedCommand> CommandParser::feed(QByteArrayView bytes)
{
    QList<ParsedCommand> commands;
    feed(bytes, [&commands](const ParsedCommand &command) { commands.append(command); });
    return commands;
}

void CommandParser::feed(QByteArrayView bytes, const Sink &sink)
{
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        if (m_dataEnd != DataEnd::None) {
            pos += takeData(bytes.sliced(pos), sink);
            continue;
        }
        if (m_head.isEmpty()) {
            qsizetype end = pos;
            while (end < bytes.size() && isText(bytes[end]))
                ++end;
            if (end > pos) {
                const QByteArrayView text = bytes.sliced(pos, end - pos);
                sink({CommandKind::Text, {}, 0, {}, text.toByteArray(), {}, text.size()});
                pos = end;
                continue;
            }
        }
        m_head.append(bytes[pos++]);
        parseHead(sink);
    }
}

// Decides on the held head after each new byte: wait for more, pass a complete command on, or
// turn its malformed start into an Unknown command and look at the rest again.
void CommandParser::parseHead(const Sink &sink)
{
    ParsedCommand command;
    const Head head = match(m_head, command);
    if (head.result == Head::Partial)
        return;
    if (head.result == Head::Complete) {
        m_head.clear();
        command.size = command.bytes.size();
        if (head.dataEnd == DataEnd::None ||
            (head.dataEnd == DataEnd::Count && head.dataLength == 0)) {
            m_current = std::move(command);
            finishData(sink);
            return;
        }
        m_current = std::move(command);
        m_dataEnd = head.dataEnd;
        m_dataLeft = head.dataLength;
        if (head.dataEnd == DataEnd::Count)
            m_current.declared = m_current.size + head.dataLength;
        if (head.dataEnd == DataEnd::Characters) {
            m_charactersLeft = int(head.dataLength);
            m_columnBytes = at(m_current.value, 0);
            m_dataLeft = 0;
        }
        return;
    }

    // The unknown part runs up to the byte that made it unknown, but never takes in a control
    // byte after its first: that may start the next command.
    qsizetype length = 1;
    while (length <= head.failAt && length < m_head.size() && isText(m_head[length]))
        ++length;
    const QByteArray rest = m_head.sliced(length);
    m_head.truncate(length);
    sink({CommandKind::Unknown, {}, 0, {}, m_head, {}, m_head.size()});
    m_head.clear();
    if (!rest.isEmpty())
        feed(rest, sink);
}

qsizetype CommandParser::takeData(QByteArrayView bytes, const Sink &sink)
{
    qsizetype taken = 0;
    if (m_dataEnd == DataEnd::Characters) {
        // Nothing of it is kept: the print-out shows only which characters were defined.
        while (taken < bytes.size() && (m_dataLeft > 0 || m_charactersLeft > 0)) {
            if (m_dataLeft == 0) {
                m_dataLeft = qint64(m_columnBytes) * at(bytes, taken++);
                --m_charactersLeft;
                continue;
            }
            const qsizetype step = qsizetype(std::min<qint64>(m_dataLeft, bytes.size() - taken));
            taken += step;
            m_dataLeft -= step;
        }
        m_current.size += taken;
        if (m_dataLeft == 0 && m_charactersLeft == 0)
            finishData(sink);
        return taken;
    }
    if (m_dataEnd == DataEnd::Count) {
        taken = qsizetype(std::min<qint64>(m_dataLeft, bytes.size()));
        m_dataLeft -= taken;
    }
    qsizetype content = taken;
    if (m_dataEnd == DataEnd::Nul) {
        const QByteArrayView window =
            bytes.first(qsizetype(std::min<qint64>(m_dataLeft, bytes.size())));
        const qsizetype nul = window.indexOf('\0');
        content = nul >= 0 ? nul : window.size();
        taken = nul >= 0 ? nul + 1 : window.size();
        m_dataLeft = nul >= 0 ? 0 : m_dataLeft - taken;
    }
    const qsizetype keep = std::min(content, kKeptData - m_current.data.size());
    m_current.data.append(bytes.first(keep));
    m_current.size += taken;
    if (m_dataLeft == 0)
        finishData(sink);
    return taken;
}

void CommandParser::finishData(const Sink &sink)
{
    ParsedCommand command = std::move(m_current);
    m_current = {};
    m_dataEnd = DataEnd::None;
    if (command.kind == CommandKind::Print && command.op == PrintOp::Graphics &&
        command.bytes.startsWith("\x1d(A")) {
        // GS ( A: the test print. The printer has only the self test, GS ( A 2 0 0 2.
        const bool selfTest = command.value == kSelfTestLength && command.data == kSelfTestData;
        command.kind = selfTest ? CommandKind::SelfTest : CommandKind::Unknown;
        if (selfTest)
            command.bytes += command.data;
    } else if (command.kind == CommandKind::Print && command.op == PrintOp::Graphics &&
               command.bytes.startsWith("\x1d(") && !command.bytes.startsWith("\x1d(L")) {
        command.kind = CommandKind::Unknown; // GS ( with a function the printer does not have
    }
    sink(command);
}

// Decides what the bytes at the head of the stream (starting with a control byte) are: a complete
// command head, the start of one, or nothing the printer knows.
CommandParser::Head CommandParser::match(QByteArrayView head, ParsedCommand &command)
{
    const auto simple = [&](CommandKind kind, PrintOp op = PrintOp::LineFeed) {
        command = {kind, op, 0, {}, head.toByteArray(), {}, 0};
        return Head::complete();
    };
    switch (head[0]) {
    case kLF:
        return simple(CommandKind::Print, PrintOp::LineFeed);
    case kCR:
        return simple(CommandKind::Print, PrintOp::CarriageReturn);
    case kHT:
        return simple(CommandKind::Print, PrintOp::Tab);
    case kFF:
        return simple(CommandKind::Print, PrintOp::FormFeed);
    case kCAN:
        return simple(CommandKind::Print, PrintOp::CancelPage);
    case kESC:
    case kFS:
        return matchSpec(head, command);
    case kDLE:
        return matchRealTime(head, command);
    case kGS:
        break;
    default:
        return Head::none(0);
    }

    if (head.size() < 2)
        return Head::partial();
    switch (head[1]) {
    case 'I':
    case 'r':
    case 'a': {
        if (head.size() < 3)
            return Head::partial();
        const int n = at(head, 2);
        const CommandKind kind = head[1] == 'I'   ? CommandKind::Identify
                                 : head[1] == 'r' ? CommandKind::PaperStatus
                                                  : CommandKind::AutoStatusBack;
        const bool known = kind == CommandKind::Identify ? PrinterTables::findIdentity(n) != nullptr
                           : kind == CommandKind::PaperStatus
                               ? (n == 1 || n == 2 || n == '1' || n == '2')
                               : true;
        if (!known)
            return Head::none(2);
        command = {kind, PrintOp::LineFeed, n, {}, head.first(3).toByteArray(), {}, 0};
        return Head::complete();
    }
    case 'V':
        return matchCut(head, command);
    case 'k':
        return matchBarcode(head, command);
    case '(':
        if (head.size() < 5)
            return head.size() > 2 && !isText(head[2]) ? Head::none(2) : Head::partial();
        // GS ( fn pL pH data: QR codes, graphics, the test print and functions the printer does
        // not have; the length tells where the command ends either way.
        command = {CommandKind::Print,
                   head[2] == 'k' ? PrintOp::Symbol : PrintOp::Graphics,
                   0,
                   head.sliced(3, 2).toByteArray(),
                   head.first(5).toByteArray(),
                   {},
                   0};
        return Head::complete(DataEnd::Count, little16(head, 3));
    case 'g':
        return matchOwn(head, command);
    default:
        return matchSpec(head, command);
    }
}

// DLE EOT n, DLE ENQ n, DLE DC4 fn ...: the real-time commands.
CommandParser::Head CommandParser::matchRealTime(QByteArrayView head, ParsedCommand &command)
{
    if (head.size() < 3)
        return head.size() == 2 && head[1] != kEOT && head[1] != kENQ && head[1] != kDC4
                   ? Head::none(1)
                   : Head::partial();
    const int n = at(head, 2);
    if (head[1] == kEOT) {
        if (n < 1 || n > 4)
            return Head::none(2);
        command = {
            CommandKind::RealTimeStatus, PrintOp::LineFeed, n, {}, head.toByteArray(), {}, 0};
        return Head::complete();
    }
    if (head[1] == kENQ) {
        command = {CommandKind::Print,
                   PrintOp::RealTimeRequest,
                   n,
                   head.sliced(2).toByteArray(),
                   head.toByteArray(),
                   {},
                   0};
        return Head::complete();
    }
    // DLE DC4 1 m t pulses the drawer; DLE DC4 8 1 3 20 1 6 2 8 clears the buffers.
    const qsizetype length = n == 1 ? 5 : n == 8 ? 10 : 0;
    if (length == 0)
        return Head::none(2);
    if (head.size() < length) {
        if (n == 8 && head.sliced(3) != kClearBuffers.first(head.size() - 3))
            return Head::none(head.size() - 1);
        return Head::partial();
    }
    if (n == 8 && head.sliced(3) != kClearBuffers)
        return Head::none(length - 1);
    command = {CommandKind::Print,
               n == 1 ? PrintOp::RealTimePulse : PrintOp::ClearBuffers,
               n,
               head.sliced(3).toByteArray(),
               head.toByteArray(),
               {},
               0};
    return Head::complete();
}

// GS V m and GS V m n: the cut, without or with a paper feed first.
CommandParser::Head CommandParser::matchCut(QByteArrayView head, ParsedCommand &command)
{
    if (head.size() < 3)
        return Head::partial();
    const int m = at(head, 2);
    const bool plain = m == 0 || m == 1 || m == '0' || m == '1';
    const bool withFeed = m == 'A' || m == 'B' || m == 'a' || m == 'b' || m == 'g' || m == 'h';
    if (!plain && !withFeed)
        return Head::none(2);
    const qsizetype length = plain ? 3 : 4;
    if (head.size() < length)
        return Head::partial();
    command = {CommandKind::Print, PrintOp::Cut, m, head.sliced(2).toByteArray(),
               head.toByteArray(), {},           0};
    return Head::complete();
}

// GS k m d1 ... NUL (m = 0 to 6) and GS k m n d1 ... dn (m = 65 to 79).
CommandParser::Head CommandParser::matchBarcode(QByteArrayView head, ParsedCommand &command)
{
    if (head.size() < 3)
        return Head::partial();
    const int m = at(head, 2);
    if (m <= 6) {
        command = {CommandKind::Print, PrintOp::Barcode, m, {}, head.toByteArray(), {}, 0};
        return Head::complete(DataEnd::Nul, kLongestBarcode + 1);
    }
    if (m < 65 || m > 79)
        return Head::none(2);
    if (head.size() < 4)
        return Head::partial();
    command = {CommandKind::Print,
               PrintOp::Barcode,
               m,
               head.sliced(3).toByteArray(),
               head.toByteArray(),
               {},
               0};
    return Head::complete(DataEnd::Count, at(head, 3));
}

// The printer's own GS g commands: read and write a setting, unlock and lock.
CommandParser::Head CommandParser::matchOwn(QByteArrayView head, ParsedCommand &command)
{
    const auto whole = [&](QByteArrayView expected, CommandKind kind) {
        const qsizetype compared = std::min(head.size(), expected.size());
        for (qsizetype i = 0; i < compared; ++i)
            if (head[i] != expected[i])
                return Head::none(i);
        if (head.size() < expected.size())
            return Head::partial();
        command = {kind, PrintOp::LineFeed, 0, {}, expected.toByteArray(), {}, 0};
        return Head::complete();
    };

    if (head.size() < 3)
        return Head::partial();
    const char sub = head[2];
    if (sub == 'u')
        return whole(kUnlock, CommandKind::Unlock);
    if (sub == 'l')
        return whole(kLock, CommandKind::Lock);
    if (sub != '4' && sub != '8')
        return Head::none(2);

    if (head.size() < 4)
        return Head::partial();
    const PrinterTables::Setting *setting = PrinterTables::findSetting(at(head, 3));
    const bool write = sub == '8';
    if (!setting || (write && setting->writeLength == 0))
        return Head::none(3);
    const qsizetype valueLength = write ? setting->writeLength : 0;
    const bool endsWithNul = write || setting->readEndsWithNul;
    const qsizetype length = 4 + valueLength + (endsWithNul ? 1 : 0);
    if (head.size() < length)
        return Head::partial();
    if (endsWithNul && head[length - 1] != '\0')
        return Head::none(length - 1);
    command = {write ? CommandKind::Write : CommandKind::Read,
               PrintOp::LineFeed,
               setting->number,
               head.sliced(4, valueLength).toByteArray(),
               head.first(length).toByteArray(),
               {},
               0};
    return Head::complete();
}

// A print command of fixed form: ESC, FS or GS, code byte(s), parameters, maybe a data block.
CommandParser::Head CommandParser::matchSpec(QByteArrayView head, ParsedCommand &command)
{
    const std::span<const Spec> specs = head[0] == kESC  ? std::span<const Spec>(kEscSpecs)
                                        : head[0] == kFS ? std::span<const Spec>(kFsSpecs)
                                                         : std::span<const Spec>(kGsSpecs);
    if (head.size() < 2)
        return Head::partial();
    const auto found = std::find_if(specs.begin(), specs.end(),
                                    [&](const Spec &spec) { return spec.code == head[1]; });
    if (found == specs.end())
        return Head::none(1);
    const Spec *spec = &*found;
    if (spec->sub != 0) {
        if (head.size() < 3)
            return Head::partial();
        const auto sub = std::find_if(found, specs.end(), [&](const Spec &s) {
            return s.code == head[1] && s.sub == head[2];
        });
        if (sub == specs.end())
            return Head::none(2);
        spec = &*sub;
    }
    const qsizetype codeLength = spec->sub != 0 ? 3 : 2;
    const qsizetype length = codeLength + spec->parameters;
    if (head.size() < length)
        return Head::partial();
    const QByteArrayView parameters = head.sliced(codeLength, spec->parameters);
    command = {CommandKind::Print, spec->op, 0, parameters.toByteArray(),
               head.toByteArray(), {},       0};

    switch (spec->data) {
    case Data::None:
        return Head::complete();
    case Data::Length32: {
        qint64 length32 = 0;
        for (int i = 3; i >= 0; --i)
            length32 = length32 * 256 + at(parameters, i);
        return Head::complete(DataEnd::Count, length32);
    }
    case Data::Raster:
        return Head::complete(DataEnd::Count, little16(parameters, 1) * little16(parameters, 3));
    case Data::Columns: {
        const int m = at(parameters, 0);
        if (m != 0 && m != 1 && m != 32 && m != 33)
            return Head::none(codeLength);
        return Head::complete(DataEnd::Count, little16(parameters, 1) * (m >= 32 ? 3 : 1));
    }
    case Data::Define:
        return Head::complete(DataEnd::Count, qint64(at(parameters, 0)) * at(parameters, 1) * 8);
    case Data::Nul:
        return Head::complete(DataEnd::Nul, kMostTabStops + 1);
    case Data::Characters: {
        // y bytes to a dot column; characters c1 to c2, from the printable range.
        const int y = at(parameters, 0);
        const int first = at(parameters, 1);
        const int last = at(parameters, 2);
        if (y < 1 || y > kMostColumnBytes)
            return Head::none(codeLength);
        if (first < kFirstUserCharacter || last < first || last > kLastUserCharacter)
            return Head::none(first < kFirstUserCharacter ? codeLength + 1 : codeLength + 2);
        return Head::complete(DataEnd::Characters, last - first + 1);
    }
    case Data::Length16:
        break;
    }
    return Head::complete(DataEnd::Count, little16(parameters, spec->parameters - 2));
}

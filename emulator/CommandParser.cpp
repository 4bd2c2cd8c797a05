#include "CommandParser.h"

#include "PrintCommands.h"
#include "PrinterSettings.h"

#include <algorithm>

namespace {

constexpr char kDLE = 0x10;
constexpr char kGS = 0x1D;
constexpr char kEOT = 0x04;

// Commands of fixed bytes, closing NULs included.
constexpr QByteArrayView kUnlock("\x1dgunl\0", 6);
constexpr QByteArrayView kLock("\x1dglck\0", 6);
constexpr QByteArrayView kSelfTestLength("\x02\x00", 2);
constexpr QByteArrayView kSelfTestData("\x00\x02", 2);

// User-defined characters: at most three bytes to a dot column (24 dots), and only the printable
// characters may be replaced.
constexpr int kMostColumnBytes = 3;
constexpr int kFirstUserCharacter = 0x20;
constexpr int kLastUserCharacter = 0x7E;

// The byte at `index`, which lies inside `bytes`.
quint8 byteAt(QByteArrayView bytes, qsizetype index)
{
    return quint8(bytes[index]);
}

qint64 little16(QByteArrayView bytes, qsizetype from)
{
    return byteAt(bytes, from) + 256 * qint64(byteAt(bytes, from + 1));
}

bool isText(char c)
{
    return quint8(c) >= 0x20 && c != 0x7F;
}

// The bytes that name a print command: its introducer, code bytes and variant byte.
qsizetype codeLength(const PrintCommand &row)
{
    return 1 + qsizetype(row.code.size()) + (row.variants.empty() ? 0 : 1);
}

// How many bytes at the start of `head` agree with the row's code.
qsizetype agreement(const PrintCommand &row, QByteArrayView head)
{
    if (head[0] != row.introducer)
        return 0;
    const qsizetype code = qsizetype(row.code.size());
    qsizetype i = 1;
    for (; i < head.size() && i <= code; ++i)
        if (head[i] != row.code[size_t(i - 1)])
            return i;
    if (i == head.size() || row.variants.empty())
        return i;
    return row.variants.find(head[i]) != std::string_view::npos ? i + 1 : i;
}

} // namespace

// One of the printer's own commands of one parameter, n, and the values of n it knows.
struct CommandParser::NumberedCommand
{
    char introducer;
    char code;
    CommandKind kind;
    bool (*knows)(int n);
};

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
        sink({CommandKind::Unknown, nullptr, 0, {}, m_head, {}, m_head.size()});
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
                sink({CommandKind::Text, nullptr, 0, {}, text.toByteArray(), {}, text.size()});
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
            m_columnBytes = byteAt(m_current.value, 0);
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
    sink({CommandKind::Unknown, nullptr, 0, {}, m_head, {}, m_head.size()});
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
                m_dataLeft = qint64(m_columnBytes) * byteAt(bytes, taken++);
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
    if (command.kind == CommandKind::SelfTest) {
        // GS ( A: the test print. The printer has only the self test, GS ( A 2 0 0 2.
        const bool selfTest = command.value == kSelfTestLength && command.data == kSelfTestData;
        command.kind = selfTest ? CommandKind::SelfTest : CommandKind::Unknown;
        if (selfTest)
            command.bytes += command.data;
    }
    sink(command);
}

// Decides what the bytes at the head of the stream (starting with a control byte) are: a complete
// command head, the start of one, or nothing the printer knows.
CommandParser::Head CommandParser::match(QByteArrayView head, ParsedCommand &command)
{
    // GS I n, GS r n, GS a n, DLE EOT n.
    static constexpr NumberedCommand kNumbered[] = {
        {kGS, 'I', CommandKind::Identify,
         [](int n) { return PrinterTables::findIdentity(n) != nullptr; }},
        {kGS, 'r', CommandKind::PaperStatus,
         [](int n) { return n == 1 || n == 2 || n == '1' || n == '2'; }},
        {kGS, 'a', CommandKind::AutoStatusBack, [](int) { return true; }},
        {kDLE, kEOT, CommandKind::RealTimeStatus, [](int n) { return n >= 1 && n <= 4; }},
    };
    if (head.size() >= 2 && head[0] == kGS && head[1] == 'g')
        return matchSetting(head, command);
    for (const NumberedCommand &own : kNumbered)
        if (head.size() >= 2 && head[0] == own.introducer && head[1] == own.code)
            return matchNumbered(own, head, command);
    return matchPrint(head, command);
}

CommandParser::Head CommandParser::matchNumbered(const NumberedCommand &own, QByteArrayView head,
                                                 ParsedCommand &command)
{
    if (head.size() < 3)
        return Head::partial();
    const int n = byteAt(head, 2);
    if (!own.knows(n))
        return Head::none(2);
    command = {own.kind, nullptr, n, {}, head.first(3).toByteArray(), {}, 0};
    return Head::complete();
}

// The printer's own GS g commands: read and write a setting, unlock and lock.
CommandParser::Head CommandParser::matchSetting(QByteArrayView head, ParsedCommand &command)
{
    const auto whole = [&](QByteArrayView expected, CommandKind kind) {
        const qsizetype compared = std::min(head.size(), expected.size());
        for (qsizetype i = 0; i < compared; ++i)
            if (head[i] != expected[i])
                return Head::none(i);
        if (head.size() < expected.size())
            return Head::partial();
        command = {kind, nullptr, 0, {}, expected.toByteArray(), {}, 0};
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
    const PrinterTables::Setting *setting = PrinterTables::findSetting(byteAt(head, 3));
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
               nullptr,
               setting->number,
               head.sliced(4, valueLength).toByteArray(),
               head.first(length).toByteArray(),
               {},
               0};
    return Head::complete();
}

// A print command: the first row whose code the head holds whole; the start of one while some
// row's code goes on where the head ends; otherwise unknown from the first byte no row has there.
CommandParser::Head CommandParser::matchPrint(QByteArrayView head, ParsedCommand &command)
{
    qsizetype longest = 0;
    for (const PrintCommand &row : PrintCommands::all()) {
        const qsizetype agreed = agreement(row, head);
        if (agreed == codeLength(row))
            return matchParameters(row, head, command);
        longest = std::max(longest, agreed);
    }
    return longest == head.size() ? Head::partial() : Head::none(longest);
}

CommandParser::Head CommandParser::matchParameters(const PrintCommand &row, QByteArrayView head,
                                                   ParsedCommand &command)
{
    const qsizetype code = codeLength(row);
    if (head.size() < code + row.parameters)
        return Head::partial();
    const QByteArrayView parameters = head.sliced(code, row.parameters);
    const int variant = row.variants.empty() ? 0 : byteAt(head, code - 1);
    command = {row.kind, &row, variant, parameters.toByteArray(), head.toByteArray(), {}, 0};
    return dataBlock(row, parameters, code);
}

// Where the data block after the parameters ends, or the parameter that makes them malformed.
CommandParser::Head CommandParser::dataBlock(const PrintCommand &row, QByteArrayView parameters,
                                             qsizetype codeLength)
{
    switch (row.data) {
    case DataBlock::None:
        return Head::complete();
    case DataBlock::Length8:
        return Head::complete(DataEnd::Count, byteAt(parameters, parameters.size() - 1));
    case DataBlock::Length16:
        return Head::complete(DataEnd::Count, little16(parameters, parameters.size() - 2));
    case DataBlock::Length32: {
        qint64 length32 = 0;
        for (int i = 3; i >= 0; --i)
            length32 = length32 * 256 + byteAt(parameters, i);
        return Head::complete(DataEnd::Count, length32);
    }
    case DataBlock::Raster:
        return Head::complete(DataEnd::Count, little16(parameters, 1) * little16(parameters, 3));
    case DataBlock::Columns: {
        const int m = byteAt(parameters, 0);
        if (m != 0 && m != 1 && m != 32 && m != 33)
            return Head::none(codeLength);
        return Head::complete(DataEnd::Count, little16(parameters, 1) * (m >= 32 ? 3 : 1));
    }
    case DataBlock::Define:
        return Head::complete(DataEnd::Count,
                              qint64(byteAt(parameters, 0)) * byteAt(parameters, 1) * 8);
    case DataBlock::TabStops:
        return Head::complete(DataEnd::Nul, kMostTabStops + 1);
    case DataBlock::BarcodeText:
        return Head::complete(DataEnd::Nul, kLongestBarcode + 1);
    case DataBlock::Characters: {
        // y bytes to a dot column; characters c1 to c2, from the printable range.
        const int y = byteAt(parameters, 0);
        const int first = byteAt(parameters, 1);
        const int last = byteAt(parameters, 2);
        if (y < 1 || y > kMostColumnBytes)
            return Head::none(codeLength);
        if (first < kFirstUserCharacter || last < first || last > kLastUserCharacter)
            return Head::none(first < kFirstUserCharacter ? codeLength + 1 : codeLength + 2);
        return Head::complete(DataEnd::Characters, last - first + 1);
    }
    }
    return Head::complete();
}

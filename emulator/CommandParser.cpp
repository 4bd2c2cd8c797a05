#include "CommandParser.h"

#include "PrinterSettings.h"

#include <algorithm>

namespace {

constexpr char kGS = 0x1D;

// Commands of fixed bytes, closing NULs included.
constexpr QByteArrayView kUnlock("\x1dgunl\0", 6);
constexpr QByteArrayView kLock("\x1dglck\0", 6);
constexpr QByteArrayView kSelfTest("\x1d(A\x02\x00\x00\x02", 7);

} // namespace

QList<ParsedCommand> CommandParser::feed(QByteArrayView bytes)
{
    m_buffer.append(bytes);
    QList<ParsedCommand> commands;
    QByteArray skipped;
    const auto flushSkipped = [&] {
        if (!skipped.isEmpty()) {
            commands.append({CommandKind::Skipped, 0, {}, skipped});
            skipped.clear();
        }
    };

    qsizetype pos = 0;
    while (pos < m_buffer.size()) {
        const QByteArrayView rest = QByteArrayView(m_buffer).sliced(pos);
        ParsedCommand command;
        const Match result = rest.front() == kGS ? match(rest, command) : Match::None;
        if (result == Match::Partial)
            break;
        if (result == Match::None) {
            skipped.append(rest.front());
            ++pos;
            continue;
        }
        flushSkipped();
        pos += command.bytes.size();
        commands.append(std::move(command));
    }
    flushSkipped();
    m_buffer.remove(0, pos);
    return commands;
}

// Decides what the bytes at the head of the stream (starting with GS) are: a complete command,
// the start of one, or nothing the printer knows.
CommandParser::Match CommandParser::match(QByteArrayView head, ParsedCommand &command)
{
    const auto whole = [&](QByteArrayView expected, CommandKind kind) {
        const qsizetype compared = std::min(head.size(), expected.size());
        if (head.first(compared) != expected.first(compared))
            return Match::None;
        if (head.size() < expected.size())
            return Match::Partial;
        command = {kind, 0, {}, expected.toByteArray()};
        return Match::Complete;
    };

    if (head.size() < 2)
        return Match::Partial;
    switch (head[1]) {
    case 'I':
        if (head.size() < 3)
            return Match::Partial;
        if (!PrinterTables::findIdentity(quint8(head[2])))
            return Match::None;
        command = {CommandKind::Identify, quint8(head[2]), {}, head.first(3).toByteArray()};
        return Match::Complete;
    case '(':
        return whole(kSelfTest, CommandKind::SelfTest);
    case 'g':
        break;
    default:
        return Match::None;
    }

    if (head.size() < 3)
        return Match::Partial;
    const char sub = head[2];
    if (sub == 'u')
        return whole(kUnlock, CommandKind::Unlock);
    if (sub == 'l')
        return whole(kLock, CommandKind::Lock);
    if (sub != '4' && sub != '8')
        return Match::None;

    if (head.size() < 4)
        return Match::Partial;
    const PrinterTables::Setting *setting = PrinterTables::findSetting(quint8(head[3]));
    const bool write = sub == '8';
    if (!setting || (write && setting->writeLength == 0))
        return Match::None;
    const qsizetype valueLength = write ? setting->writeLength : 0;
    const bool endsWithNul = write || setting->readEndsWithNul;
    const qsizetype length = 4 + valueLength + (endsWithNul ? 1 : 0);
    if (head.size() < length)
        return Match::Partial;
    if (endsWithNul && head[length - 1] != '\0')
        return Match::None;
    command = {write ? CommandKind::Write : CommandKind::Read, setting->number,
               head.sliced(4, valueLength).toByteArray(), head.first(length).toByteArray()};
    return Match::Complete;
}

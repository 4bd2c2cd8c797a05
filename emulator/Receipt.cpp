#include "Receipt.h"

namespace {

QString bracket(const QString &text)
{
    return QLatin1Char('[') + text + QLatin1Char(']');
}

} // namespace

Receipt::Receipt(int defaultCodePage, bool crFeeds)
    : m_out(defaultCodePage)
    , m_state{defaultCodePage, defaultCodePage, crFeeds}
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
    case CommandKind::Incomplete:
        m_out.lineToken(bracket(PrintCommands::incomplete(command)));
        return;
    default:
        return;
    }
}

void Receipt::printPage(const QStringList &lines, bool partialCut)
{
    m_out.page(lines);
    m_out.lineToken(partialCut ? QStringLiteral("[cut partial]") : QStringLiteral("[cut full]"));
}

void Receipt::printCommand(const ParsedCommand &command)
{
    const int codePage = m_state.codePage;
    const PrintCommands::Printed printed = PrintCommands::print(command, m_state);
    if (m_state.codePage != codePage)
        m_out.setCodePage(m_state.codePage);
    switch (printed.place) {
    case Place::LineFeed:
        m_out.lineFeed();
        return;
    case Place::CarriageReturn:
        if (m_state.crFeeds)
            m_out.lineFeed();
        return;
    case Place::Inline:
        m_out.token(bracket(printed.text));
        return;
    case Place::OwnLine:
        m_out.lineToken(bracket(printed.text));
        return;
    }
}

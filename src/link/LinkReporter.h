#pragma once

#include <QString>

// Something that went wrong on the link, in the words the user is shown.
struct LinkProblem
{
    // The port or device itself, or an error that the TCP client raised during an exchange.
    enum class Source { Port, Socket };

    Source source = Source::Port;
    QString text;
    // The same in one short line, the system's own words first where there are any
    // ("Connection refused"): for a front end that prints one line per printer.
    QString reason;
};

// Where the link reports what went wrong. The window shows a message box; the command line prints.
class LinkReporter
{
public:
    virtual ~LinkReporter() = default;

    virtual void report(const LinkProblem &problem) = 0;
};

#include "CliArguments.h"
#include "CliContext.h"
#include "Commands.h"
#include "Console.h"
#include "DryRunChannel.h"
#include "ExitStatus.h"
#include "PrinterReport.h"

#include <QJsonDocument>

#include <algorithm>

int Commands::info(CliContext &context, const CliArguments &arguments)
{
    const PortArgument &port = arguments.ports.first();
    PrinterSession session(port, CliContext::sessionOptions(arguments), context.console,
                           context.resolvers);
    const TestStop stop = session.communicationTest();
    QString error = stop == TestStop::None ? QString() : session.stopReason(stop);
    // A value the printer did not answer is no value: the run fails and names it, and those the
    // link did not ask for, with the link's reason.
    if (error.isEmpty()) {
        // The maker's name went first.
        const int valuesAsked = std::max(session.channel().queriesSent() - 1, 0);
        error = PrinterReport::missingReport(session.record(), valuesAsked, session.linkProblem());
    }
    if (!error.isEmpty())
        session.tell(error);
    if (arguments.json) {
        // One object whatever happened, with what was read before the test stopped.
        QJsonObject object = PrinterReport::info(session.maker(), session.record());
        object.insert(QStringLiteral("port"), port.text());
        object.insert(QStringLiteral("error"), error.isEmpty() ? QJsonValue() : error);
        context.console.out(QString::fromUtf8(QJsonDocument(object).toJson()).trimmed());
        return error.isEmpty() ? kExitOk : kExitFailure;
    }
    // Nothing to show without a port or an answer; what was read before the test stopped is shown
    // all the same.
    if (stop == TestStop::PortOpen || session.maker().isEmpty())
        return kExitFailure;
    for (const QString &line : PrinterReport::infoLines(session.maker(), session.record()))
        context.console.out(line);
    return error.isEmpty() ? kExitOk : kExitFailure;
}

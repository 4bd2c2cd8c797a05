#include "Backup.h"
#include "CliArguments.h"
#include "CliContext.h"
#include "Commands.h"
#include "Console.h"
#include "ExitStatus.h"

#include <QJsonDocument>

int Commands::backup(CliContext &context, const CliArguments &arguments)
{
    PrinterSession session(arguments.ports.first(), CliContext::sessionOptions(arguments),
                           context.console, context.resolvers);
    const TestStop stop = session.communicationTest();
    if (stop != TestStop::None) {
        session.tell(session.stopReason(stop));
        return kExitFailure;
    }
    QString error;
    const std::optional<QJsonObject> backup = Backup::of(session.maker(), session.record(), &error);
    if (!backup) {
        session.tell(error + QStringLiteral("; no backup made"));
        return kExitFailure;
    }
    context.console.out(QString::fromUtf8(QJsonDocument(*backup).toJson()).trimmed());
    return kExitOk;
}

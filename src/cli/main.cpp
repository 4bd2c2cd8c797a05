// printer-switch: sets up NORVANTA receipt printers from a shell or a script.

#include "CliApplication.h"
#include "Console.h"
#include "ExitStatus.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

namespace {

QtMessageHandler g_qtMessages = nullptr;

// Qt's notes about the desktop session (QStandardPaths: "XDG_RUNTIME_DIR not set" when run from
// cron or over ssh) concern no printer and would only puzzle a script; other messages go on.
void withoutSessionNotes(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    g_qtMessages(type, context, text);
}

} // namespace

int main(int argc, char *argv[])
{
    g_qtMessages = qInstallMessageHandler(withoutSessionNotes);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("printer-switch"));
    QCoreApplication::setApplicationVersion(QLatin1String(PSU_VERSION));

    // Straight to the file descriptors, so that every line leaves when it is written and results
    // and messages keep their order when both go to one file.
    QFile out;
    QFile err;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return kExitFailure;
    Console console(out, err);
    return CliApplication(console, CliApplication::systemResolvers())
        .run(QCoreApplication::arguments().mid(1));
}

// printer-switch: sets up NORVANTA receipt printers from a shell or a script.

#include "Console.h"
#include "PrinterSwitch.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("printer-switch"));
    QCoreApplication::setApplicationVersion(QLatin1String(PSU_VERSION));

    // Straight to the file descriptors, so that every line leaves when it is written and results
    // and messages keep their order when both go to one file.
    QFile out;
    QFile err;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 2;
    Console console(out, err);
    return PrinterSwitch(console, PrinterSwitch::systemResolvers())
        .run(QCoreApplication::arguments().mid(1));
}

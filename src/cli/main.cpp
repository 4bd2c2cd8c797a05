// printer-switch: sets up NORVANTA receipt printers from a shell or a script.

#include "Console.h"
#include "PrinterSwitch.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("printer-switch"));
    QCoreApplication::setApplicationVersion(QLatin1String(PSU_VERSION));

    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 2;
    Console console(out, err);
    return PrinterSwitch(console, PrinterSwitch::systemResolvers())
        .run(QCoreApplication::arguments().mid(1));
}

#include "MainWindow.h"
#include "MessageBoxPrompter.h"
#include "PrinterLink.h"
#include "QtDesktopShell.h"
#include "SystemEventPump.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("printer-switch-utility"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("printer-switch-utility"));

    MessageBoxPrompter prompter;
    QtDesktopShell shell;
    SystemEventPump pump;
    MainWindow window(prompter, shell, pump, PrinterLink::systemDevices());
    window.show();
    return QApplication::exec();
}

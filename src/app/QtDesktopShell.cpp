#include "QtDesktopShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

void QtDesktopShell::quit()
{
    QApplication::quit();
}

void QtDesktopShell::openHelp(const QString &path)
{
    // The desktop starts its viewer for plain text as a program of its own; a missing viewer
    // leaves the call without effect, and the window shows nothing about it.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

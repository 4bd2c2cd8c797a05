#pragma once

#include <QString>

// What the window asks of the desktop: ending the program and showing the help file. The
// program uses the desktop's own services; tests record the requests.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;

    // Ends the program.
    virtual void quit() = 0;
    // Shows the help file in the desktop's text viewer and returns at once. A viewer that cannot
    // be started is not reported.
    virtual void openHelp(const QString &path) = 0;
};

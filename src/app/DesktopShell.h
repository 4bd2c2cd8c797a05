#pragma once

#include <QString>

#include <functional>

class QObject;

// What the window asks of the desktop: ending the program and showing the help file. The
// program uses the desktop's own services; tests record the requests.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;

    // Ends the program.
    virtual void quit() = 0;
    // Shows the help file in the desktop's text viewer and returns at once. When the desktop
    // cannot show it (no viewer, or the viewer fails), `cannotShow` runs, at once or later, as
    // long as `context` still exists.
    virtual void openHelp(const QString &path, QObject *context,
                          std::function<void()> cannotShow) = 0;
};

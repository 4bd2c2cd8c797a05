#pragma once

#include "DesktopShell.h"

// The desktop services of the running application. On Windows the help file goes to Notepad. On
// Linux it goes to xdg-open, whose exit status tells whether a viewer took it; elsewhere, or
// without xdg-open, to QDesktopServices.
class QtDesktopShell : public DesktopShell
{
public:
    void quit() override;
    void openHelp(const QString &path, QObject *context, std::function<void()> cannotShow) override;
};

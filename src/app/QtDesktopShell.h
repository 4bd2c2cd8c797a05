#pragma once

#include "DesktopShell.h"

// The desktop services of the running application. On Linux the help file goes to xdg-open,
// whose exit status tells whether a viewer took it; elsewhere, or without xdg-open, to
// QDesktopServices.
class QtDesktopShell : public DesktopShell
{
public:
    void quit() override;
    void openHelp(const QString &path, QObject *context, std::function<void()> cannotShow) override;
};

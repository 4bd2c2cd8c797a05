#pragma once

#include "DesktopShell.h"

// The desktop services of the running application.
class QtDesktopShell : public DesktopShell
{
public:
    void quit() override;
    void openHelp(const QString &path) override;
};

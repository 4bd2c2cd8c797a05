#pragma once

#include "DesktopShell.h"

#include <QStringList>

// Counts the requests to end the program and keeps the help files it was asked to show; shows
// them, or cannot, as the test says.
class RecordingShell : public DesktopShell
{
public:
    void quit() override { ++quitCount; }
    void openHelp(const QString &path, QObject *, std::function<void()> cannotShow) override
    {
        openedHelp.append(path);
        if (!showsHelp)
            cannotShow();
    }

    int quitCount = 0;
    QStringList openedHelp;
    // False: the desktop cannot show the help file.
    bool showsHelp = true;
};

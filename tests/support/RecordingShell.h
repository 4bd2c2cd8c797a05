#pragma once

#include "DesktopShell.h"

#include <QStringList>

// Counts the requests to end the program and keeps the help files it was asked to show; shows
// them, or cannot, as the test says.
class RecordingShell : public DesktopShell
{
public:
    void quit() override;
    void openHelp(const QString &path, QObject *context, std::function<void()> cannotShow) override;

    int quitCount = 0;
    QStringList openedHelp;
    // False: the desktop cannot show the help file.
    bool showsHelp = true;
};

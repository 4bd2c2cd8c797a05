#pragma once

#include "DesktopShell.h"

#include <QStringList>

// Counts the requests to end the program and keeps the help files it was asked to show.
class RecordingShell : public DesktopShell
{
public:
    void quit() override;
    void openHelp(const QString &path) override;

    int quitCount = 0;
    QStringList openedHelp;
};

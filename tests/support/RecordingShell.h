#pragma once

#include "DesktopShell.h"

#include <QString>

// Counts the requests to end the program; shows no help.
class RecordingShell : public DesktopShell
{
public:
    void quit() override { ++quitCount; }
    void openHelp(const QString &, QObject *, std::function<void()>) override {}

    int quitCount = 0;
};

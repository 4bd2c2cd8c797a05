#include "RecordingShell.h"

void RecordingShell::quit()
{
    ++quitCount;
}

void RecordingShell::openHelp(const QString &path)
{
    openedHelp.append(path);
}

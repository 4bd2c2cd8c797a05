#include "RecordingShell.h"

void RecordingShell::quit()
{
    ++quitCount;
}

void RecordingShell::openHelp(const QString &path, QObject *, std::function<void()> cannotShow)
{
    openedHelp.append(path);
    if (!showsHelp)
        cannotShow();
}

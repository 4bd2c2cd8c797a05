#include "RecordingPrompter.h"

void RecordingPrompter::inform(const QString &text, const QString &title)
{
    shown.append({text, title});
}

bool RecordingPrompter::ask(const QString &text, const QString &title)
{
    shown.append({text, title});
    return answers.isEmpty() || answers.takeFirst();
}

QStringList RecordingPrompter::texts() const
{
    QStringList result;
    for (const Shown &box : shown)
        result.append(box.text);
    return result;
}

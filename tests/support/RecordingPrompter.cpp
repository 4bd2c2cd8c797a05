#include "RecordingPrompter.h"

void RecordingPrompter::inform(const QString &text, const QString &title)
{
    shown.append({text, title, false});
    if (whileShown)
        whileShown(text);
}

bool RecordingPrompter::ask(const QString &text, const QString &title)
{
    shown.append({text, title, true});
    if (whileShown)
        whileShown(text);
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QStringList RecordingPrompter::texts() const
{
    QStringList result;
    for (const Shown &box : shown)
        result.append(box.text);
    return result;
}

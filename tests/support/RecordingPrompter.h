#pragma once

#include "Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

// Keeps every message box the program asks for, in order, and answers questions from a script;
// once the script has run out, every question gets Yes.
class RecordingPrompter : public Prompter
{
public:
    struct Shown
    {
        QString text;
        QString title;
    };

    void inform(const QString &text, const QString &title) override { shown.append({text, title}); }
    bool ask(const QString &text, const QString &title) override
    {
        shown.append({text, title});
        return answers.isEmpty() || answers.takeFirst();
    }

    // The texts shown, in order.
    QStringList texts() const
    {
        QStringList result;
        for (const Shown &box : shown)
            result.append(box.text);
        return result;
    }

    QList<Shown> shown;
    QList<bool> answers;
};

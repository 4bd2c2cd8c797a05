#pragma once

#include "Prompter.h"

#include <QList>
#include <QString>

// Keeps every message box it is asked to show and answers questions from a script (Yes once the
// script has run out).
class RecordingPrompter : public Prompter
{
public:
    struct Shown
    {
        QString text;
        QString title;
        bool question;
    };

    void inform(const QString &text, const QString &title) override
    {
        shown.append({text, title, false});
    }

    bool ask(const QString &text, const QString &title) override
    {
        shown.append({text, title, true});
        return answers.isEmpty() ? true : answers.takeFirst();
    }

    QList<Shown> shown;
    QList<bool> answers;
};

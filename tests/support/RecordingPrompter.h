#pragma once

#include "Prompter.h"

#include <QList>
#include <QString>

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

    void inform(const QString &text, const QString &title) override;
    bool ask(const QString &text, const QString &title) override;

    // The texts shown, in order.
    QStringList texts() const;

    QList<Shown> shown;
    QList<bool> answers;
};

#pragma once

#include <QString>

// The application's own title, carried by every message box that has no title of its own.
inline QString appTitle()
{
    return QStringLiteral("KV_SW_Utility");
}

// Modal notices and questions for the user. The window shows them as message boxes without an
// icon: inform() with an OK button only, ask() with Yes and No. Tests record the texts and
// answer from a script.
class Prompter
{
public:
    virtual ~Prompter() = default;

    virtual void inform(const QString &text, const QString &title) = 0;
    // Returns true for Yes.
    virtual bool ask(const QString &text, const QString &title) = 0;
};

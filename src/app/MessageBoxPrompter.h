#pragma once

#include "Prompter.h"

// Message boxes without an icon over the active window: an OK button for notices, Yes and No
// for questions. Texts are shown as plain text, so that names in angle brackets stay visible.
class MessageBoxPrompter : public Prompter
{
public:
    void inform(const QString &text, const QString &title) override;
    bool ask(const QString &text, const QString &title) override;
};

#pragma once

#include "SettingsModel.h"
#include "SwitchTypes.h"

#include <QString>

// What the command set tells its front end while it works: each accepted reply for the log
// history, notices for the user, and which value of the settings model a query has just filled,
// so that a window can show it at once. The values themselves are in the model.
class CommandReport
{
public:
    virtual ~CommandReport() = default;

    virtual void AppendLog(const QString &text) = 0;
    // A notice for the user, shown with an OK button and the application's title.
    virtual void showMessage(const QString &text) = 0;
    // A switch query has ended; `read` tells whether the model took a byte from it.
    virtual void switchQueried(SwitchByte sw, bool read) = 0;
    // An information query filled row `index` of `group`.
    virtual void infoFilled(InfoGroup group, int index) = 0;
};

#pragma once

#include "PrinterResult.h"
#include "SettingRequest.h"

#include <QList>

class PrinterSession;

// Plans the settings against what the communication test of the session read and writes them as
// the window does, or, on a dry run, only makes the commands. Each write is made only when the
// link proves in step and the setting, read again after that proof, is what the plan started
// from; the written settings are then read back and the link proved in step again, and the
// result says for each change what the printer holds. A printer that a stop signal reached
// before its first write is left alone.
PrinterResult applySettings(PrinterSession &session, const QList<SettingRequest> &settings,
                            bool dryRun);

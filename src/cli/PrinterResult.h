#pragma once

#include "ChangePlan.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

class PrinterSession;

// What became of one printer in set, restore or scan, for a result line and a JSON line:
// {"port": ..., "result": "ok"|"unchanged"|"failed"|"refused"|"interrupted",
//  "changes": [{"setting": "SW2", "from": 37, "to": 129, "written": true}], "error": null}
// and for scan also "maker" and "model".
struct PrinterResult
{
    enum class Kind { Ok, Unchanged, Failed, Refused, Interrupted };

    QString port;
    Kind kind = Kind::Failed;
    QList<SettingChange> changes;
    int writtenSteps = 0;      // the changes whose step is below this reached the printer
    QString error;             // Failed, Refused, Interrupted: why, in a few words
    QList<QByteArray> dryRun;  // a dry run's commands, held back
    bool writeStarted = false; // a write was sent, so the printer wants a power cycle
    QJsonObject more;          // further members of the JSON line (scan: maker, model)

    static PrinterResult failed(const QString &port, Kind kind, const QString &error);
    static QString kindName(Kind kind);

    bool isWritten(const SettingChange &change) const;
    QJsonObject json() const;
    // "tcp:10.1.2.4:9100 ok SW2 235->37", "COM3 unchanged", "COM4 failed: no answer".
    QString line() const;
};

// Plans the settings against what the communication test of the session read and writes them as
// the window does, or, on a dry run, only makes the commands. A printer that a stop signal reached
// before its first write is left alone.
PrinterResult applySettings(PrinterSession &session, const QList<SettingRequest> &settings,
                            bool dryRun);

// The line for standard error when a stop signal ended a run over `results` (printers not
// started are Interrupted): which printers were finished, which were left untouched, and that
// none is left unlocked.
QString stopLine(int signal, const QList<PrinterResult> &results);

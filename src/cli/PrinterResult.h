#pragma once

#include "ChangePlan.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

class PrinterSession;

// What became of one printer in set, restore or scan, for a result line and a JSON line:
// {"port": ..., "result": "ok"|"unchanged"|"failed"|"refused"|"interrupted",
//  "changes": [{"setting": "SW2", "from": 37, "to": 129, "written": true, "state": "written"}],
//  "error": null}
// and for scan also "maker" and "model". A change's state says what the printer holds: "written"
// when it was read back, "not written" when the printer holds the old value (or nothing was
// sent), "unknown" when the link ended after the bytes went out and nothing read back told; the
// error says why.
struct PrinterResult
{
    enum class Kind { Ok, Unchanged, Failed, Refused, Interrupted };
    enum class State { NotWritten, Written, Unknown };

    QString port;
    Kind kind = Kind::Failed;
    QList<SettingChange> changes;
    QList<State> states;       // by step of the changes; a step not listed is not written
    QString error;             // Failed, Refused, Interrupted: why, in a few words
    QList<QByteArray> dryRun;  // a dry run's commands, held back
    bool writeStarted = false; // a write was sent
    QJsonObject more;          // further members of the JSON line (scan: maker, model)

    static PrinterResult failed(const QString &port, Kind kind, const QString &error);
    static QString kindName(Kind kind);
    static QString stateName(State state);

    State state(const SettingChange &change) const;
    bool isWritten(const SettingChange &change) const;
    // A change was read back as written, so the printer wants a power cycle.
    bool anyWritten() const;
    QJsonObject json() const;
    // "tcp:10.1.2.4:9100 ok SW2 235->37", "COM3 unchanged", "COM4 failed: no answer".
    QString line() const;
};

// The line for standard error when a stop signal ended a run over `results` (printers not
// started are Interrupted): which printers were finished, which were left untouched, and that
// none is left unlocked.
QString stopLine(int signal, const QList<PrinterResult> &results);

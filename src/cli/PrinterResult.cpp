#include "PrinterResult.h"

#include "InterruptGuard.h"
#include "PrinterSession.h"
#include "SettingsWriter.h"

#include <QJsonArray>

PrinterResult PrinterResult::failed(const QString &port, Kind kind, const QString &error)
{
    PrinterResult result;
    result.port = port;
    result.kind = kind;
    result.error = error;
    return result;
}

QString PrinterResult::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Ok:
        return QStringLiteral("ok");
    case Kind::Unchanged:
        return QStringLiteral("unchanged");
    case Kind::Failed:
        break;
    case Kind::Refused:
        return QStringLiteral("refused");
    case Kind::Interrupted:
        return QStringLiteral("interrupted");
    }
    return QStringLiteral("failed");
}

bool PrinterResult::isWritten(const SettingChange &change) const
{
    return change.step < writtenSteps;
}

QJsonObject PrinterResult::json() const
{
    QJsonArray entries;
    for (const SettingChange &change : changes)
        entries.append(QJsonObject{
            {QStringLiteral("setting"), change.setting},
            {QStringLiteral("from"), change.from ? QJsonValue(*change.from) : QJsonValue()},
            {QStringLiteral("to"), change.to},
            {QStringLiteral("written"), isWritten(change)},
        });
    QJsonObject object{
        {QStringLiteral("port"), port},
        {QStringLiteral("result"), kindName(kind)},
        {QStringLiteral("changes"), entries},
        {QStringLiteral("error"), error.isEmpty() ? QJsonValue() : QJsonValue(error)},
    };
    for (auto it = more.constBegin(); it != more.constEnd(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QString PrinterResult::line() const
{
    QStringList entries{port, kindName(kind)};
    if (kind == Kind::Ok) {
        for (const SettingChange &change : changes)
            entries << ChangePlan::summary(change);
        return entries.join(u' ');
    }
    if (kind == Kind::Unchanged)
        return entries.join(u' ');
    return entries.join(u' ') + QStringLiteral(": ") + error;
}

PrinterResult applySettings(PrinterSession &session, const QList<SettingRequest> &settings,
                            bool dryRun)
{
    using Kind = PrinterResult::Kind;
    const QString port = session.port().text();
    const ChangePlan plan = ChangePlan::make(session.record(), settings);
    if (!plan.refusal.isEmpty())
        return PrinterResult::failed(port, Kind::Refused, plan.refusal);
    PrinterResult result;
    result.port = port;
    result.changes = plan.changes();
    result.kind = plan.isEmpty() ? Kind::Unchanged : Kind::Ok;
    if (plan.isEmpty())
        return result;
    SettingsWriter writer(session);
    if (dryRun) {
        result.dryRun = writer.dryRun(plan);
        if (result.dryRun.isEmpty()) {
            result.kind = Kind::Failed;
            result.error = writer.failure();
        }
        return result;
    }
    if (InterruptGuard::interrupted())
        return PrinterResult::failed(port, Kind::Interrupted,
                                     QStringLiteral("stopped before it was written"));
    result.writeStarted = true;
    const bool written = writer.write(plan) && writer.readBack(plan);
    result.writtenSteps = writer.written();
    if (!written) {
        // What reached the printer before the failure is said first, so that nobody takes the
        // printer for unchanged.
        QStringList done;
        for (const SettingChange &change : result.changes) {
            if (result.isWritten(change))
                done << ChangePlan::summary(change);
        }
        result.kind = Kind::Failed;
        result.error =
            done.isEmpty()
                ? writer.failure()
                : QStringLiteral("%1 written; %2").arg(done.join(u' '), writer.failure());
    }
    return result;
}

QString stopLine(int signal, const QList<PrinterResult> &results)
{
    QStringList finished;
    QStringList untouched;
    for (const PrinterResult &result : results)
        (result.kind == PrinterResult::Kind::Interrupted ? untouched : finished) << result.port;
    const auto list = [](const QStringList &ports) {
        return ports.isEmpty() ? QStringLiteral("none") : ports.join(QStringLiteral(", "));
    };
    return QStringLiteral("printer-switch: stopped by %1; finished: %2; untouched: %3; no printer "
                          "is left unlocked")
        .arg(InterruptGuard::signalName(signal), list(finished), list(untouched));
}

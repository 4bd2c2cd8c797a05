#include "ApplySettings.h"

#include "InterruptGuard.h"
#include "PrinterSession.h"
#include "SettingsWriter.h"

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
    writer.write(plan);
    writer.readBack(plan);
    result.states = writer.states();
    if (writer.failure().isEmpty())
        return result;
    // What the printer holds is said first, so that nobody takes the printer for unchanged.
    QStringList done;
    for (const SettingChange &change : result.changes) {
        if (result.isWritten(change))
            done << ChangePlan::summary(change);
    }
    result.kind = Kind::Failed;
    result.error = done.isEmpty()
                       ? writer.failure()
                       : QStringLiteral("%1 written; %2").arg(done.join(u' '), writer.failure());
    return result;
}

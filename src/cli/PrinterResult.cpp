#include "PrinterResult.h"

#include "InterruptGuard.h"

#include <QJsonArray>

#include <algorithm>

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

QString PrinterResult::stateName(State state)
{
    switch (state) {
    case State::NotWritten:
        break;
    case State::Written:
        return QStringLiteral("written");
    case State::Unknown:
        return QStringLiteral("unknown");
    }
    return QStringLiteral("not written");
}

PrinterResult::State PrinterResult::state(const SettingChange &change) const
{
    return change.step < states.size() ? states.at(change.step) : State::NotWritten;
}

bool PrinterResult::isWritten(const SettingChange &change) const
{
    return state(change) == State::Written;
}

bool PrinterResult::anyWritten() const
{
    return std::any_of(changes.cbegin(), changes.cend(),
                       [this](const SettingChange &change) { return isWritten(change); });
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
            {QStringLiteral("state"), stateName(state(change))},
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

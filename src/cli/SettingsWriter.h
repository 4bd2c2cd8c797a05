#pragma once

#include "ChangePlan.h"
#include "PrinterResult.h"

#include <QByteArray>
#include <QList>
#include <QString>

class PrinterSession;

// Writes a plan to the printer of a session exactly as the window writes a page: each switch
// byte with its own unlock, write and lock, then the language settings with theirs, each after
// the link proved in step and the setting was read again; then reads the written settings back
// and proves the link in step once more, so that each write's state says what the printer holds.
class SettingsWriter
{
public:
    explicit SettingsWriter(PrinterSession &session);

    // Sends the plan's writes, up to the first that was not made or whose link ended, which is
    // then named by failure(); its lock has still been sent.
    void write(const ChangePlan &plan);
    // Reads back what the writes sent and proves the link in step: each sent write is then
    // written, not written (the printer holds the old value) or unknown, named by failure().
    void readBack(const ChangePlan &plan);
    // The commands the plan's writes would send, sent nowhere; none when one of the writes would
    // not be made, which is then named by failure().
    QList<QByteArray> dryRun(const ChangePlan &plan);

    // Why not every write is written, in a few words; empty when all are.
    QString failure() const;
    // The state of each of the plan's writes (ChangePlan::changes' steps) that was sent.
    QList<PrinterResult::State> states() const;

private:
    void addFailure(const QString &failure);
    // Reads back write `step` of the plan; `why` says what was read when it is not written.
    PrinterResult::State readBackStep(const ChangePlan &plan, qsizetype step, QString &why);
    PrinterResult::State readBackSwitch(const SwitchChange &change, QString &why);
    PrinterResult::State readBackLanguage(const LanguageChange &change, QString &why);

    PrinterSession &m_session;
    QString m_failure;
    QList<PrinterResult::State> m_states;
    // The last read-back got no answer: the link may have ended.
    bool m_unanswered = false;
};

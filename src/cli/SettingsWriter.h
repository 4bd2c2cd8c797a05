#pragma once

#include "ChangePlan.h"

#include <QByteArray>
#include <QList>
#include <QString>

class PrinterSession;

// Writes a plan to the printer of a session exactly as the window writes a page: each switch
// byte with its own unlock, write and lock, then the language settings with theirs; then reads
// the written settings back.
class SettingsWriter
{
public:
    explicit SettingsWriter(PrinterSession &session);

    // Sends the plan's writes. False at the first one that did not reach the printer, which is
    // then named by failure(); its lock has still been sent.
    bool write(const ChangePlan &plan);
    // Reads back what the plan wrote; false when the printer does not hold it.
    bool readBack(const ChangePlan &plan);
    // The commands the plan's writes would send, sent nowhere; none when one of the writes would
    // not be made, which is then named by failure().
    QList<QByteArray> dryRun(const ChangePlan &plan);

    QString failure() const;
    // How many of the plan's writes (ChangePlan::changes' steps) reached the printer.
    int written() const;

private:
    PrinterSession &m_session;
    QString m_failure;
    int m_written = 0;
};

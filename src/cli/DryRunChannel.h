#pragma once

#include "CommandChannel.h"

#include <QByteArray>
#include <QList>

// The link as printer-switch's command set uses it: every command goes to the printer, except
// that while writes are held back (a dry run) the commands that expect no reply are kept instead
// of sent. Queries always go, so that what a dry run shows is worked out from the printer.
class DryRunChannel : public CommandChannel
{
public:
    explicit DryRunChannel(CommandChannel &link);

    void holdWrites(bool hold);
    // The commands held back since the last call.
    QList<QByteArray> takeHeld();

    // The queries that went out before the first one that did not (the link refused it: it is
    // closed, or gave up on a printer whose answers fell behind).
    int queriesSent() const;

    bool SendCommand(const QByteArray &command, QString &reply) override;
    bool SendClosingCommand(const QByteArray &command) override;

private:
    CommandChannel &m_link;
    bool m_holding = false;
    QList<QByteArray> m_held;
    int m_queriesSent = 0;
    bool m_queryRefused = false;
};

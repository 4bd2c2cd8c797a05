#pragma once

#include "CommandParser.h"
#include "PrinterSettings.h"

#include <QByteArray>
#include <QString>

// What the printer did with one parsed command.
struct Exchange
{
    CommandKind kind = CommandKind::Skipped;
    QByteArray reply;     // the bytes it answers with; empty when it does not answer
    QString line;         // one readable line for the operator ("write SW2 = 129")
    bool changed = false; // a stored setting took a new value
};

// The printer's state as a client may want to inspect it.
struct PrinterSnapshot
{
    PrinterSettings settings;
    bool locked = true;
    int selfTests = 0;
    qint64 skippedBytes = 0;
    qint64 commands = 0; // commands recognised, skipped bytes not counted
};

// The emulated printer: its settings, the lock that guards them, and the effect of every command
// of its command set. Pure: no I/O, no timers.
class Printer
{
public:
    explicit Printer(PrinterSettings settings);

    Exchange execute(const ParsedCommand &command);

    const PrinterSettings &settings() const { return m_snapshot.settings; }
    const PrinterSnapshot &snapshot() const { return m_snapshot; }

    // The text of the self-test page, as the printer would print it now.
    QString selfTestPage() const;

private:
    Exchange identify(int number) const;
    Exchange read(int number) const;
    Exchange write(int number, const QByteArray &value);

    PrinterSnapshot m_snapshot;
};

#pragma once

#include "CommandParser.h"
#include "PrinterSettings.h"
#include "PrinterStatus.h"
#include "Receipt.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the printer did with one parsed command.
struct Exchange
{
    CommandKind kind = CommandKind::Unknown;
    QByteArray reply;     // the bytes it answers with; empty when it does not answer
    QString line;         // one readable line for the operator ("write SW2 = 129"); empty for
                          // what only prints
    bool changed = false; // a stored setting took a new value
    QStringList printed;  // print-out lines this command finished
};

// The printer's state as a client may want to inspect it.
struct PrinterSnapshot
{
    PrinterSettings settings;
    bool locked = true;
    int selfTests = 0;
    qint64 skippedBytes = 0; // unknown bytes
    qint64 commands = 0;     // commands recognised; text and unknown bytes not counted
    PrinterStatus status;
};

// The emulated printer: its settings, the lock that guards them, its sensors, the paper it prints
// on, and the effect of every command it knows. Pure: no I/O, no timers.
class Printer
{
public:
    explicit Printer(PrinterSettings settings, PrinterStatus status = {});

    Exchange execute(const ParsedCommand &command);

    // The sensors report a new state. Returns the groups of automatic status back whose bytes
    // changed (PrinterStatus::Group).
    int setStatus(const PrinterStatus &status);
    // Ends a job: the line not yet ended by a line feed is printed.
    QStringList finishJob();

    const PrinterSettings &settings() const { return m_snapshot.settings; }
    const PrinterSnapshot &snapshot() const { return m_snapshot; }
    const PrinterStatus &status() const { return m_snapshot.status; }

    // The settings page the self test prints now.
    QStringList selfTestPage() const;

private:
    Exchange run(const ParsedCommand &command);
    Exchange identify(int number) const;
    Exchange read(int number) const;
    Exchange write(int number, const QByteArray &value);
    Exchange status(const ParsedCommand &command) const;

    PrinterSnapshot m_snapshot;
    Receipt m_receipt;
};

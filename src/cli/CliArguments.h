#pragma once

#include "AddressRange.h"
#include "PortArgument.h"
#include "SerialSettings.h"
#include "SettingRequest.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// The command line of printer-switch: a command and its options, checked.
struct CliArguments
{
    enum class Outcome { Run, Help, Version, Error };

    Outcome outcome = Outcome::Error;
    QString error;                     // Error: what is wrong
    QString command;                   // "ports", "info", "set", ...; empty before one is named
    QList<PortArgument> ports;         // --port, in the order given
    SerialSettings serial;             // --baud, --parity, --handshake
    bool json = false;                 // info --json
    bool dryRun = false;               // set --dry-run
    QList<SettingRequest> settings;    // set SETTING...
    QString file;                      // restore FILE
    std::optional<AddressRange> range; // scan RANGE
    int jobs = 0;                      // restore, scan
    quint16 tcpPort = 9100;            // scan --tcp-port
    std::chrono::milliseconds timeout{300}; // scan --timeout

    // `arguments` without the program's name.
    static CliArguments parse(const QStringList &arguments);

    // The help of a command, or of the program when `command` is no command.
    static QString helpText(const QString &command);
    // "printer-switch 1.1.0".
    static QString versionText();
};

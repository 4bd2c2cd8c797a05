#pragma once

#include "AddressRange.h"
#include "PortArgument.h"
#include "ReplyReader.h"
#include "SerialSettings.h"
#include "SettingRequest.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

struct SubcommandSpec;

// The command line of printer-switch: a command and its options, checked against the command
// table.
struct CliArguments
{
    enum class Outcome { Run, Help, Version, Error };

    Outcome outcome = Outcome::Error;
    QString error;                           // Error: what is wrong
    const SubcommandSpec *command = nullptr; // nothing before a known command is named
    QList<PortArgument> ports;               // --port, in the order given
    SerialSettings serial;                   // --baud, --parity, --handshake
    bool serialGiven = false;                // one of them was given
    bool json = false;                       // --json
    bool dryRun = false;                     // set --dry-run
    bool meanings = false;                   // set --meanings
    QList<SettingRequest> settings;          // set SETTING...
    QString file;                            // restore FILE ("-": standard input)
    std::optional<AddressRange> range;       // scan RANGE
    int jobs = 0;                            // restore, scan
    quint16 tcpPort = 9100;                  // scan --tcp-port
    std::chrono::milliseconds timeout{300};  // scan --timeout
    // --reply-timeout: how long a printer may take to begin an answer.
    std::chrono::milliseconds replyTimeout{kWindowReplyTimeout};

    // `arguments` without the program's name.
    static CliArguments parse(const QStringList &arguments);

    // The help of a command, or of the program for none.
    static QString helpText(const SubcommandSpec *command);
    // "printer-switch 1.1.0".
    static QString versionText();
};

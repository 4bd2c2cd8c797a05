#pragma once

#include "Emulator.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

// What the program was asked to do.
struct ProgramOptions
{
    EmulatorOptions emulator;
    bool tcp = false;
    QHostAddress tcpAddress{QHostAddress::LocalHost};
    quint16 tcpPort = 9100;
    bool pty = false;
    QString ptyLink;  // empty: no symbolic link
    QString printLog; // where the print-out goes; empty for standard error
};

struct CommandLine
{
    enum class Outcome { Run, Help, Version, Error };

    Outcome outcome = Outcome::Run;
    ProgramOptions options;
    QString error; // for Outcome::Error, one readable line

    // `arguments` as QCoreApplication::arguments() gives them, program name first. Reads the
    // state file named by --state, so that its stored settings sit between the model's defaults
    // and the settings given on the command line.
    static CommandLine parse(const QStringList &arguments);
    static QString helpText();
    // "printer-emulator 1.1.0"
    static QString versionText();
};

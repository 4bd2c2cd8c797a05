#pragma once

#include <QString>
#include <QStringList>

#include <span>

struct CliArguments;
struct CliContext;

// The options of printer-switch's commands, as bits of CommandSpec::options.
enum OptionSet : unsigned {
    kPort = 1u << 0,
    kSerial = 1u << 1, // --baud, --parity, --handshake
    kJson = 1u << 2,
    kDryRun = 1u << 3,
    kJobs = 1u << 4,
    kTcpPort = 1u << 5,
    kTimeout = 1u << 6,
    kMeanings = 1u << 7,
};

struct OptionSpec
{
    const char *name;
    unsigned set;
    const char *valueName; // nullptr: a flag
    const char *help;
    // Takes the option's value into the arguments; false, with `error` set, when it is no value
    // of the option.
    bool (*take)(CliArguments &arguments, const QString &value, QString *error);
};

// One command: its name, help, options, arguments and the function that runs it.
struct CommandSpec
{
    const char *name;
    const char *usage;
    const char *summary;
    const char *description;
    unsigned options = 0;
    int minPorts = 0;
    int maxPorts = 0;                 // -1: any number
    const char *positional = nullptr; // the name of the arguments after the command
    int minPositional = 0;
    int maxPositional = 0; // -1: any number
    int defaultJobs = 0;
    // Takes the arguments after the command; false, with `error` set, when one is wrong.
    bool (*takePositionals)(CliArguments &arguments, const QStringList &values,
                            QString *error) = nullptr;
    // Runs the command; returns its exit status.
    int (*run)(CliContext &context, const CliArguments &arguments) = nullptr;
};

std::span<const OptionSpec> optionTable();
std::span<const CommandSpec> commandTable();
const CommandSpec *findCommand(const QString &name);

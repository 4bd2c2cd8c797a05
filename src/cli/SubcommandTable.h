#pragma once

#include <QString>
#include <QStringList>

#include <span>

struct CliArguments;
struct CliContext;

// An option of printer-switch's subcommands. The options several subcommands take are in
// SharedOptions; each subcommand declares its own beside it.
struct OptionSpec
{
    const char *name;
    const char *valueName; // nullptr: a flag
    const char *help;
    // Takes the option's value into the arguments; false, with `error` set, when it is no value
    // of the option.
    bool (*take)(CliArguments &arguments, const QString &value, QString *error);
    // The rest of the help, where it is a text kept elsewhere; nullptr for none.
    QString (*moreHelp)();
};

// One subcommand: its name, help, options, arguments and the function that runs it. Each subcommand
// declares its own in its file (Subcommands.h).
struct SubcommandSpec
{
    const char *name;
    const char *usage;
    const char *summary;
    const char *description;
    std::span<const OptionSpec *const> options{}; // in the order the help lists them
    int minPorts = 0;
    int maxPorts = 0;                 // -1: any number
    const char *positional = nullptr; // the name of the arguments after the subcommand
    int minPositional = 0;
    int maxPositional = 0; // -1: any number
    int defaultJobs = 0;
    // Takes the arguments after the subcommand; false, with `error` set, when one is wrong.
    bool (*takePositionals)(CliArguments &arguments, const QStringList &values,
                            QString *error) = nullptr;
    // Runs the subcommand; returns its exit status.
    int (*run)(CliContext &context, const CliArguments &arguments) = nullptr;
};

// The subcommands, in the order the help lists them.
std::span<const SubcommandSpec *const> subcommandTable();
const SubcommandSpec *findSubcommand(const QString &name);
// Every option of every subcommand, once each.
QList<const OptionSpec *> everyOption();

#include "CliArguments.h"

#include "SubcommandTable.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cstring>

namespace {

// Word-wraps `text` at 79 columns, each line indented by `indent`.
QString wrapped(const QString &text, int indent, int firstIndent = -1)
{
    QStringList lines;
    QString line(firstIndent < 0 ? indent : firstIndent, u' ');
    bool empty = true;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!empty && line.size() + 1 + word.size() > 79) {
            lines << line;
            line = QString(indent, u' ');
            empty = true;
        }
        line += (empty ? QString() : QStringLiteral(" ")) + word;
        empty = false;
    }
    lines << line;
    return lines.join(u'\n');
}

QString optionHelp(const OptionSpec &option)
{
    const QString name =
        QStringLiteral("  --") + QLatin1String(option.name) +
        (option.valueName ? QLatin1Char(' ') + QLatin1String(option.valueName) : QString());
    const QString help = QLatin1String(option.help) +
                         (option.moreHelp ? QLatin1Char(' ') + option.moreHelp() : QString());
    const int column = 24;
    if (name.size() < column - 1)
        return wrapped(help, column, column - int(name.size())).prepend(name);
    return name + u'\n' + wrapped(help, column);
}

CliArguments failed(CliArguments result, const QString &error)
{
    result.outcome = CliArguments::Outcome::Error;
    result.error = error;
    return result;
}

// The options and arguments after the command, checked against the command's entry in the table.
CliArguments parseCommand(CliArguments result, const QStringList &arguments)
{
    const SubcommandSpec &command = *result.command;
    const QString name = QLatin1String(command.name);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Every command's options are known, so that one of another command is named as such.
    const QList<const OptionSpec *> options = everyOption();
    for (const OptionSpec *option : options) {
        parser.addOption(option->valueName
                             ? QCommandLineOption(QLatin1String(option->name), QString(),
                                                  QLatin1String(option->valueName))
                             : QCommandLineOption(QLatin1String(option->name)));
    }
    if (!parser.parse(QStringList{QStringLiteral("printer-switch")} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return failed(result, parser.errorText());
        return failed(result,
                      QStringLiteral("unknown option %1%2")
                          .arg(unknown.first().size() == 1 ? u"-" : u"--", unknown.first()));
    }

    QString error;
    for (const OptionSpec *option : options) {
        const QString optionName = QLatin1String(option->name);
        if (!parser.isSet(optionName))
            continue;
        if (std::find(command.options.begin(), command.options.end(), option) ==
            command.options.end())
            return failed(result, QStringLiteral("--%1 is no option of %2").arg(optionName, name));
        const QStringList values =
            option->valueName ? parser.values(optionName) : QStringList{QString()};
        for (const QString &value : values) {
            if (!option->take(result, value, &error))
                return failed(result, error);
        }
    }

    const QStringList values = parser.positionalArguments();
    if (values.size() < command.minPositional)
        return failed(result,
                      QStringLiteral("%1 needs %2").arg(name, QLatin1String(command.positional)));
    if (command.maxPositional >= 0 && values.size() > command.maxPositional)
        return failed(result, QStringLiteral("%1 takes no argument \"%2\"")
                                  .arg(name, values.at(command.maxPositional)));
    if (command.takePositionals && !command.takePositionals(result, values, &error))
        return failed(result, error);

    if (result.ports.size() < command.minPorts)
        return failed(result, QStringLiteral("%1 needs --port").arg(name));
    if (command.maxPorts >= 0 && result.ports.size() > command.maxPorts)
        return failed(result, QStringLiteral("%1 takes one --port").arg(name));
    // The serial settings are for serial ports; on ports of other kinds they would go unused.
    if (result.serialGiven &&
        std::none_of(result.ports.cbegin(), result.ports.cend(),
                     [](const PortArgument &port) { return port.kind == PortKind::Serial; }))
        return failed(result, QStringLiteral("--baud, --parity and --handshake set up a serial "
                                             "port; %1 is none")
                                  .arg(result.ports.first().text()));
    if (result.meanings && !result.json)
        return failed(result, QStringLiteral("--meanings goes with --json"));
    if (result.jobs == 0)
        result.jobs = command.defaultJobs;
    result.outcome = CliArguments::Outcome::Run;
    return result;
}

} // namespace

CliArguments CliArguments::parse(const QStringList &arguments)
{
    CliArguments result;
    // --help and --version win over everything else; the help is the command's when one is named.
    // The command comes first.
    const bool commandFirst = !arguments.isEmpty() && !arguments.first().startsWith(u'-');
    if (commandFirst)
        result.command = findSubcommand(arguments.first());
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        result.outcome = Outcome::Help;
        return result;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        result.outcome = Outcome::Version;
        return result;
    }
    if (!commandFirst)
        return failed(result,
                      QStringLiteral("the command comes first: printer-switch COMMAND [OPTIONS]"));
    if (!result.command)
        return failed(result, QStringLiteral("unknown command \"%1\"").arg(arguments.first()));
    return parseCommand(result, arguments.mid(1));
}

QString CliArguments::helpText(const SubcommandSpec *command)
{
    QStringList text;
    if (!command) {
        text << QStringLiteral("Usage: printer-switch COMMAND [OPTIONS]") << QString()
             << wrapped(QStringLiteral("Sets up NORVANTA POS receipt printers (KV-4100, "
                                       "ZEPHYR-550) from a shell or a script, one printer or a "
                                       "whole fleet, with the link, command set and switch "
                                       "tables of the Printer Software Switch Utility."),
                        0)
             << QString() << QStringLiteral("Commands:");
        for (const SubcommandSpec *spec : subcommandTable())
            text << QStringLiteral("  %1%2")
                        .arg(QLatin1String(spec->name), -12)
                        .arg(QLatin1String(spec->summary));
        text << QString() << QStringLiteral("Arguments of the commands:");
        for (const SubcommandSpec *spec : subcommandTable()) {
            const QString arguments = QLatin1String(spec->usage).mid(qsizetype(strlen(spec->name)));
            text << QStringLiteral("  %1%2")
                        .arg(QLatin1String(spec->name), -12)
                        .arg(arguments.isEmpty() ? QStringLiteral("(none)") : arguments.trimmed());
        }
        text << QString()
             << wrapped(QStringLiteral("--port P is %1; a serial port also takes --baud, --parity "
                                       "and --handshake.")
                            .arg(PortArgument::formsHelp()),
                        0);
        text << QString() << QStringLiteral("Options of every command:")
             << QStringLiteral("  --help                show the help of the command")
             << QStringLiteral("  --version             show the version") << QString()
             << QStringLiteral("Run printer-switch COMMAND --help for the options of a command.");
    } else {
        text << QStringLiteral("Usage: printer-switch %1").arg(QLatin1String(command->usage))
             << QString() << wrapped(QLatin1String(command->description), 0) << QString()
             << QStringLiteral("Options:");
        for (const OptionSpec *option : command->options)
            text << optionHelp(*option);
        text << QStringLiteral("  --help                show this help")
             << QStringLiteral("  --version             show the version");
    }
    text << QString()
         << wrapped(QStringLiteral("Exit status: 0 on success, 1 when a printer failed or "
                                   "refused or the output could not be written, 2 on bad usage, "
                                   "128 + N when signal N stopped the run (every printer being "
                                   "written is finished and locked first). Results go to "
                                   "standard output, messages to standard error."),
                    0);
    return text.join(u'\n');
}

QString CliArguments::versionText()
{
    return QStringLiteral("printer-switch ") + QLatin1String(PSU_VERSION);
}

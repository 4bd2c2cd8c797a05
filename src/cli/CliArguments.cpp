#include "CliArguments.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The options a command may take.
enum OptionSet : unsigned {
    kPort = 1u << 0,
    kSerial = 1u << 1, // --baud, --parity, --handshake
    kJson = 1u << 2,
    kDryRun = 1u << 3,
    kJobs = 1u << 4,
    kTcpPort = 1u << 5,
    kTimeout = 1u << 6,
};

struct OptionSpec
{
    const char *name;
    unsigned set;
    const char *valueName; // nullptr: a flag
    const char *help;
};

constexpr std::array kOptions{
    OptionSpec{"port", kPort, "P",
               "the printer's port: tcp:HOST[:PORT] (port 9100 when left out), COMn (COM1 to "
               "COM16, as in the window's port list), a device path such as /dev/ttyUSB0, or "
               "LPT1"},
    OptionSpec{"baud", kSerial, "RATE", "serial baud rate: 115200 (default), 38400, 19200 or 9600"},
    OptionSpec{"parity", kSerial, "none|even", "serial parity (default none)"},
    OptionSpec{"handshake", kSerial, "dtr|xon",
               "serial handshake: dtr for DTR/DSR (default), xon for XON/XOFF"},
    OptionSpec{"json", kJson, nullptr, "print one JSON object"},
    OptionSpec{"dry-run", kDryRun, nullptr,
               "read the printer, print the bytes the writes would send, in hex, and send no "
               "write"},
    OptionSpec{"jobs", kJobs, "N", "printers worked on at once, 1 to 256"},
    OptionSpec{"tcp-port", kTcpPort, "PORT", "the TCP port tried on every address (default 9100)"},
    OptionSpec{"timeout", kTimeout, "MS",
               "how long a connection may take, 1 to 60000 milliseconds (default 300)"},
};

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
};

constexpr std::array kCommands{
    CommandSpec{.name = "ports",
                .usage = "ports",
                .summary = "list the serial ports and the printer device",
                .description = "One line per COM entry of the window's port list: its name, the "
                               "device it leads to (\"no device\" when there is none) and a "
                               "description where the system has one; then LPT1."},
    CommandSpec{.name = "info",
                .usage = "info --port P [--json]",
                .summary = "show what a printer is and holds",
                .description =
                    "Runs the communication test's queries in the window's order (maker first; "
                    "a printer of another maker stops it) and prints the printer information, "
                    "the language information and the switch bytes of the model with the "
                    "meaning of every switch.",
                .options = kPort | kSerial | kJson,
                .minPorts = 1,
                .maxPorts = 1},
    CommandSpec{.name = "set",
                .usage = "set --port P [--dry-run] SETTING...",
                .summary = "change switches and language",
                .description =
                    "SETTING is SW1=N, SW2=N, SW3=N (0 to 255), SWn.k=ON|OFF (switch k of byte "
                    "n), codepage=N or charset=N (numbers from the window's lists). The printer "
                    "is read first; a switch byte its model does not have or that could not be "
                    "read, a number that is not in the lists and a printer of another maker are "
                    "refused, and nothing is written then. Every changed byte, and the language "
                    "settings, are written as the window writes them (unlock, write, lock), read "
                    "back and compared.",
                .options = kPort | kSerial | kDryRun,
                .minPorts = 1,
                .maxPorts = 1,
                .positional = "SETTING",
                .minPositional = 1,
                .maxPositional = -1},
    CommandSpec{.name = "backup",
                .usage = "backup --port P",
                .summary = "print a printer's settings as JSON",
                .description = "Prints {\"maker\": ..., \"model\": ..., \"switches\": {\"SW2\": "
                               "37, ...}, \"codePage\": 17, \"charset\": 12} for restore.",
                .options = kPort | kSerial,
                .minPorts = 1,
                .maxPorts = 1},
    CommandSpec{.name = "restore",
                .usage = "restore FILE --port P [--port P2 ...] [--jobs N]",
                .summary = "apply a backup to printers",
                .description =
                    "Applies the backup in FILE to every printer given, each as set would, up "
                    "to N at once (default 8; printers on TCP side by side, on one serial port "
                    "one at a time). A printer whose maker or model differs from the backup's is "
                    "refused. One result line per printer, then N ok, N unchanged, N failed.",
                .options = kPort | kSerial | kJobs,
                .minPorts = 1,
                .maxPorts = -1,
                .positional = "FILE",
                .minPositional = 1,
                .maxPositional = 1,
                .defaultJobs = 8},
    CommandSpec{.name = "scan",
                .usage = "scan RANGE [--tcp-port PORT] [--jobs N] [--timeout MS]",
                .summary = "find printers on a network range",
                .description =
                    "RANGE is A.B.C.D/NN or A.B.C.D-A.B.C.E, at most 4096 addresses. Every "
                    "address is tried on the TCP port and asked for its maker; one line per "
                    "address where a printer answers (its port, maker and model), then a "
                    "summary. Up to N addresses at once (default 64).",
                .options = kJobs | kTcpPort | kTimeout,
                .positional = "RANGE",
                .minPositional = 1,
                .maxPositional = 1,
                .defaultJobs = 64},
    CommandSpec{.name = "selftest",
                .usage = "selftest --port P",
                .summary = "print the self-test page",
                .description = "Runs the communication test, then sends the self-test command.",
                .options = kPort | kSerial,
                .minPorts = 1,
                .maxPorts = 1},
};

const CommandSpec *findCommand(const QString &name)
{
    const auto it = std::find_if(kCommands.cbegin(), kCommands.cend(), [&name](const auto &spec) {
        return name == QLatin1String(spec.name);
    });
    return it == kCommands.cend() ? nullptr : &*it;
}

const OptionSpec *findOption(const QString &name)
{
    const auto it = std::find_if(kOptions.cbegin(), kOptions.cend(), [&name](const auto &spec) {
        return name == QLatin1String(spec.name);
    });
    return it == kOptions.cend() ? nullptr : &*it;
}

std::optional<int> boundedNumber(const QString &text, int low, int high)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int number = text.toInt();
    if (number < low || number > high)
        return std::nullopt;
    return number;
}

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
    const int column = 24;
    if (name.size() < column - 1)
        return wrapped(QLatin1String(option.help), column, column - int(name.size())).prepend(name);
    return name + u'\n' + wrapped(QLatin1String(option.help), column);
}

class Parser
{
public:
    explicit Parser(CliArguments &result)
        : m_result(result)
    {}

    bool fail(const QString &error)
    {
        m_result.outcome = CliArguments::Outcome::Error;
        m_result.error = error;
        return false;
    }

    bool option(const CommandSpec &command, const OptionSpec &spec, const QString &value)
    {
        const QString name = QStringLiteral("--") + QLatin1String(spec.name);
        if ((command.options & spec.set) == 0)
            return fail(
                QStringLiteral("%1 is no option of %2").arg(name, QLatin1String(command.name)));
        const QString which = QLatin1String(spec.name);
        QString error;
        if (which == QLatin1String("port")) {
            const std::optional<PortArgument> port = PortArgument::parse(value, &error);
            if (!port)
                return fail(QStringLiteral("--port %1").arg(error));
            m_result.ports << *port;
        } else if (which == QLatin1String("baud")) {
            const std::optional<int> rate = boundedNumber(value, 0, 115200);
            constexpr std::array rates{BaudRate::Baud115200, BaudRate::Baud38400,
                                       BaudRate::Baud19200, BaudRate::Baud9600};
            const auto known = std::find_if(rates.cbegin(), rates.cend(), [&rate](BaudRate r) {
                return rate && int(r) == *rate;
            });
            if (known == rates.cend())
                return fail(QStringLiteral("--baud is 115200, 38400, 19200 or 9600"));
            m_result.serial.baudRate = *known;
        } else if (which == QLatin1String("parity")) {
            if (value != QLatin1String("none") && value != QLatin1String("even"))
                return fail(QStringLiteral("--parity is none or even"));
            m_result.serial.parity = value == QLatin1String("even") ? Parity::Even : Parity::None;
        } else if (which == QLatin1String("handshake")) {
            if (value != QLatin1String("dtr") && value != QLatin1String("xon"))
                return fail(QStringLiteral("--handshake is dtr or xon"));
            m_result.serial.handshake =
                value == QLatin1String("xon") ? Handshake::XonXoff : Handshake::DtrDsr;
        } else if (which == QLatin1String("json")) {
            m_result.json = true;
        } else if (which == QLatin1String("dry-run")) {
            m_result.dryRun = true;
        } else if (which == QLatin1String("jobs")) {
            const std::optional<int> jobs = boundedNumber(value, 1, 256);
            if (!jobs)
                return fail(QStringLiteral("--jobs is a number from 1 to 256"));
            m_result.jobs = *jobs;
        } else if (which == QLatin1String("tcp-port")) {
            const std::optional<int> port = boundedNumber(value, 1, 65535);
            if (!port)
                return fail(QStringLiteral("--tcp-port is a number from 1 to 65535"));
            m_result.tcpPort = quint16(*port);
        } else if (which == QLatin1String("timeout")) {
            const std::optional<int> timeout = boundedNumber(value, 1, 60000);
            if (!timeout)
                return fail(QStringLiteral("--timeout is a number of milliseconds from 1 to "
                                           "60000"));
            m_result.timeout = std::chrono::milliseconds(*timeout);
        }
        return true;
    }

    bool positionals(const CommandSpec &command, const QStringList &values)
    {
        const QString name = QLatin1String(command.name);
        if (values.size() < command.minPositional)
            return fail(QStringLiteral("%1 needs %2").arg(name, QLatin1String(command.positional)));
        if (command.maxPositional >= 0 && values.size() > command.maxPositional)
            return fail(QStringLiteral("%1 takes no argument \"%2\"")
                            .arg(name, values.at(command.maxPositional)));
        QString error;
        if (name == QLatin1String("set")) {
            for (const QString &value : values) {
                const std::optional<SettingRequest> setting = SettingRequest::parse(value, &error);
                if (!setting)
                    return fail(error);
                m_result.settings << *setting;
            }
        } else if (name == QLatin1String("restore")) {
            m_result.file = values.at(0);
        } else if (name == QLatin1String("scan")) {
            m_result.range = AddressRange::parse(values.at(0), &error);
            if (!m_result.range)
                return fail(error);
        }
        return true;
    }

    bool ports(const CommandSpec &command)
    {
        const QString name = QLatin1String(command.name);
        if (m_result.ports.size() < command.minPorts)
            return fail(QStringLiteral("%1 needs --port").arg(name));
        if (command.maxPorts >= 0 && m_result.ports.size() > command.maxPorts)
            return fail(QStringLiteral("%1 takes one --port").arg(name));
        return true;
    }

private:
    CliArguments &m_result;
};

} // namespace

CliArguments CliArguments::parse(const QStringList &arguments)
{
    CliArguments result;
    Parser parser(result);

    // --help and --version win over everything else; the help is the command's when one is named.
    // The command comes first.
    const auto firstWord = arguments.isEmpty() || arguments.first().startsWith(u'-')
                               ? arguments.cend()
                               : arguments.cbegin();
    if (firstWord != arguments.cend() && findCommand(*firstWord))
        result.command = *firstWord;
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        result.outcome = Outcome::Help;
        return result;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        result.outcome = Outcome::Version;
        return result;
    }
    if (firstWord == arguments.cend()) {
        parser.fail(QStringLiteral("the command comes first: printer-switch COMMAND [OPTIONS]"));
        return result;
    }
    const CommandSpec *command = findCommand(*firstWord);
    if (!command) {
        parser.fail(QStringLiteral("unknown command \"%1\"").arg(*firstWord));
        return result;
    }

    QStringList values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i == firstWord - arguments.cbegin())
            continue;
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            values << argument;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        const OptionSpec *spec = findOption(name);
        if (!spec) {
            parser.fail(QStringLiteral("unknown option --%1").arg(name));
            return result;
        }
        QString value;
        if (spec->valueName && equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (spec->valueName) {
            if (i + 1 >= arguments.size()) {
                parser.fail(QStringLiteral("--%1 needs a value %2")
                                .arg(name, QLatin1String(spec->valueName)));
                return result;
            }
            value = arguments.at(++i);
        } else if (equals >= 0) {
            parser.fail(QStringLiteral("--%1 takes no value").arg(name));
            return result;
        }
        if (!parser.option(*command, *spec, value))
            return result;
    }
    if (!parser.positionals(*command, values) || !parser.ports(*command))
        return result;
    if (result.jobs == 0)
        result.jobs = command->defaultJobs;
    result.outcome = Outcome::Run;
    return result;
}

QString CliArguments::helpText(const QString &commandName)
{
    const CommandSpec *command = findCommand(commandName);
    QStringList text;
    if (!command) {
        text << QStringLiteral("Usage: printer-switch COMMAND [OPTIONS]") << QString()
             << wrapped(QStringLiteral("Sets up NORVANTA POS receipt printers (KV-4100, "
                                       "ZEPHYR-550) from a shell or a script, one printer or a "
                                       "whole fleet, with the link, command set and switch "
                                       "tables of the Printer Software Switch Utility."),
                        0)
             << QString() << QStringLiteral("Commands:");
        for (const CommandSpec &spec : kCommands)
            text << QStringLiteral("  %1%2")
                        .arg(QLatin1String(spec.name), -12)
                        .arg(QLatin1String(spec.summary));
        text << QString() << QStringLiteral("Arguments of the commands:");
        for (const CommandSpec &spec : kCommands) {
            const QString arguments = QLatin1String(spec.usage).mid(qsizetype(strlen(spec.name)));
            text << QStringLiteral("  %1%2")
                        .arg(QLatin1String(spec.name), -12)
                        .arg(arguments.isEmpty() ? QStringLiteral("(none)") : arguments.trimmed());
        }
        text << QString()
             << wrapped(QStringLiteral("--port P is tcp:HOST[:PORT] (port 9100 when left out), "
                                       "COMn (COM1 to COM16), a device path such as "
                                       "/dev/ttyUSB0, or LPT1; a serial port also takes --baud, "
                                       "--parity and --handshake."),
                        0);
        text << QString() << QStringLiteral("Options of every command:")
             << QStringLiteral("  --help                show the help of the command")
             << QStringLiteral("  --version             show the version") << QString()
             << QStringLiteral("Run printer-switch COMMAND --help for the options of a command.");
    } else {
        text << QStringLiteral("Usage: printer-switch %1").arg(QLatin1String(command->usage))
             << QString() << wrapped(QLatin1String(command->description), 0) << QString()
             << QStringLiteral("Options:");
        for (const OptionSpec &option : kOptions) {
            if (command->options & option.set)
                text << optionHelp(option);
        }
        text << QStringLiteral("  --help                show this help")
             << QStringLiteral("  --version             show the version");
    }
    text << QString()
         << wrapped(QStringLiteral("Exit status: 0 on success, 1 when a printer failed or "
                                   "refused, 2 on bad usage. Results go to standard output, "
                                   "messages to standard error."),
                    0);
    return text.join(u'\n');
}

QString CliArguments::versionText()
{
    return QStringLiteral("printer-switch ") + QLatin1String(PSU_VERSION);
}

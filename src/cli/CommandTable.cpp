#include "CommandTable.h"

#include "CliArguments.h"
#include "Commands.h"
#include "PlatformDevices.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

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

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

bool takePort(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<PortArgument> port =
        PortArgument::parse(value, error, PlatformDevices::namesPrinterPorts());
    if (!port)
        return fail(error, QStringLiteral("--port %1").arg(*error));
    arguments.ports << *port;
    return true;
}

bool takeBaud(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> rate = boundedNumber(value, 0, 115200);
    constexpr std::array rates{BaudRate::Baud115200, BaudRate::Baud38400, BaudRate::Baud19200,
                               BaudRate::Baud9600};
    const auto known = std::find_if(rates.cbegin(), rates.cend(),
                                    [&rate](BaudRate r) { return rate && int(r) == *rate; });
    if (known == rates.cend())
        return fail(error, QStringLiteral("--baud is 115200, 38400, 19200 or 9600"));
    arguments.serial.baudRate = *known;
    arguments.serialGiven = true;
    return true;
}

bool takeParity(CliArguments &arguments, const QString &value, QString *error)
{
    if (value != QLatin1String("none") && value != QLatin1String("even"))
        return fail(error, QStringLiteral("--parity is none or even"));
    arguments.serial.parity = value == QLatin1String("even") ? Parity::Even : Parity::None;
    arguments.serialGiven = true;
    return true;
}

bool takeHandshake(CliArguments &arguments, const QString &value, QString *error)
{
    if (value != QLatin1String("dtr") && value != QLatin1String("xon"))
        return fail(error, QStringLiteral("--handshake is dtr or xon"));
    arguments.serial.handshake =
        value == QLatin1String("xon") ? Handshake::XonXoff : Handshake::DtrDsr;
    arguments.serialGiven = true;
    return true;
}

bool takeJson(CliArguments &arguments, const QString &, QString *)
{
    arguments.json = true;
    return true;
}

bool takeDryRun(CliArguments &arguments, const QString &, QString *)
{
    arguments.dryRun = true;
    return true;
}

bool takeJobs(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> jobs = boundedNumber(value, 1, 256);
    if (!jobs)
        return fail(error, QStringLiteral("--jobs is a number from 1 to 256"));
    arguments.jobs = *jobs;
    return true;
}

bool takeTcpPort(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> port = boundedNumber(value, 1, 65535);
    if (!port)
        return fail(error, QStringLiteral("--tcp-port is a number from 1 to 65535"));
    arguments.tcpPort = quint16(*port);
    return true;
}

bool takeTimeout(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> timeout = boundedNumber(value, 1, 60000);
    if (!timeout)
        return fail(error, QStringLiteral("--timeout is a number of milliseconds from 1 to 60000"));
    arguments.timeout = std::chrono::milliseconds(*timeout);
    return true;
}

// SW2=37 and SW2=38, or SW2=37 and SW2.3=OFF, ask for one switch twice.
bool overlaps(const SettingRequest &a, const SettingRequest &b)
{
    using Kind = SettingRequest::Kind;
    const bool aSwitch = a.kind == Kind::SwitchByte || a.kind == Kind::Switch;
    const bool bSwitch = b.kind == Kind::SwitchByte || b.kind == Kind::Switch;
    if (aSwitch != bSwitch)
        return false;
    if (!aSwitch)
        return a.kind == b.kind;
    return a.sw == b.sw &&
           (a.kind == Kind::SwitchByte || b.kind == Kind::SwitchByte || a.number == b.number);
}

bool takeSettings(CliArguments &arguments, const QStringList &values, QString *error)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        const std::optional<SettingRequest> setting = SettingRequest::parse(values.at(i), error);
        if (!setting)
            return false;
        for (qsizetype before = 0; before < i; ++before) {
            if (overlaps(arguments.settings.at(before), *setting))
                return fail(error, QStringLiteral("%1: the same setting is already given as %2")
                                       .arg(values.at(i), values.at(before)));
        }
        arguments.settings << *setting;
    }
    return true;
}

bool takeFile(CliArguments &arguments, const QStringList &values, QString *)
{
    arguments.file = values.at(0);
    return true;
}

bool takeRange(CliArguments &arguments, const QStringList &values, QString *error)
{
    arguments.range = AddressRange::parse(values.at(0), error);
    return arguments.range.has_value();
}

constexpr std::array kOptions{
    OptionSpec{"port", kPort, "P",
               "the printer's port: tcp:HOST[:PORT] (port 9100 when left out), COMn (COM1 to "
               "COM16, as in the window's port list), a serial device path such as "
               "/dev/ttyUSB0, or LPT1; on Windows also a USB printer's own port, USB001 and "
               "on, as ports lists them",
               takePort},
    OptionSpec{"baud", kSerial, "RATE", "serial baud rate: 115200 (default), 38400, 19200 or 9600",
               takeBaud},
    OptionSpec{"parity", kSerial, "none|even", "serial parity (default none)", takeParity},
    OptionSpec{"handshake", kSerial, "dtr|xon",
               "serial handshake: dtr for DTR/DSR (default), xon for XON/XOFF", takeHandshake},
    OptionSpec{"json", kJson, nullptr,
               "results as JSON: info one object, the others one object per printer and line",
               takeJson},
    OptionSpec{"dry-run", kDryRun, nullptr,
               "read the printer, show what would change (in text also the bytes the writes "
               "would send, in hex) and send no write",
               takeDryRun},
    OptionSpec{"jobs", kJobs, "N", "printers worked on at once, 1 to 256", takeJobs},
    OptionSpec{"tcp-port", kTcpPort, "PORT", "the TCP port tried on every address (default 9100)",
               takeTcpPort},
    OptionSpec{"timeout", kTimeout, "MS",
               "how long a connection may take, 1 to 60000 milliseconds (default 300)",
               takeTimeout},
};

constexpr std::array kCommands{
    CommandSpec{.name = "ports",
                .usage = "ports",
                .summary = "list the serial ports and the printer device",
                .description = "One line per COM entry of the window's port list: its name, the "
                               "device it leads to (\"no device\" when there is none) and a "
                               "description where the system has one; then LPT1; then, on "
                               "Windows, every USB printer: its port (USB001) and the device "
                               "ID it gives of itself.",
                .run = Commands::ports},
    CommandSpec{.name = "info",
                .usage = "info --port P [--json]",
                .summary = "show what a printer is and holds",
                .description =
                    "Runs the communication test's queries in the window's order (maker first; "
                    "a printer of another maker stops it) and prints the printer information, "
                    "the language information and the switch bytes of the model with the "
                    "meaning of every switch. With --json one object, always with \"port\" and "
                    "\"error\" (null, or why the printer could not be read to the end).",
                .options = kPort | kSerial | kJson,
                .minPorts = 1,
                .maxPorts = 1,
                .run = Commands::info},
    CommandSpec{.name = "set",
                .usage = "set --port P [--dry-run] [--json] SETTING...",
                .summary = "change switches and language",
                .description =
                    "SETTING is SW1=N, SW2=N, SW3=N (0 to 255), SWn.k=ON|OFF (switch k of byte "
                    "n), codepage=N or charset=N (numbers from the window's lists), each setting "
                    "once. The printer is read first; a switch byte its model does not have or "
                    "that could not be read, a number that is not in the lists and a printer of "
                    "another maker are refused, and nothing is written then. Every changed byte, "
                    "and the language settings, are written as the window writes them (unlock, "
                    "write, lock), read back and compared.",
                .options = kPort | kSerial | kDryRun | kJson,
                .minPorts = 1,
                .maxPorts = 1,
                .positional = "SETTING",
                .minPositional = 1,
                .maxPositional = -1,
                .takePositionals = takeSettings,
                .run = Commands::set},
    CommandSpec{.name = "backup",
                .usage = "backup --port P",
                .summary = "print a printer's settings as JSON",
                .description = "Prints {\"maker\": ..., \"model\": ..., \"switches\": {\"SW2\": "
                               "37, ...}, \"codePage\": 17, \"charset\": 12} for restore.",
                .options = kPort | kSerial,
                .minPorts = 1,
                .maxPorts = 1,
                .run = Commands::backup},
    CommandSpec{.name = "restore",
                .usage = "restore FILE|- --port P [--port P2 ...] [--jobs N] [--json]",
                .summary = "apply a backup to printers",
                .description =
                    "Applies the backup in FILE (a regular file of at most 64 KiB; - for "
                    "standard input) to every printer given, each as set would, up to N at once "
                    "(default 8; printers on TCP side by side, on one serial port one at a "
                    "time). A printer whose maker or model differs from the backup's is "
                    "refused. One result line per printer (with --json one JSON object per "
                    "line, and the summary on standard error), then N ok, N unchanged, N "
                    "failed, and the refused and interrupted ones where there are any.",
                .options = kPort | kSerial | kJobs | kJson,
                .minPorts = 1,
                .maxPorts = -1,
                .positional = "FILE",
                .minPositional = 1,
                .maxPositional = 1,
                .defaultJobs = 8,
                .takePositionals = takeFile,
                .run = Commands::restore},
    CommandSpec{.name = "scan",
                .usage = "scan RANGE [--tcp-port PORT] [--jobs N] [--timeout MS] [--json]",
                .summary = "find printers on a network range",
                .description =
                    "RANGE is A.B.C.D/NN or A.B.C.D-A.B.C.E, at most 4096 addresses. Every "
                    "address is tried on the TCP port and asked for its maker; one line per "
                    "address where a printer answers (its port, maker and model), then a "
                    "summary. Up to N addresses at once (default 256, so that a range where "
                    "closed ports refuse at once takes about as long as a port scanner).",
                .options = kJobs | kTcpPort | kTimeout | kJson,
                .positional = "RANGE",
                .minPositional = 1,
                .maxPositional = 1,
                .defaultJobs = 256,
                .takePositionals = takeRange,
                .run = Commands::scan},
    CommandSpec{.name = "selftest",
                .usage = "selftest --port P",
                .summary = "print the self-test page",
                .description = "Runs the communication test, then sends the self-test command.",
                .options = kPort | kSerial,
                .minPorts = 1,
                .maxPorts = 1,
                .run = Commands::selftest},
};

} // namespace

std::span<const OptionSpec> optionTable()
{
    return kOptions;
}

std::span<const CommandSpec> commandTable()
{
    return kCommands;
}

const CommandSpec *findCommand(const QString &name)
{
    const auto it = std::find_if(kCommands.cbegin(), kCommands.cend(), [&name](const auto &spec) {
        return name == QLatin1String(spec.name);
    });
    return it == kCommands.cend() ? nullptr : &*it;
}

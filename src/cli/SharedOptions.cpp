#include "SharedOptions.h"

#include "CliArguments.h"
#include "PlatformDevices.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace SharedOptions {

namespace {

// The longest a printer may take to begin an answer: long enough for a long print job to end.
constexpr int kMaxReplyTimeoutMs = 30000;

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

bool takeJobs(CliArguments &arguments, const QString &value, QString *error)
{
    const std::optional<int> count = boundedNumber(value, 1, 256);
    if (!count)
        return fail(error, QStringLiteral("--jobs is a number from 1 to 256"));
    arguments.jobs = *count;
    return true;
}

bool takeReplyTimeout(CliArguments &arguments, const QString &value, QString *error)
{
    const auto low = int(kWindowReplyTimeout.count());
    const std::optional<int> timeout = boundedNumber(value, low, kMaxReplyTimeoutMs);
    if (!timeout)
        return fail(error, QStringLiteral("--reply-timeout is a number of milliseconds from %1 "
                                          "to %2")
                               .arg(low)
                               .arg(kMaxReplyTimeoutMs));
    arguments.replyTimeout = std::chrono::milliseconds(*timeout);
    return true;
}

} // namespace

const OptionSpec port{"port", "P", "the printer's port:", takePort, PortArgument::formsHelp};
const OptionSpec baud{"baud", "RATE", "serial baud rate: 115200 (default), 38400, 19200 or 9600",
                      takeBaud, nullptr};
const OptionSpec parity{"parity", "none|even", "serial parity (default none)", takeParity, nullptr};
const OptionSpec handshake{"handshake", "dtr|xon",
                           "serial handshake: dtr for DTR/DSR (default), xon for XON/XOFF",
                           takeHandshake, nullptr};
const OptionSpec json{"json", nullptr,
                      "results as JSON: info one object, the others one object per printer and "
                      "line",
                      takeJson, nullptr};
const OptionSpec jobs{"jobs", "N", "printers worked on at once, 1 to 256", takeJobs, nullptr};
const OptionSpec replyTimeout{
    "reply-timeout", "MS",
    "how long the printer may take to begin each answer, 1000 to 30000 milliseconds (default "
    "1000, as the window waits); longer lets a printer busy with a long print job answer",
    takeReplyTimeout, nullptr};

const std::array<const OptionSpec *, 5> onePrinter{&port, &baud, &parity, &handshake,
                                                   &replyTimeout};

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

} // namespace SharedOptions

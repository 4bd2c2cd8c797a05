#include "CommandLine.h"

#include "StateFile.h"

#include <QMap>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <tuple>

namespace {

enum class Takes { Nothing, Value, OptionalValue };

struct OptionSpec
{
    const char *name;
    Takes takes;
    const char *valueName;
    const char *help;
};

constexpr std::array<OptionSpec, 20> kOptions{{
    {"tcp", Takes::Value, "[HOST:]PORT",
     "listen for TCP clients, one at a time (default 127.0.0.1:9100; port 0 picks a free one)"},
    {"pty", Takes::OptionalValue, "[LINK]",
     "open a pseudo-terminal, print its path and keep LINK as a symbolic link to it"},
    {"model", Takes::Value, "TEXT", "model name: KV-4100 (default), ZEPHYR-550 or any text"},
    {"maker", Takes::Value, "TEXT", "maker name (default NORVANTA)"},
    {"firmware", Takes::Value, "TEXT", "firmware revision (default per model)"},
    {"font-rom", Takes::Value, "TEXT", "font ROM (default per model)"},
    {"sw1", Takes::Value, "N", "switch byte SW1, 0 to 255"},
    {"sw2", Takes::Value, "N", "switch byte SW2, 0 to 255"},
    {"sw3", Takes::Value, "N", "switch byte SW3, 0 to 255"},
    {"code-page", Takes::Value, "N",
     "code page: 0-5, 17-19, 21, 22, 24-29, 31, 33, 34, 36, 37 or 250 (default 0)"},
    {"charset", Takes::Value, "N", "international character set, 0 to 15 (default 0)"},
    {"language-model", Takes::Value, "TEXT",
     "code-page name reported as the language model, at most 20 characters (default: the name "
     "of the code page)"},
    {"state", Takes::Value, "FILE",
     "keep SW1 to SW3, code page, character set and language model in this JSON file across "
     "runs; values given on the command line win over the file"},
    {"reply-delay", Takes::Value, "MS",
     "send each reply MS milliseconds (0 to 60000) after its command"},
    {"split-replies", Takes::Nothing, nullptr,
     "send each reply in two or three pieces, 5 to 20 ms apart"},
    {"silent", Takes::Nothing, nullptr, "never reply; commands still take effect"},
    {"drop-after", Takes::Value, "N",
     "end the connection after N commands (0: never), once their replies went out: TCP closes "
     "it; the pseudo-terminal hangs up and is replaced by a new one, whose path is printed "
     "again and to which LINK then points"},
    {"garbage", Takes::Nothing, nullptr, "answer every query with 1 to 64 random bytes"},
    {"help", Takes::Nothing, nullptr, "show this help"},
    {"h", Takes::Nothing, nullptr, nullptr},
}};

const OptionSpec *findOption(const QString &name)
{
    const auto it = std::find_if(kOptions.begin(), kOptions.end(), [&](const OptionSpec &spec) {
        return name == QLatin1String(spec.name);
    });
    return it == kOptions.end() ? nullptr : &*it;
}

// A plain decimal number: digits only, no sign, no blanks.
std::optional<int> decimal(const QString &text)
{
    if (text.isEmpty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](QChar c) {
            return c.isDigit() && c.unicode() < 0x80;
        }))
        return std::nullopt;
    return text.toInt();
}

std::optional<std::pair<QHostAddress, quint16>> hostAndPort(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    const std::optional<int> port = decimal(text.mid(colon + 1));
    if (!port || *port > std::numeric_limits<quint16>::max())
        return std::nullopt;
    QString host = colon < 0 ? QStringLiteral("127.0.0.1") : text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    QHostAddress address;
    if (host == QStringLiteral("localhost"))
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host))
        return std::nullopt;
    return std::make_pair(address, quint16(*port));
}

class Interpreter
{
public:
    explicit Interpreter(const QMap<QString, QString> &values)
        : m_values(values)
    {}

    bool has(const char *name) const { return m_values.contains(QLatin1String(name)); }
    QString value(const char *name) const { return m_values.value(QLatin1String(name)); }

    // Sets `target` from option `name` when given and valid. Records the first error.
    void text(const char *name, QString &target, int maxLength)
    {
        if (!has(name))
            return;
        if (!PrinterTables::isPrintableText(value(name), maxLength))
            fail(name, QStringLiteral("%1 printable ASCII characters at most").arg(maxLength));
        else
            target = value(name);
    }

    void number(const char *name, int &target, bool (*valid)(int), const QString &expected)
    {
        if (!has(name))
            return;
        const std::optional<int> parsed = decimal(value(name));
        if (!parsed || !valid(*parsed))
            fail(name, expected);
        else
            target = *parsed;
    }

    void fail(const char *name, const QString &expected)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("invalid value \"%1\" for --%2 (expected %3)")
                          .arg(value(name), QLatin1String(name), expected);
    }
    void failWith(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }
    QString error() const { return m_error; }

private:
    const QMap<QString, QString> &m_values;
    QString m_error;
};

bool anyDelay(int ms)
{
    return ms >= 0 && ms <= Faults::kMaxReplyDelayMs;
}

bool anyCount(int n)
{
    return n >= 0;
}

constexpr qsizetype kHelpColumn = 26;
constexpr qsizetype kHelpWidth = 92;

// One option's entry: its name and value in the first column, the help text after it, broken
// at blanks and continued under the help column.
QString helpEntry(const QString &head, const QString &help)
{
    QString result;
    QString line = head.leftJustified(kHelpColumn - 1);
    for (const QString &word : help.split(QLatin1Char(' '))) {
        if (line.size() + 1 + word.size() > kHelpWidth) {
            result += line + QLatin1Char('\n');
            line = QString(kHelpColumn - 1, QLatin1Char(' '));
        }
        line += QLatin1Char(' ') + word;
    }
    return result + line + QLatin1Char('\n');
}

CommandLine failure(const QString &error)
{
    CommandLine result;
    result.outcome = CommandLine::Outcome::Error;
    result.error = error;
    return result;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QMap<QString, QString> values; // option name -> value ("" for flags); the last one wins
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const QString dashes =
            argument.startsWith(QStringLiteral("--")) ? QStringLiteral("--") : QStringLiteral("-");
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() <= dashes.size())
            return failure(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(dashes.size(), equals < 0 ? -1 : equals - dashes.size());
        const OptionSpec *spec = findOption(name);
        if (!spec || (dashes.size() == 1) != (name.size() == 1))
            return failure(QStringLiteral("unknown option %1").arg(argument));
        if (spec->takes == Takes::Nothing && equals >= 0)
            return failure(QStringLiteral("--%1 takes no value").arg(name));
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (spec->takes != Takes::Nothing) {
            const bool nextIsValue =
                i + 1 < arguments.size() &&
                (spec->takes == Takes::Value || !arguments.at(i + 1).startsWith(QLatin1Char('-')));
            if (nextIsValue)
                value = arguments.at(++i);
            else if (spec->takes == Takes::Value)
                return failure(QStringLiteral("--%1 needs a value %2")
                                   .arg(name, QLatin1String(spec->valueName)));
        }
        values.insert(name, value);
    }

    CommandLine result;
    if (values.contains(QStringLiteral("help")) || values.contains(QStringLiteral("h"))) {
        result.outcome = Outcome::Help;
        return result;
    }

    Interpreter in(values);
    ProgramOptions &options = result.options;
    PrinterSettings &printer = options.emulator.printer;

    QString model = QStringLiteral("KV-4100");
    in.text("model", model, PrinterTables::kMaxIdentityLength);
    printer = PrinterSettings::forModel(model);
    in.text("maker", printer.maker, PrinterTables::kMaxIdentityLength);
    in.text("firmware", printer.firmware, PrinterTables::kMaxIdentityLength);
    in.text("font-rom", printer.fontRom, PrinterTables::kMaxIdentityLength);

    options.emulator.statePath = in.value("state");
    if (in.has("state")) {
        QString error;
        if (options.emulator.statePath.isEmpty())
            in.fail("state", QStringLiteral("a file name"));
        else if (!StateFile::load(options.emulator.statePath, printer, &error))
            in.failWith(error);
    }

    const QString byteRange = QStringLiteral("0 to 255");
    in.number("sw1", printer.sw1, PrinterTables::isSwitchByte, byteRange);
    in.number("sw2", printer.sw2, PrinterTables::isSwitchByte, byteRange);
    in.number("sw3", printer.sw3, PrinterTables::isSwitchByte, byteRange);
    in.number("code-page", printer.codePage, PrinterTables::isCodePage,
              QStringLiteral("a code page the printer has, see --help"));
    if (in.has("code-page") && PrinterTables::isCodePage(printer.codePage))
        printer.languageModel = PrinterTables::codePageName(printer.codePage);
    in.text("language-model", printer.languageModel, PrinterTables::kLanguageModelLength);
    in.number("charset", printer.charset, PrinterTables::isCharset, QStringLiteral("0 to 15"));

    Faults &faults = options.emulator.faults;
    in.number("reply-delay", faults.replyDelayMs, anyDelay,
              QStringLiteral("0 to %1 milliseconds").arg(Faults::kMaxReplyDelayMs));
    in.number("drop-after", faults.dropAfter, anyCount, QStringLiteral("a number of commands"));
    faults.splitReplies = in.has("split-replies");
    faults.silent = in.has("silent");
    faults.garbage = in.has("garbage");

    options.pty = in.has("pty");
    options.ptyLink = in.value("pty");
    options.tcp = in.has("tcp") || !options.pty;
    const auto listen = hostAndPort(in.has("tcp") ? in.value("tcp") : QStringLiteral("9100"));
    if (!listen)
        in.fail("tcp", QStringLiteral("[HOST:]PORT with a numeric address and a port 0 to 65535"));
    else
        std::tie(options.tcpAddress, options.tcpPort) = *listen;

    if (!in.error().isEmpty())
        return failure(in.error());
    return result;
}

QString CommandLine::helpText()
{
    QString text = QStringLiteral(
        "Usage: printer-emulator [options]\n"
        "A NORVANTA POS receipt printer in software. It answers the printer's command set over\n"
        "TCP and/or a pseudo-terminal, so that the switch utility can be tried, rehearsed with "
        "and\n"
        "tested without a printer.\n\nOptions:\n");
    for (const OptionSpec &spec : kOptions) {
        if (!spec.help)
            continue;
        QString head = QStringLiteral("  --%1").arg(QLatin1String(spec.name));
        if (spec.valueName)
            head += QLatin1Char(' ') + QLatin1String(spec.valueName);
        text += helpEntry(head, QLatin1String(spec.help));
    }
    text +=
        QStringLiteral("\nDefaults per model (code page 0, character set 0, maker NORVANTA):\n");
    for (const QString &model : {QStringLiteral("KV-4100"), QStringLiteral("ZEPHYR-550")}) {
        const PrinterSettings s = PrinterSettings::forModel(model);
        text += helpEntry(QStringLiteral("  %1:").arg(model),
                          QStringLiteral("SW1 %1, SW2 %2, SW3 %3, firmware %4, font ROM %5, %6 "
                                         "hours, %7 cuts")
                              .arg(s.sw1)
                              .arg(s.sw2)
                              .arg(s.sw3)
                              .arg(s.firmware, s.fontRom)
                              .arg(s.hoursPowered)
                              .arg(s.cutPaperCount));
    }
    text += QStringLiteral(
        "  SW1 105: 115200 baud, partial cut, paper feed before the cut, auto cutter.\n"
        "  KV-4100 SW2 235: normal print density, partial cut, no parity, DTR/DSR.\n"
        "  ZEPHYR-550 SW2 238: switch 1 ON (software switches in use, so SW1 counts), no\n"
        "  parity, DTR/DSR. Any other model text gets the KV-4100 values.\n"
        "\nOutput: one line on standard output when ready (\"tcp 127.0.0.1:9100\",\n"
        "\"pty /dev/pts/7\", both on one line when both are open; again when a hang-up replaced\n"
        "the pseudo-terminal); one line per command on standard error (\"unlock\",\n"
        "\"write SW2 = 129\", \"read code page -> 0\"), and the self-test page there too.\n"
        "Setting changes need an unlock first; the printer starts locked.\n"
        "\nExit status: 0 after SIGINT or SIGTERM, 1 when it cannot listen, 2 for a bad option.\n");
    return text;
}

#include "CommandLine.h"

#include "StateFile.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <tuple>

namespace {

enum class Takes { Nothing, Value, OptionalValue };

constexpr char kDefaultModel[] = "KV-4100";

class Given;

// One option: its name, its value, its help, and what it does when given.
struct OptionSpec
{
    const char *name;
    Takes takes;
    const char *valueName;
    const char *help;
    // Applies the option, when it was given, to the options; a bad value is reported to `given`.
    void (*apply)(Given &given, ProgramOptions &options);
    // Applied before all others, in table order: what the other options change.
    bool first = false;
};

// One option as the command line gave it, while its row applies it. Keeps the first error.
class Given
{
public:
    Given(const QCommandLineParser &parser, const OptionSpec &spec, QString &error)
        : m_parser(parser)
        , m_spec(spec)
        , m_error(error)
    {}

    // The last value given for the option, and all of them.
    QString value() const { return m_parser.value(QLatin1String(m_spec.name)); }
    QStringList values() const { return m_parser.values(QLatin1String(m_spec.name)); }
    // The value of an option whose value may be left out; empty when it was.
    QString optionalValue() const { return m_parser.value(optionalValueName(m_spec)); }

    // Sets `target` when the value is printable text of `maxLength` characters at most.
    void text(QString &target, int maxLength)
    {
        if (!PrinterTables::isPrintableText(value(), maxLength))
            fail(QStringLiteral("%1 printable ASCII characters at most").arg(maxLength));
        else
            target = value();
    }
    // Sets `target` when the value is a plain decimal number that `valid` accepts.
    void number(int &target, bool (*valid)(int), const QString &expected);

    void fail(const QString &expected) { failValue(value(), expected); }
    void failValue(const QString &given, const QString &expected)
    {
        failWith(QStringLiteral("invalid value \"%1\" for --%2 (expected %3)")
                     .arg(given, QLatin1String(m_spec.name), expected));
    }
    void failWith(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }

    // The hidden option that carries the value of an option whose value may be left out, which
    // QCommandLineParser cannot take: "pty-link" for --pty [LINK].
    static QString optionalValueName(const OptionSpec &spec)
    {
        QString value = QString::fromLatin1(spec.valueName).toLower();
        value.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        return QLatin1String(spec.name) + QLatin1Char('-') + value;
    }

private:
    const QCommandLineParser &m_parser;
    const OptionSpec &m_spec;
    QString &m_error;
};

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

// "N:MS": two plain decimal numbers.
std::optional<std::pair<int, int>> pairOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<int> first = decimal(parts[0]);
    const std::optional<int> second = decimal(parts[1]);
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}

void Given::number(int &target, bool (*valid)(int), const QString &expected)
{
    const std::optional<int> parsed = decimal(value());
    if (!parsed || !valid(*parsed))
        fail(expected);
    else
        target = *parsed;
}

bool anyDelay(int ms)
{
    return ms >= 0 && ms <= Faults::kMaxReplyDelayMs;
}

bool anyCount(int n)
{
    return n >= 0;
}

bool streamRate(int n)
{
    return n >= 1 && n <= Faults::kMaxStreamBytesPerSecond;
}

QString delayRange()
{
    return QStringLiteral("0 to %1 milliseconds").arg(Faults::kMaxReplyDelayMs);
}

void switchByte(Given &given, int &target)
{
    given.number(target, PrinterTables::isSwitchByte, QStringLiteral("0 to 255"));
}

// QUERY:MS, for --late-reply.
void lateReply(Given &given, Faults &faults)
{
    const QStringList queries = PrinterTables::queryNames();
    for (const QString &late : given.values()) {
        const qsizetype colon = late.lastIndexOf(QLatin1Char(':'));
        const std::optional<int> delay = decimal(late.mid(colon + 1));
        if (colon < 0 || !queries.contains(late.left(colon)) || !delay || !anyDelay(*delay))
            given.failValue(late, QStringLiteral("QUERY:MS with QUERY one of %1 and MS 0 to %2")
                                      .arg(queries.join(QStringLiteral(", ")))
                                      .arg(Faults::kMaxReplyDelayMs));
        else
            faults.lateReplies.append({late.left(colon), *delay});
    }
}

// QUERY, repeatable, for the answers that are not the printer's alone (--twice, --xoff-inside).
void queryList(Given &given, QStringList &list)
{
    const QStringList queries = PrinterTables::queryNames();
    for (const QString &query : given.values()) {
        if (queries.contains(query))
            list.append(query);
        else
            given.failValue(query, queries.join(QStringLiteral(", ")));
    }
}

// N:MS, for --hold-xoff.
void holdXoff(Given &given, Faults &faults)
{
    const auto hold = pairOf(given.value());
    if (!hold || hold->first < 1 || !anyDelay(hold->second))
        given.fail(QStringLiteral("N:MS with N a command count from 1 and MS 0 to %1")
                       .arg(Faults::kMaxReplyDelayMs));
    else
        std::tie(faults.holdXoffAfter, faults.holdXoffMs) = *hold;
}

void listen(Given &given, ProgramOptions &options)
{
    options.tcp = true;
    const auto address = hostAndPort(given.value());
    if (!address)
        given.fail(QStringLiteral("[HOST:]PORT with a numeric address and a port 0 to 65535"));
    else
        std::tie(options.tcpAddress, options.tcpPort) = *address;
}

void loadState(Given &given, ProgramOptions &options)
{
    options.emulator.statePath = given.value();
    QString error;
    if (options.emulator.statePath.isEmpty())
        given.fail(QStringLiteral("a file name"));
    else if (!StateFile::load(options.emulator.statePath, options.emulator.printer, &error))
        given.failWith(error);
}

constexpr char kHelp[] = "help";
constexpr char kVersion[] = "version";

// Every option, in the order of the help. Each is applied when given, those marked first before
// the others: the model's defaults, then the state file, lie under the values given with them.
constexpr OptionSpec kOptions[] = {
    {"tcp", Takes::Value, "[HOST:]PORT",
     "listen for TCP clients, one at a time (default 127.0.0.1:9100; port 0 picks a free one)",
     listen},
    {"pty", Takes::OptionalValue, "[LINK]",
     "open a pseudo-terminal, print its path and keep LINK as a symbolic link to it; while it "
     "runs, the switch utility lists it as a serial port (a file in "
     "$XDG_RUNTIME_DIR/printer-emulator, removed at the end)",
     [](Given &given, ProgramOptions &options) {
         options.pty = true;
         options.emulator.announcePty = true;
         options.ptyLink = given.optionalValue();
     }},
    {"model", Takes::Value, "TEXT", "model name: KV-4100 (default), ZEPHYR-550 or any text",
     [](Given &given, ProgramOptions &options) {
         QString model = QLatin1String(kDefaultModel);
         given.text(model, PrinterTables::kMaxIdentityLength);
         options.emulator.printer = PrinterSettings::forModel(model);
     },
     true},
    {"maker", Takes::Value, "TEXT", "maker name (default NORVANTA)",
     [](Given &given, ProgramOptions &options) {
         given.text(options.emulator.printer.maker, PrinterTables::kMaxIdentityLength);
     }},
    {"firmware", Takes::Value, "TEXT", "firmware revision (default per model)",
     [](Given &given, ProgramOptions &options) {
         given.text(options.emulator.printer.firmware, PrinterTables::kMaxIdentityLength);
     }},
    {"font-rom", Takes::Value, "TEXT", "font ROM (default per model)",
     [](Given &given, ProgramOptions &options) {
         given.text(options.emulator.printer.fontRom, PrinterTables::kMaxIdentityLength);
     }},
    {"sw1", Takes::Value, "N", "switch byte SW1, 0 to 255",
     [](Given &given, ProgramOptions &options) {
         switchByte(given, options.emulator.printer.sw1);
     }},
    {"sw2", Takes::Value, "N", "switch byte SW2, 0 to 255",
     [](Given &given, ProgramOptions &options) {
         switchByte(given, options.emulator.printer.sw2);
     }},
    {"sw3", Takes::Value, "N", "switch byte SW3, 0 to 255",
     [](Given &given, ProgramOptions &options) {
         switchByte(given, options.emulator.printer.sw3);
     }},
    {"code-page", Takes::Value, "N",
     "code page: 0-5, 17-19, 21, 22, 24-29, 31, 33, 34, 36, 37 or 250 (default 0); also the page "
     "the print-out shows bytes above 0x7F in until a client chooses one with ESC t",
     [](Given &given, ProgramOptions &options) {
         PrinterSettings &printer = options.emulator.printer;
         given.number(printer.codePage, PrinterTables::isCodePage,
                      QStringLiteral("a code page the printer has, see --help"));
         if (PrinterTables::isCodePage(printer.codePage))
             printer.languageModel = PrinterTables::codePageName(printer.codePage);
     }},
    {"charset", Takes::Value, "N", "international character set, 0 to 15 (default 0)",
     [](Given &given, ProgramOptions &options) {
         given.number(options.emulator.printer.charset, PrinterTables::isCharset,
                      QStringLiteral("0 to 15"));
     }},
    {"language-model", Takes::Value, "TEXT",
     "code-page name reported as the language model, at most 20 characters (default: the name "
     "of the code page)",
     [](Given &given, ProgramOptions &options) {
         given.text(options.emulator.printer.languageModel, PrinterTables::kLanguageModelLength);
     }},
    {"state", Takes::Value, "FILE",
     "keep SW1 to SW3, code page, character set and language model in this JSON file across "
     "runs (a regular file of 64 KiB at most, replaced as a whole: a symbolic link there is "
     "replaced, not followed); values given on the command line win over the file",
     loadState, true},
    {"print-log", Takes::Value, "FILE",
     "write the print-out to FILE (replaced at start) instead of standard error",
     [](Given &given, ProgramOptions &options) {
         if (given.value().isEmpty())
             given.fail(QStringLiteral("a file name"));
         options.printLog = given.value();
     }},
    {"cover-open", Takes::Nothing, nullptr, "start with the cover open (off-line)",
     [](Given &, ProgramOptions &options) { options.emulator.status.coverOpen = true; }},
    {"paper-near-end", Takes::Nothing, nullptr, "start with the paper roll near its end",
     [](Given &, ProgramOptions &options) { options.emulator.status.paperNearEnd = true; }},
    {"paper-end", Takes::Nothing, nullptr,
     "start out of paper (off-line; the near-end sensor reports it too)",
     [](Given &, ProgramOptions &options) { options.emulator.status.paperEnd = true; }},
    {"offline", Takes::Nothing, nullptr, "start off-line",
     [](Given &, ProgramOptions &options) { options.emulator.status.offline = true; }},
    {"reply-delay", Takes::Value, "MS",
     "send each reply MS milliseconds (0 to 60000) after its command",
     [](Given &given, ProgramOptions &options) {
         given.number(options.emulator.faults.replyDelayMs, anyDelay, delayRange());
     }},
    {"late-reply", Takes::Value, "QUERY:MS",
     "answer QUERY MS milliseconds (0 to 60000) after its command, instead of --reply-delay; "
     "replies after it wait for it. QUERY: maker, model, firmware, font-rom, hours, cuts, "
     "language-model, code-page, charset, sw1, sw2 or sw3. Repeatable",
     [](Given &given, ProgramOptions &options) { lateReply(given, options.emulator.faults); }},
    {"split-replies", Takes::Nothing, nullptr,
     "send each reply in two or three pieces, 5 to 20 ms apart",
     [](Given &, ProgramOptions &options) { options.emulator.faults.splitReplies = true; }},
    {"block-pause", Takes::Value, "MS",
     "send each block answer \"_\"...NUL in two pieces, cut inside its text, MS milliseconds (0 "
     "to 60000) apart",
     [](Given &given, ProgramOptions &options) {
         given.number(options.emulator.faults.blockPauseMs, anyDelay, delayRange());
     }},
    {"silent", Takes::Nothing, nullptr, "never reply; commands still take effect",
     [](Given &, ProgramOptions &options) { options.emulator.faults.silent = true; }},
    {"drop-after", Takes::Value, "N",
     "end the connection after N commands (0: never), once their replies went out: TCP closes "
     "it; the pseudo-terminal hangs up and is replaced by a new one, whose path is printed "
     "again and to which LINK then points",
     [](Given &given, ProgramOptions &options) {
         given.number(options.emulator.faults.dropAfter, anyCount,
                      QStringLiteral("a number of commands"));
     }},
    {"garbage", Takes::Nothing, nullptr, "answer every query with 1 to 64 random bytes",
     [](Given &, ProgramOptions &options) { options.emulator.faults.garbage = true; }},
    {"status-blocks", Takes::Nothing, nullptr,
     "send an automatic status block 14 00 00 00 5 to 25 ms after each reply",
     [](Given &, ProgramOptions &options) { options.emulator.faults.statusBlocks = true; }},
    {"flow-bytes", Takes::Nothing, nullptr,
     "send XOFF then XON (13 11) 5 to 25 ms after each reply",
     [](Given &, ProgramOptions &options) { options.emulator.faults.flowBytes = true; }},
    {"noise-blocks", Takes::Nothing, nullptr,
     "send an unasked block \"_NOISE\" NUL 5 to 25 ms after each reply",
     [](Given &, ProgramOptions &options) { options.emulator.faults.noiseBlocks = true; }},
    {"stream", Takes::Value, "RATE",
     "send unasked bytes (never 0x5F, NUL, XON or XOFF) all the time at about RATE bytes per "
     "second (1 to 10000000) while a client is connected, never inside a reply",
     [](Given &given, ProgramOptions &options) {
         given.number(
             options.emulator.faults.streamBytesPerSecond, streamRate,
             QStringLiteral("1 to %1 bytes per second").arg(Faults::kMaxStreamBytesPerSecond));
     }},
    {"hold-xoff", Takes::Value, "N:MS",
     "after the Nth command of a client (counted as for --drop-after) send XOFF, and XON MS "
     "milliseconds (0 to 60000) later; pseudo-terminal only, ignored over TCP",
     [](Given &given, ProgramOptions &options) { holdXoff(given, options.emulator.faults); }},
    {"twice", Takes::Value, "QUERY",
     "answer QUERY twice: the second answer is the next query's reply, and every later reply "
     "comes one query late. Repeatable",
     [](Given &given, ProgramOptions &options) {
         queryList(given, options.emulator.faults.twice);
     }},
    {"xoff-inside", Takes::Value, "QUERY",
     "send XOFF (13) inside the block answer to QUERY, after its first character. Repeatable",
     [](Given &given, ProgramOptions &options) {
         queryList(given, options.emulator.faults.xoffInside);
     }},
    {kVersion, Takes::Nothing, nullptr, "show the version and exit", nullptr},
    {kHelp, Takes::Nothing, nullptr, "show this help", nullptr},
};

const OptionSpec *findOption(const QString &name)
{
    const auto it =
        std::find_if(std::begin(kOptions), std::end(kOptions),
                     [&](const OptionSpec &spec) { return name == QLatin1String(spec.name); });
    return it == std::end(kOptions) ? nullptr : &*it;
}

// The options as QCommandLineParser takes them; -h is --help. An optional value travels in a
// hidden option of its own.
void addOptions(QCommandLineParser &parser)
{
    for (const OptionSpec &spec : kOptions) {
        QStringList names{QLatin1String(spec.name)};
        if (names.first() == QLatin1String(kHelp))
            names.prepend(QStringLiteral("h"));
        parser.addOption(spec.takes == Takes::Value
                             ? QCommandLineOption(names, {}, QLatin1String(spec.valueName))
                             : QCommandLineOption(names));
        if (spec.takes == Takes::OptionalValue)
            parser.addOption(QCommandLineOption(Given::optionalValueName(spec), {},
                                                QLatin1String(spec.valueName)));
    }
}

// "--pty LINK" and "--pty=LINK" become "--pty --pty-link=LINK"; a "--pty" followed by an option
// or by nothing stays as it is. So for every option whose value may be left out.
QStringList withOptionalValues(const QStringList &arguments)
{
    QStringList result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const OptionSpec *spec = findOption(argument.section(QLatin1Char('='), 0, 0).mid(2));
        if (!argument.startsWith(QStringLiteral("--")) || !spec ||
            spec->takes != Takes::OptionalValue) {
            result << argument;
            continue;
        }
        const QString plain = QStringLiteral("--") + QLatin1String(spec->name);
        const bool next = argument == plain && i + 1 < arguments.size() &&
                          !arguments.at(i + 1).startsWith(QLatin1Char('-'));
        if (next || argument.startsWith(plain + QLatin1Char('='))) {
            result << plain
                   << QStringLiteral("--%1=").arg(Given::optionalValueName(*spec)) +
                          (next ? arguments.at(++i) : argument.mid(plain.size() + 1));
        } else {
            result << argument;
        }
    }
    return result;
}

// Says in the program's own words what QCommandLineParser refused.
QString refusal(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        return QStringLiteral("unknown option %1%2")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    // A value given to an option that takes none ("--silent=yes").
    for (const QString &argument : arguments) {
        const QString name = argument.section(QLatin1Char('='), 0, 0).mid(2);
        const OptionSpec *spec = findOption(name);
        if (argument.startsWith(QStringLiteral("--")) && argument.contains(QLatin1Char('=')) &&
            spec && spec->takes == Takes::Nothing)
            return QStringLiteral("--%1 takes no value").arg(name);
    }
    // Otherwise the last argument is an option without its value.
    const OptionSpec *spec = findOption(arguments.last().mid(2));
    if (spec && spec->valueName)
        return QStringLiteral("--%1 needs a value %2")
            .arg(QLatin1String(spec->name), QLatin1String(spec->valueName));
    return parser.errorText();
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
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addOptions(parser);
    const QStringList given = withOptionalValues(arguments);
    if (!parser.parse(given))
        return failure(refusal(parser, given));
    if (given.contains(QStringLiteral("--"))) // every argument is an option: "--" ends nothing
        return failure(QStringLiteral("unexpected argument \"--\""));
    if (!parser.positionalArguments().isEmpty())
        return failure(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    CommandLine result;
    if (parser.isSet(QLatin1String(kHelp)) || parser.isSet(QLatin1String(kVersion))) {
        result.outcome = parser.isSet(QLatin1String(kHelp)) ? Outcome::Help : Outcome::Version;
        return result;
    }

    ProgramOptions &options = result.options;
    options.emulator.printer = PrinterSettings::forModel(QLatin1String(kDefaultModel));
    QString error;
    for (const bool first : {true, false})
        for (const OptionSpec &spec : kOptions)
            if (spec.first == first && spec.apply && parser.isSet(QLatin1String(spec.name))) {
                Given option(parser, spec, error);
                spec.apply(option, options);
            }
    options.tcp = options.tcp || !options.pty; // without --pty, TCP on the default port
    if (!error.isEmpty())
        return failure(error);
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
        "\nStatus: DLE EOT n (1 printer, 2 off-line cause, 3 error cause, 4 roll paper sensor)\n"
        "and GS r n (1 or 49 paper sensor, 2 or 50 drawer) are answered with one status byte\n"
        "each, from the cover, paper and off-line state. GS a n enables automatic status back\n"
        "for the groups set in n (1 drawer, 2 on-line/off-line and cover, 4 errors, 8 paper\n"
        "sensor): a 4-byte status block at once, and again on every change within an enabled\n"
        "group; each client starts with it off.\n"
        "GS I n answers the printer IDs 1 (model), 2 (type: auto cutter as switch 7 of SW1\n"
        "sets it), 3 (firmware), each as one byte (49 to 51 the same), 33 (type information)\n"
        "and 65 to 69 (firmware, maker, model, serial number, font ROM) as blocks.\n"
        "A line on standard input changes the state while the emulator runs:\n"
        "  cover open, cover closed   the cover (open: off-line)\n"
        "  paper near end, paper end  the paper roll (paper end: off-line; the near-end sensor\n"
        "                             sees it too)\n"
        "  paper ok                   a new roll\n"
        "  offline, online            off-line for another reason; \"online\" does not end an\n"
        "                             open cover or a paper end\n"
        "  ok                         all clear\n"
        "  status                     shows the state\n"
        "Letter case and extra blanks do not matter; any other line gets a notice on standard\n"
        "error. In the background of a terminal the program does not read its input.\n"
        "\nOutput:\n"
        "  standard output  the ready line: \"tcp 127.0.0.1:9100\", \"pty /dev/pts/7\", or both "
        "on\n"
        "                   one line; again with the new path when a hang-up replaced the\n"
        "                   pseudo-terminal\n"
        "  standard error   one line per command of the printer's own set (\"unlock\",\n"
        "                   \"write SW2 = 129\", \"real-time status 1 (printer) -> 12\"), notices\n"
        "                   (\"# ...\"), and the print-out with a margin (\"| ...\")\n"
        "  print-out        printed text as text lines, commands by name in brackets:\n"
        "                   [bold on], [align center], [cut partial], [barcode CODE128 \"123\"],\n"
        "                   [qr \"...\"], [image 384x120], [unknown 1B 7A]; bytes above 0x7F as\n"
        "                   the code page in force shows them; a command the link ended\n"
        "                   inside as [incomplete GS v 0: 18 of 1008 bytes]; no line longer\n"
        "                   than 200 characters, a line cut there ends in \"\\\"; the self\n"
        "                   test prints the settings page. With --print-log FILE it goes to\n"
        "                   FILE instead.\n"
        "Setting changes need an unlock first; the printer starts locked.\n"
        "\nExit status: 0 after SIGINT or SIGTERM, 1 when it cannot listen or write the print\n"
        "log, 2 for a bad option.\n");
    return text;
}

QString CommandLine::versionText()
{
    return QStringLiteral("printer-emulator %1").arg(QLatin1String(PSU_VERSION));
}

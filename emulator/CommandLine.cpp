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

struct OptionSpec
{
    const char *name;
    Takes takes;
    const char *valueName;
    const char *help;
};

constexpr std::array<OptionSpec, 34> kOptions{{
    {"tcp", Takes::Value, "[HOST:]PORT",
     "listen for TCP clients, one at a time (default 127.0.0.1:9100; port 0 picks a free one)"},
    {"pty", Takes::OptionalValue, "[LINK]",
     "open a pseudo-terminal, print its path and keep LINK as a symbolic link to it; while it "
     "runs, the switch utility lists it as a serial port (a file in "
     "$XDG_RUNTIME_DIR/printer-emulator, removed at the end)"},
    {"model", Takes::Value, "TEXT", "model name: KV-4100 (default), ZEPHYR-550 or any text"},
    {"maker", Takes::Value, "TEXT", "maker name (default NORVANTA)"},
    {"firmware", Takes::Value, "TEXT", "firmware revision (default per model)"},
    {"font-rom", Takes::Value, "TEXT", "font ROM (default per model)"},
    {"sw1", Takes::Value, "N", "switch byte SW1, 0 to 255"},
    {"sw2", Takes::Value, "N", "switch byte SW2, 0 to 255"},
    {"sw3", Takes::Value, "N", "switch byte SW3, 0 to 255"},
    {"code-page", Takes::Value, "N",
     "code page: 0-5, 17-19, 21, 22, 24-29, 31, 33, 34, 36, 37 or 250 (default 0); also the page "
     "the print-out shows bytes above 0x7F in until a client chooses one with ESC t"},
    {"charset", Takes::Value, "N", "international character set, 0 to 15 (default 0)"},
    {"language-model", Takes::Value, "TEXT",
     "code-page name reported as the language model, at most 20 characters (default: the name "
     "of the code page)"},
    {"state", Takes::Value, "FILE",
     "keep SW1 to SW3, code page, character set and language model in this JSON file across "
     "runs (a regular file of 64 KiB at most, replaced as a whole: a symbolic link there is "
     "replaced, not followed); values given on the command line win over the file"},
    {"print-log", Takes::Value, "FILE",
     "write the print-out to FILE (replaced at start) instead of standard error"},
    {"cover-open", Takes::Nothing, nullptr, "start with the cover open (off-line)"},
    {"paper-near-end", Takes::Nothing, nullptr, "start with the paper roll near its end"},
    {"paper-end", Takes::Nothing, nullptr,
     "start out of paper (off-line; the near-end sensor reports it too)"},
    {"offline", Takes::Nothing, nullptr, "start off-line"},
    {"reply-delay", Takes::Value, "MS",
     "send each reply MS milliseconds (0 to 60000) after its command"},
    {"late-reply", Takes::Value, "QUERY:MS",
     "answer QUERY MS milliseconds (0 to 60000) after its command, instead of --reply-delay; "
     "replies after it wait for it. QUERY: maker, model, firmware, font-rom, hours, cuts, "
     "language-model, code-page, charset, sw1, sw2 or sw3. Repeatable"},
    {"split-replies", Takes::Nothing, nullptr,
     "send each reply in two or three pieces, 5 to 20 ms apart"},
    {"block-pause", Takes::Value, "MS",
     "send each block answer \"_\"...NUL in two pieces, cut inside its text, MS milliseconds (0 "
     "to 60000) apart"},
    {"silent", Takes::Nothing, nullptr, "never reply; commands still take effect"},
    {"drop-after", Takes::Value, "N",
     "end the connection after N commands (0: never), once their replies went out: TCP closes "
     "it; the pseudo-terminal hangs up and is replaced by a new one, whose path is printed "
     "again and to which LINK then points"},
    {"garbage", Takes::Nothing, nullptr, "answer every query with 1 to 64 random bytes"},
    {"status-blocks", Takes::Nothing, nullptr,
     "send an automatic status block 14 00 00 00 5 to 25 ms after each reply"},
    {"flow-bytes", Takes::Nothing, nullptr,
     "send XOFF then XON (13 11) 5 to 25 ms after each reply"},
    {"noise-blocks", Takes::Nothing, nullptr,
     "send an unasked block \"_NOISE\" NUL 5 to 25 ms after each reply"},
    {"stream", Takes::Value, "RATE",
     "send unasked bytes (never 0x5F, NUL, XON or XOFF) all the time at about RATE bytes per "
     "second (1 to 10000000) while a client is connected, never inside a reply"},
    {"hold-xoff", Takes::Value, "N:MS",
     "after the Nth command of a client (counted as for --drop-after) send XOFF, and XON MS "
     "milliseconds (0 to 60000) later; pseudo-terminal only, ignored over TCP"},
    {"twice", Takes::Value, "QUERY",
     "answer QUERY twice: the second answer is the next query's reply, and every later reply "
     "comes one query late. Repeatable"},
    {"xoff-inside", Takes::Value, "QUERY",
     "send XOFF (13) inside the block answer to QUERY, after its first character. Repeatable"},
    {"version", Takes::Nothing, nullptr, "show the version and exit"},
    {"help", Takes::Nothing, nullptr, "show this help"},
}};

// The link of --pty, which QCommandLineParser cannot take as an optional value of --pty.
constexpr char kPtyLink[] = "pty-link";

const OptionSpec *findOption(const QString &name)
{
    const auto it = std::find_if(kOptions.begin(), kOptions.end(), [&](const OptionSpec &spec) {
        return name == QLatin1String(spec.name);
    });
    return it == kOptions.end() ? nullptr : &*it;
}

// The options as QCommandLineParser takes them; -h is --help.
void addOptions(QCommandLineParser &parser)
{
    for (const OptionSpec &spec : kOptions) {
        QStringList names{QLatin1String(spec.name)};
        if (names.first() == QStringLiteral("help"))
            names.prepend(QStringLiteral("h"));
        parser.addOption(spec.takes == Takes::Value
                             ? QCommandLineOption(names, {}, QLatin1String(spec.valueName))
                             : QCommandLineOption(names));
    }
    parser.addOption(QCommandLineOption(QLatin1String(kPtyLink), {}, QStringLiteral("LINK")));
}

// "--pty LINK" and "--pty=LINK" become "--pty --pty-link=LINK"; a "--pty" followed by an option
// or by nothing stays as it is.
QStringList withPtyLink(const QStringList &arguments)
{
    QStringList result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool next = argument == QStringLiteral("--pty") && i + 1 < arguments.size() &&
                          !arguments.at(i + 1).startsWith(QLatin1Char('-'));
        if (next || argument.startsWith(QStringLiteral("--pty="))) {
            result << QStringLiteral("--pty")
                   << QStringLiteral("--%1=").arg(QLatin1String(kPtyLink)) +
                          (next ? arguments.at(++i) : argument.mid(6));
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

class Interpreter
{
public:
    explicit Interpreter(const QCommandLineParser &parser)
        : m_parser(parser)
    {}

    bool has(const char *name) const { return m_parser.isSet(QLatin1String(name)); }
    // The last value given for the option.
    QString value(const char *name) const { return m_parser.value(QLatin1String(name)); }
    QStringList values(const char *name) const { return m_parser.values(QLatin1String(name)); }

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

    void fail(const char *name, const QString &expected) { failValue(name, value(name), expected); }
    void failValue(const char *name, const QString &given, const QString &expected)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("invalid value \"%1\" for --%2 (expected %3)")
                          .arg(given, QLatin1String(name), expected);
    }
    void failWith(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }
    QString error() const { return m_error; }

private:
    const QCommandLineParser &m_parser;
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

bool streamRate(int n)
{
    return n >= 1 && n <= Faults::kMaxStreamBytesPerSecond;
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
    const QStringList given = withPtyLink(arguments);
    if (!parser.parse(given))
        return failure(refusal(parser, given));
    if (given.contains(QStringLiteral("--"))) // every argument is an option: "--" ends nothing
        return failure(QStringLiteral("unexpected argument \"--\""));
    if (!parser.positionalArguments().isEmpty())
        return failure(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));

    CommandLine result;
    if (parser.isSet(QStringLiteral("help"))) {
        result.outcome = Outcome::Help;
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.outcome = Outcome::Version;
        return result;
    }

    Interpreter in(parser);
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
    const QStringList queries = PrinterTables::queryNames();
    for (const QString &late : in.values("late-reply")) {
        const qsizetype colon = late.lastIndexOf(QLatin1Char(':'));
        const std::optional<int> delay = decimal(late.mid(colon + 1));
        if (colon < 0 || !queries.contains(late.left(colon)) || !delay || !anyDelay(*delay))
            in.failValue("late-reply", late,
                         QStringLiteral("QUERY:MS with QUERY one of %1 and MS 0 to %2")
                             .arg(queries.join(QStringLiteral(", ")))
                             .arg(Faults::kMaxReplyDelayMs));
        else
            faults.lateReplies.append({late.left(colon), *delay});
    }
    in.number("block-pause", faults.blockPauseMs, anyDelay,
              QStringLiteral("0 to %1 milliseconds").arg(Faults::kMaxReplyDelayMs));
    faults.statusBlocks = in.has("status-blocks");
    faults.flowBytes = in.has("flow-bytes");
    faults.noiseBlocks = in.has("noise-blocks");
    in.number("stream", faults.streamBytesPerSecond, streamRate,
              QStringLiteral("1 to %1 bytes per second").arg(Faults::kMaxStreamBytesPerSecond));
    if (in.has("hold-xoff")) {
        const auto hold = pairOf(in.value("hold-xoff"));
        if (!hold || hold->first < 1 || !anyDelay(hold->second))
            in.fail("hold-xoff", QStringLiteral("N:MS with N a command count from 1 and MS 0 to %1")
                                     .arg(Faults::kMaxReplyDelayMs));
        else
            std::tie(faults.holdXoffAfter, faults.holdXoffMs) = *hold;
    }

    // Answers that are not the printer's alone.
    for (const auto &[name, list] :
         {std::pair{"twice", &faults.twice}, std::pair{"xoff-inside", &faults.xoffInside}}) {
        for (const QString &query : in.values(name)) {
            if (queries.contains(query))
                list->append(query);
            else
                in.failValue(name, query, queries.join(QStringLiteral(", ")));
        }
    }

    PrinterStatus &status = options.emulator.status;
    status.coverOpen = in.has("cover-open");
    status.paperNearEnd = in.has("paper-near-end");
    status.paperEnd = in.has("paper-end");
    status.offline = in.has("offline");
    if (in.has("print-log") && in.value("print-log").isEmpty())
        in.fail("print-log", QStringLiteral("a file name"));
    options.printLog = in.value("print-log");

    options.pty = in.has("pty");
    options.ptyLink = in.value(kPtyLink);
    options.emulator.announcePty = options.pty;
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

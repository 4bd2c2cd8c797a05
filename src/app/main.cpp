#include "MainWindow.h"
#include "MessageBoxPrompter.h"
#include "PrinterLink.h"
#include "QtDesktopShell.h"
#include "QtEventPump.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

namespace {

constexpr const char *kProgram = "printer-switch-utility";

constexpr std::string_view kHelp =
    "Usage: printer-switch-utility [OPTION]...\n"
    "Reads and changes the software switches and the default language of NORVANTA POS\n"
    "receipt printers (KV-4100, ZEPHYR-550) over a serial port, the USB or parallel\n"
    "printer device or TCP/IP; runs the printer's self-test and logs its replies.\n"
    "\n"
    "Without options it opens its window, which needs a graphical session.\n"
    "\n"
    "Options:\n"
    "  -h, --help        show this help and exit\n"
    "      --version     show the version and exit\n"
    "\n"
    "Qt's own options, such as -style NAME, -platform NAME or -reverse, are handed to\n"
    "the window toolkit.\n"
    "\n"
    "The HELP button shows KV_SW_Help.txt, looked for in the working directory, beside\n"
    "the program and in the installed data folder (share/printer-switch-utility).\n"
    "printer-emulator(1) stands in for a printer when none is at hand.\n";

// Qt's own command-line options, which QApplication takes out of the arguments itself: those
// followed by a value, of which only the style options may carry it after "=", and those that
// stand alone.
constexpr std::array<const char *, 12> kQtOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array<const char *, 2> kQtOptionsWithEquals = {"style", "stylesheet"};
constexpr std::array<const char *, 4> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb"};

enum class Request { Window, Help, Version, Error };

struct CommandLine
{
    Request request = Request::Window;
    QString error;
};

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The utility's options and Qt's, as one parser reads them: with one dash or two, Qt's way.
struct OptionParser
{
    OptionParser()
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption(help);
        parser.addOption(version);
        for (const char *name : kQtOptionsWithValue)
            parser.addOption({QString::fromLatin1(name), QString(), QStringLiteral("value")});
        for (const char *name : kQtFlags)
            parser.addOption({QString::fromLatin1(name), QString()});
    }

    // Why `argument` is refused after the arguments before it were taken: nothing when it is
    // taken, or when it is an option whose value may follow.
    std::optional<QString> refusal(const QStringList &upToArgument, bool isLast)
    {
        const QString &argument = upToArgument.last();
        if (argument == QLatin1String("--"))
            return QStringLiteral("unexpected argument ") + quoted(argument);
        if (const qsizetype equals = argument.indexOf(u'='); equals > 0) {
            const QString name =
                argument.left(equals).remove(QRegularExpression(QStringLiteral("^--?")));
            if (std::none_of(kQtOptionsWithEquals.begin(), kQtOptionsWithEquals.end(),
                             [&name](const char *option) { return name == QLatin1String(option); }))
                return QStringLiteral("unknown option ") + quoted(argument);
        }
        if (parser.parse(upToArgument)) {
            if (!parser.positionalArguments().isEmpty())
                return QStringLiteral("unexpected argument ") + quoted(argument);
            return std::nullopt;
        }
        if (!parser.unknownOptionNames().isEmpty() || argument.contains(u'='))
            return QStringLiteral("unknown option ") + quoted(argument);
        // An option that takes a value, as the last argument so far.
        if (isLast)
            return QStringLiteral("option ") + quoted(argument) + QStringLiteral(" needs a value");
        return std::nullopt;
    }

    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    QCommandLineOption version{QStringLiteral("version"), QString()};
};

// Reads the arguments before any QApplication exists, so that --help, --version and mistakes
// are answered without a display. Arguments are taken from left to right; the first of
// --help, --version or a mistake decides.
CommandLine readCommandLine(int argc, char *argv[])
{
    OptionParser options;
    QStringList taken{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        taken << QString::fromLocal8Bit(argv[i]);
        if (const std::optional<QString> refusal = options.refusal(taken, i + 1 == argc))
            return {Request::Error, *refusal};
        if (options.parser.isSet(options.help))
            return {Request::Help, {}};
        if (options.parser.isSet(options.version))
            return {Request::Version, {}};
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine commandLine = readCommandLine(argc, argv);
    switch (commandLine.request) {
    case Request::Help:
        std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case Request::Version:
        std::printf("%s %s\n", kProgram, PSU_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case Request::Error:
        std::fprintf(stderr, "%s: %s (try --help)\n", kProgram,
                     commandLine.error.toLocal8Bit().constData());
        return 2;
    case Request::Window:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("printer-switch-utility"));
    QApplication::setApplicationVersion(QStringLiteral(PSU_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("printer-switch-utility"));

    MessageBoxPrompter prompter;
    QtDesktopShell shell;
    QtEventPump pump;
    MainWindow window(prompter, shell, pump, PrinterLink::systemDevices());
    window.show();
    return QApplication::exec();
}

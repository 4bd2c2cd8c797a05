#include "MainWindow.h"
#include "MessageBoxPrompter.h"
#include "PrinterLink.h"
#include "QtDesktopShell.h"
#include "SystemEventPump.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
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
// followed by a value, those that may carry it after "=", and those that stand alone.
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array<std::string_view, 2> kQtOptionsWithEquals = {"style", "stylesheet"};
constexpr std::array<std::string_view, 4> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb"};

enum class Request { Window, Help, Version, Error };

struct CommandLine
{
    Request request = Request::Window;
    std::string error;
};

bool contains(const auto &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Reads the arguments before any QApplication exists, so that --help, --version and mistakes
// are answered without a display. Arguments are taken from left to right; the first of
// --help, --version or a mistake decides.
CommandLine readCommandLine(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help")
            return {Request::Help, {}};
        if (argument == "--version")
            return {Request::Version, {}};
        if (!argument.starts_with('-') || argument == "-" || argument == "--")
            return {Request::Error, "unexpected argument '" + std::string(argument) + "'"};
        // Qt takes its options with one dash or two.
        const std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            if (!contains(kQtOptionsWithEquals, name.substr(0, equals)))
                return {Request::Error, "unknown option '" + std::string(argument) + "'"};
        } else if (contains(kQtOptionsWithValue, name)) {
            if (++i == argc)
                return {Request::Error, "option '" + std::string(argument) + "' needs a value"};
        } else if (!contains(kQtFlags, name)) {
            return {Request::Error, "unknown option '" + std::string(argument) + "'"};
        }
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
        std::fprintf(stderr, "%s: %s (try --help)\n", kProgram, commandLine.error.c_str());
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
    SystemEventPump pump;
    MainWindow window(prompter, shell, pump, PrinterLink::systemDevices());
    window.show();
    return QApplication::exec();
}

// printer-emulator: a NORVANTA receipt printer in software, over TCP and/or a pseudo-terminal.

#include "CommandLine.h"
#include "Emulator.h"
#include "OperatorInput.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#endif
#include <unistd.h>

namespace {

// Of an input line that is not understood, this much is repeated in the notice.
constexpr qsizetype kEchoedInput = 40;

#ifdef Q_OS_WIN
// The write mode of the print log: Windows knows no close-on-exec flag in it.
constexpr char kWriteMode[] = "w";

// Ctrl-C, Ctrl-Break and the console's closing end the event loop, so that the program closes its
// listeners and leaves with status 0. The handler runs on a thread of its own; the loop quits
// from its own thread.
BOOL WINAPI onConsoleControl(DWORD)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
    return TRUE;
}

bool watchStopSignals(QCoreApplication &)
{
    return ::SetConsoleCtrlHandler(onConsoleControl, TRUE) != 0;
}
#else
constexpr char kWriteMode[] = "we";

int signalPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so that the program closes its listeners, removes its
// symbolic link and leaves with status 0.
bool watchStopSignals(QCoreApplication &app)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}
#endif

void printLine(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

QString tcpLocation(const Emulator &emulator)
{
    const QHostAddress address = emulator.tcpAddress();
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return QStringLiteral("tcp %1:%2").arg(host).arg(emulator.tcpPort());
}

// Shows what the emulator does: its command lines and notices on standard error, the print-out
// in its file or on standard error with a margin that tells it from the command lines, and a new
// pseudo-terminal's path on standard output.
void showOutput(Emulator &emulator, FILE *printLog)
{
    QObject::connect(&emulator, &Emulator::commandReceived,
                     [](const QString &line) { printLine(stderr, line); });
    QObject::connect(&emulator, &Emulator::printed, [printLog](const QString &line) {
        if (printLog)
            printLine(printLog, line);
        else
            printLine(stderr, QStringLiteral("| ") + line);
    });
    QObject::connect(&emulator, &Emulator::notice,
                     [](const QString &text) { printLine(stderr, QStringLiteral("# ") + text); });
    QObject::connect(&emulator, &Emulator::ptyReopened,
                     [](const QString &path) { printLine(stdout, QStringLiteral("pty ") + path); });
}

// The operator's lines on standard input change the printer's state.
void takeOperatorInput(OperatorInput &input, Emulator &emulator)
{
    QObject::connect(&input, &OperatorInput::lineEntered, [&emulator](const QString &line) {
        if (line.trimmed().isEmpty())
            return;
        const std::optional<PrinterStatus> next = PrinterStatus::applyLine(emulator.status(), line);
        if (next)
            emulator.setStatus(*next);
        else
            printLine(stderr, QStringLiteral("# unknown input \"%1\"; expected one of: %2")
                                  .arg(line.left(kEchoedInput), PrinterStatus::acceptedLines()));
    });
    QObject::connect(&input, &OperatorInput::lineTooLong, [] {
        printLine(stderr, QStringLiteral("# input line longer than %1 characters ignored")
                              .arg(OperatorInput::kMaxLine));
    });
}

// Listens on TCP and opens the pseudo-terminal, as asked; the ready line names both. False, with
// the reason on standard error, when one of them cannot be had.
bool openLinks(Emulator &emulator, const ProgramOptions &options)
{
    QString error;
    QStringList ready;
    if (options.tcp) {
        if (!emulator.listenTcp(options.tcpAddress, options.tcpPort, &error)) {
            printLine(stderr, QStringLiteral("printer-emulator: ") + error);
            return false;
        }
        ready << tcpLocation(emulator);
    }
    if (options.pty) {
        if (!emulator.openPty(options.ptyLink, &error)) {
            printLine(stderr, QStringLiteral("printer-emulator: ") + error);
            return false;
        }
        ready << QStringLiteral("pty ") + emulator.ptyPath();
    }
    printLine(stdout, ready.join(QLatin1Char(' ')));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const CommandLine commandLine = CommandLine::parse(app.arguments());
    switch (commandLine.outcome) {
    case CommandLine::Outcome::Help:
        std::fputs(CommandLine::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Outcome::Version:
        printLine(stdout, CommandLine::versionText());
        return 0;
    case CommandLine::Outcome::Error:
        printLine(stderr,
                  QStringLiteral("printer-emulator: %1 (try --help)").arg(commandLine.error));
        return 2;
    case CommandLine::Outcome::Run:
        break;
    }
    const ProgramOptions &options = commandLine.options;

    if (!watchStopSignals(app)) {
        printLine(stderr, QStringLiteral("printer-emulator: cannot watch for stop signals"));
        return 1;
    }
    FILE *printLog = nullptr;
    if (!options.printLog.isEmpty()) {
        printLog = std::fopen(QFile::encodeName(options.printLog).constData(), kWriteMode);
        if (!printLog) {
            printLine(stderr,
                      QStringLiteral("printer-emulator: cannot write %1: %2")
                          .arg(options.printLog, QString::fromLocal8Bit(std::strerror(errno))));
            return 1;
        }
    }

    Emulator emulator(options.emulator);
    showOutput(emulator, printLog);
    OperatorInput input(STDIN_FILENO);
    takeOperatorInput(input, emulator);
    if (!openLinks(emulator, options))
        return 1;
    const int status = app.exec();
    emulator.finishJob();
    if (printLog)
        std::fclose(printLog);
    return status;
}

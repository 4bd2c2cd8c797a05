// The utility run as a program: --help, --version and mistakes on its command line are answered
// without a display; without options it goes on to the window toolkit.

#include <QProcess>
#include <QTest>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 30000;

struct Finished
{
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Finished runUtility(const QStringList &arguments, const QString &platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    if (!platform.isEmpty())
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);

    QProcess program;
    program.setProcessEnvironment(environment);
    // A toolkit that cannot start aborts; that leaves no core file in the build tree.
    program.setChildProcessModifier([] {
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
    });
    program.start(qEnvironmentVariable("PSU_BINARY_DIR") + u"/bin/printer-switch-utility"_s,
                  arguments);
    if (!program.waitForFinished(kWaitMs)) {
        program.kill();
        program.waitForFinished(kWaitMs);
        return {};
    }
    return {program.exitStatus(), program.exitCode(), program.readAllStandardOutput(),
            program.readAllStandardError()};
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void withoutOptionsStartsTheToolkit_data();
    void withoutOptionsStartsTheToolkit();
};

void TestCommandLine::answersWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("outputStart"); // standard output begins with this
    QTest::addColumn<QByteArray>("errorLine");   // the one line on standard error, if any

    const QByteArray version = "printer-switch-utility " PSU_VERSION "\n";
    const QByteArray usage = "Usage: printer-switch-utility [OPTION]...\n";
    // Answered on standard output with status 0, or refused with one line and status 2.
    const auto answered = [](const char *name, const QStringList &arguments,
                             const QByteArray &output) {
        QTest::newRow(name) << arguments << 0 << output << QByteArray();
    };
    const auto refused = [](const char *name, const QStringList &arguments, const char *why) {
        QTest::newRow(name) << arguments << 2 << QByteArray()
                            << "printer-switch-utility: " + QByteArray(why) + " (try --help)\n";
    };
    answered("--version: name and version, nothing else", {u"--version"_s}, version);
    answered("--help: the usage", {u"--help"_s}, usage);
    answered("-h: the usage", {u"-h"_s}, usage);
    answered("Qt options before --version are let through",
             {u"-style"_s, u"Fusion"_s, u"--style=Fusion"_s, u"-reverse"_s, u"--version"_s},
             version);
    refused("unknown option: one line naming it, status 2", {u"--frobnicate"_s},
            "unknown option '--frobnicate'");
    refused("unknown option before --version still fails", {u"-x"_s, u"--version"_s},
            "unknown option '-x'");
    refused("a value where none is taken: unknown option", {u"--version=2"_s},
            "unknown option '--version=2'");
    refused("a word that is no option: unexpected argument", {u"COM1"_s},
            "unexpected argument 'COM1'");
    refused("Qt option without its value: one line, status 2", {u"-platform"_s},
            "option '-platform' needs a value");
}

void TestCommandLine::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, outputStart);
    QFETCH(QByteArray, errorLine);

    // Under no platform chosen (and no display to find), and under one that does not exist:
    // neither can show a window.
    for (const QString &platform : {QString(), u"no-such-platform"_s}) {
        const Finished finished = runUtility(arguments, platform);
        QCOMPARE(finished.status, QProcess::NormalExit);
        QCOMPARE(finished.exitCode, exitCode);
        QVERIFY2(finished.out.startsWith(outputStart), finished.out.constData());
        if (!outputStart.startsWith("Usage:")) // the version line alone, or nothing
            QCOMPARE(finished.out, outputStart);
        QCOMPARE(finished.err, errorLine);
    }
}

void TestCommandLine::withoutOptionsStartsTheToolkit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform");

    QTest::newRow("no options, QT_QPA_PLATFORM names a missing platform")
        << QStringList() << u"no-such-platform"_s;
    QTest::newRow("-platform names a missing platform")
        << QStringList{u"-platform"_s, u"no-such-platform"_s} << QString();
}

// The window is what the program opens without options: here the toolkit refuses the missing
// platform, which shows that the arguments reached it and that no answer came instead.
void TestCommandLine::withoutOptionsStartsTheToolkit()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, platform);

    const Finished finished = runUtility(arguments, platform);
    QVERIFY(finished.status == QProcess::CrashExit || finished.exitCode != 0);
    QCOMPARE(finished.out, QByteArray());
    QVERIFY2(finished.err.contains("\"no-such-platform\""), finished.err.constData());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"

// The utility run as a program: --help, --version and mistakes on its command line are answered
// without a display; without options it goes on to the window toolkit.

#include <QProcess>
#include <QTest>

#include <sys/resource.h>

namespace {

constexpr int kWaitMs = 30000;

// Platforms the program is run under: none chosen (and no display to find), and one that does
// not exist. Neither can show a window.
const QStringList kPlatformsWithoutDisplay = {QString(), QStringLiteral("no-such-platform")};

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
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);

    QProcess program;
    program.setProcessEnvironment(environment);
    // A toolkit that cannot start aborts; that leaves no core file in the build tree.
    program.setChildProcessModifier([] {
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
    });
    program.start(qEnvironmentVariable("PSU_BINARY_DIR") +
                      QStringLiteral("/bin/printer-switch-utility"),
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

    const QByteArray version = QByteArrayLiteral("printer-switch-utility " PSU_VERSION "\n");
    const QByteArray usage = QByteArrayLiteral("Usage: printer-switch-utility [OPTION]...\n");
    struct Row
    {
        const char *name;
        QStringList arguments;
        int exitCode = 0;
        QByteArray outputStart = {};
        QByteArray errorLine = {};
    };
    const Row rows[] = {
        {.name = "--version: name and version, nothing else",
         .arguments = {QStringLiteral("--version")},
         .outputStart = version},
        {.name = "--help: the usage",
         .arguments = {QStringLiteral("--help")},
         .outputStart = usage},
        {.name = "-h: the usage", .arguments = {QStringLiteral("-h")}, .outputStart = usage},
        {.name = "Qt options before --version are let through",
         .arguments = {QStringLiteral("-style"), QStringLiteral("Fusion"),
                       QStringLiteral("--style=Fusion"), QStringLiteral("-reverse"),
                       QStringLiteral("--version")},
         .outputStart = version},
        {.name = "unknown option: one line naming it, status 2",
         .arguments = {QStringLiteral("--frobnicate")},
         .exitCode = 2,
         .errorLine = "printer-switch-utility: unknown option '--frobnicate' (try --help)\n"},
        {.name = "unknown option before --version still fails",
         .arguments = {QStringLiteral("-x"), QStringLiteral("--version")},
         .exitCode = 2,
         .errorLine = "printer-switch-utility: unknown option '-x' (try --help)\n"},
        {.name = "a value where none is taken: unknown option",
         .arguments = {QStringLiteral("--version=2")},
         .exitCode = 2,
         .errorLine = "printer-switch-utility: unknown option '--version=2' (try --help)\n"},
        {.name = "a word that is no option: unexpected argument",
         .arguments = {QStringLiteral("COM1")},
         .exitCode = 2,
         .errorLine = "printer-switch-utility: unexpected argument 'COM1' (try --help)\n"},
        {.name = "Qt option without its value: one line, status 2",
         .arguments = {QStringLiteral("-platform")},
         .exitCode = 2,
         .errorLine = "printer-switch-utility: option '-platform' needs a value (try --help)\n"},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << row.arguments << row.exitCode << row.outputStart
                                << row.errorLine;
}

void TestCommandLine::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, outputStart);
    QFETCH(QByteArray, errorLine);

    for (const QString &platform : kPlatformsWithoutDisplay) {
        const Finished finished = runUtility(arguments, platform);
        QCOMPARE(finished.status, QProcess::NormalExit);
        QCOMPARE(finished.exitCode, exitCode);
        QVERIFY2(finished.out.startsWith(outputStart), finished.out.constData());
        if (outputStart.isEmpty())
            QCOMPARE(finished.out, QByteArray());
        if (outputStart.startsWith("printer-switch-utility "))
            QCOMPARE(finished.out, outputStart); // the version line alone
        QCOMPARE(finished.err, errorLine);
    }
}

void TestCommandLine::withoutOptionsStartsTheToolkit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform");

    QTest::newRow("no options, QT_QPA_PLATFORM names a missing platform")
        << QStringList() << QStringLiteral("no-such-platform");
    QTest::newRow("-platform names a missing platform")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("no-such-platform")}
        << QString();
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

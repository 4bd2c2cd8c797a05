// The printer-emulator program: its ready line, round trips over TCP and a pseudo-terminal, the
// state file across runs, a clean stop on SIGINT and SIGTERM, and its answer to bad options.

#include "LinkClients.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace LinkClients;

namespace {

QString programPath()
{
    return qEnvironmentVariable("PSU_BINARY_DIR") + QStringLiteral("/bin/printer-emulator");
}

// The program running with the given options, stopped by a signal at the end of the test.
class Program
{
public:
    explicit Program(const QStringList &arguments) { m_process.start(programPath(), arguments); }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kWaitMs);
        }
    }

    // The first line on standard output: where it listens.
    QString readyLine()
    {
        const QDeadlineTimer deadline(kWaitMs);
        while (!m_process.canReadLine() && !deadline.hasExpired() &&
               m_process.waitForReadyRead(int(deadline.remainingTime()))) {
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    // Standard error so far.
    QString errors()
    {
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_errors;
    }

    // Sends `signal` and reports whether the program ended by itself with status 0.
    bool stop(int signal)
    {
        ::kill(pid_t(m_process.processId()), signal);
        return m_process.waitForFinished(kWaitMs) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_errors;
};

quint16 tcpPort(const QString &readyLine)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^tcp 127\\.0\\.0\\.1:(\\d+)$")).match(readyLine);
    return match.hasMatch() ? match.captured(1).toUShort() : 0;
}

} // namespace

class TestEmulatorProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tcpRoundTripAndStop_data();
    void tcpRoundTripAndStop();
    void ptyAndStateAcrossRuns();
    void badOptions_data();
    void badOptions();
    void portInUse();
    void helpListsEveryOption();
};

void TestEmulatorProgram::tcpRoundTripAndStop_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestEmulatorProgram::tcpRoundTripAndStop()
{
    QFETCH(int, signal);

    Program program({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"),
                     QStringLiteral("--model"), QStringLiteral("ZEPHYR-550")});
    const quint16 port = tcpPort(program.readyLine());
    QVERIFY(port != 0);

    // A client that leaves does not end the program: the next one is served.
    for (int client = 0; client < 2; ++client) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(socket.waitForConnected(kWaitMs));
        socket.write(hex("1D 49 43"));
        COMPARE_REPLY(socket, block("ZEPHYR-550"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        program.errors().count(QStringLiteral("read model name -> ZEPHYR-550\n")) == 2, kWaitMs);
    QVERIFY(program.stop(signal));
}

void TestEmulatorProgram::ptyAndStateAcrossRuns()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("printer"));
    const QString state = dir.filePath(QStringLiteral("printer.json"));
    {
        Program program({QStringLiteral("--pty"), link, QStringLiteral("--state"), state});
        const QString ready = program.readyLine();
        QVERIFY2(ready.startsWith(QStringLiteral("pty /dev/")), qPrintable(ready));
        QCOMPARE(QFileInfo(link).symLinkTarget(), ready.mid(4));

        PtyClient client(link);
        QVERIFY(client.write(hex("1D 67 75 6E 6C 00 1D 67 38 27 32 30 30 00 1D 67 6C 63 6B 00"
                                 "1D 28 41 02 00 00 02 1D 67 34 27 00")));
        COMPARE_REPLY(client, block("200"));
        QTRY_VERIFY_WITH_TIMEOUT(program.errors().contains(QStringLiteral("self-test page")),
                                 kWaitMs);
        QVERIFY(program.errors().contains(QStringLiteral("unlock\nwrite SW1 = 200\nlock\n")));

        QFile file(state);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(
            QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("sw1")).toInt(),
            200);
        QVERIFY(program.stop(SIGTERM));
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    Program again({QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--state"), state});
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, tcpPort(again.readyLine()));
    QVERIFY(socket.waitForConnected(kWaitMs));
    socket.write(hex("1D 67 34 27 00"));
    COMPARE_REPLY(socket, block("200"));
    QVERIFY(again.stop(SIGTERM));
}

void TestEmulatorProgram::badOptions_data()
{
    QTest::addColumn<QString>("argument");
    QTest::newRow("switch byte too big") << QStringLiteral("--sw1=256");
    QTest::newRow("unknown option") << QStringLiteral("--speed");
    QTest::newRow("missing value") << QStringLiteral("--drop-after");
}

void TestEmulatorProgram::badOptions()
{
    QFETCH(QString, argument);

    QProcess process;
    process.start(programPath(), {argument});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(errors.startsWith(QStringLiteral("printer-emulator: ")) &&
                 errors.contains(QStringLiteral("--help")),
             qPrintable(errors));
}

void TestEmulatorProgram::portInUse()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    QProcess process;
    process.start(programPath(), {QStringLiteral("--tcp"), QString::number(taken.serverPort())});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().contains("cannot listen"));
}

void TestEmulatorProgram::helpListsEveryOption()
{
    QProcess process;
    process.start(programPath(), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const char *option : {"--tcp", "--pty", "--model", "--maker", "--sw1", "--sw2", "--sw3",
                               "--code-page", "--charset", "--firmware", "--state", "--reply-delay",
                               "--split-replies", "--silent", "--drop-after", "--garbage"})
        QVERIFY2(help.contains(QLatin1String(option) + QLatin1Char(' ')), option);
}

QTEST_GUILESS_MAIN(TestEmulatorProgram)
#include "tst_emulator_program.moc"

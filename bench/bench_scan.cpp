// Times printer-switch scanning 127.0.0.0/20 (4094 addresses) on a TCP port where nothing
// listens, so that every address refuses at once, with its default concurrency; and, when nmap
// is installed, nmap's default scan of the same port and range, with the ratio of the two.
// Loopback only; nmap is never installed from here.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>

#include <cstdio>

namespace {

constexpr int kRunTimeoutMs = 300000;
const QString kRange = QStringLiteral("127.0.0.0/20");

// Wall time of one run in milliseconds, or -1 when it did not end with status 0.
qint64 timed(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(kRunTimeoutMs);
    const qint64 elapsed = clock.elapsed();
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return -1;
    }
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A port that was free a moment ago: closed on every loopback address.
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 1;
    const QString port = QString::number(probe.serverPort());
    probe.close();

    const QString printerSwitch =
        QCoreApplication::applicationDirPath() + QStringLiteral("/printer-switch");
    std::printf("scan of %s, port %s closed on every address\n", qPrintable(kRange),
                qPrintable(port));
    const qint64 ours =
        timed(printerSwitch, {QStringLiteral("scan"), kRange, QStringLiteral("--tcp-port"), port});
    if (ours < 0)
        return 1;
    std::printf("  printer-switch  %6.2f s\n", double(ours) / 1000.0);

    const QString nmap = QStandardPaths::findExecutable(QStringLiteral("nmap"));
    if (nmap.isEmpty()) {
        std::printf("  nmap is not installed: no comparison\n");
        return 0;
    }
    const qint64 theirs = timed(nmap, {QStringLiteral("-n"), QStringLiteral("-p"), port, kRange});
    if (theirs < 0)
        return 1;
    std::printf("  nmap            %6.2f s\n", double(theirs) / 1000.0);
    std::printf("  printer-switch takes %.2f times nmap's time\n", double(ours) / double(theirs));
    return 0;
}

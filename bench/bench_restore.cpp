// Times printer-switch restoring one backup onto 64 emulated printers over TCP loopback, one
// printer at a time (--jobs 1) and sixteen at a time (--jobs 16). Each run starts from fresh
// printers whose settings all differ from the backup's, so that every printer is written.

#include "EmulatorThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kPrinters = 64;
constexpr int kRunTimeoutMs = 300000;

const char kBackup[] =
    R"({"maker": "NORVANTA", "model": "KV-4100", "switches": {"SW2": 37, "SW3": 1},
  "codePage": 17, "charset": 12})";

// Wall time of one restore in milliseconds, or -1 when it did not restore every printer.
qint64 restore(const QString &program, const QString &backup, int jobs)
{
    std::vector<std::unique_ptr<EmulatorThread>> printers;
    QStringList arguments{QStringLiteral("restore"), backup, QStringLiteral("--jobs"),
                          QString::number(jobs)};
    for (int i = 0; i < kPrinters; ++i) {
        printers.push_back(std::make_unique<EmulatorThread>());
        arguments << QStringLiteral("--port")
                  << QStringLiteral("tcp:127.0.0.1:%1").arg(printers.back()->listenTcp());
    }
    QProcess restore;
    QElapsedTimer clock;
    clock.start();
    restore.start(program, arguments);
    const bool finished = restore.waitForFinished(kRunTimeoutMs);
    const qint64 elapsed = clock.elapsed();
    const QByteArray out = restore.readAllStandardOutput();
    const bool allWritten =
        finished && restore.exitCode() == 0 &&
        out.endsWith(QByteArray::number(kPrinters) + " ok, 0 unchanged, 0 failed\n");
    if (!allWritten)
        std::fprintf(stderr, "%s%s", out.constData(), restore.readAllStandardError().constData());
    return allWritten ? elapsed : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString program =
        QCoreApplication::applicationDirPath() + QStringLiteral("/printer-switch");
    QTemporaryDir dir;
    const QString backup = dir.filePath(QStringLiteral("backup.json"));
    QFile file(backup);
    if (!file.open(QIODevice::WriteOnly) || file.write(kBackup) < 0)
        return 1;
    file.close();

    std::printf("restore of one backup onto %d printers over TCP loopback\n", kPrinters);
    qint64 times[2] = {};
    const int jobs[2] = {1, 16};
    for (int i = 0; i < 2; ++i) {
        times[i] = restore(program, backup, jobs[i]);
        if (times[i] < 0)
            return 1;
        std::printf("  --jobs %-2d %7.2f s  (%.0f ms a printer)\n", jobs[i],
                    double(times[i]) / 1000.0, double(times[i]) / kPrinters);
    }
    std::printf("  16 jobs are %.1f times as fast as 1\n", double(times[0]) / double(times[1]));
    return 0;
}

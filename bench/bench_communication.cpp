// Times a full communication test in the real window against the printer emulator, for each
// model over TCP loopback and over a pseudo-terminal, with a printer that answers at once and
// with one that sends status blocks between its replies, and sets the median against the pauses
// the transaction must make (10 ms after the port opens and after every TCP command). A run
// counts as failed unless the greeting came, the window opened and the model shown is the
// printer's.

#include "DesktopShell.h"
#include "DeviceResolver.h"
#include "EmulatorThread.h"
#include "MainWindow.h"
#include "Prompter.h"
#include "QtEventPump.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 50;
constexpr int kTcpPauseMs = 10;

// Answers every message at once and counts them.
class QuietPrompter : public Prompter
{
public:
    void inform(const QString &, const QString &) override { ++shown; }
    bool ask(const QString &, const QString &) override
    {
        ++shown;
        return true;
    }
    int shown = 0;
};

class NoShell : public DesktopShell
{
public:
    void quit() override {}
    void openHelp(const QString &, QObject *, std::function<void()>) override {}
};

class PtyResolver : public DeviceResolver
{
public:
    explicit PtyResolver(QString path)
        : m_path(std::move(path))
    {}
    QString serialPortName(int) const override { return m_path; }
    QString lptDeviceName() const override { return QString(); }

private:
    QString m_path;
};

struct Result
{
    double median;
    double p95;
    int failures;
};

Result run(const QString &model, bool overTcp, const Faults &faults)
{
    EmulatorThread emulator(EmulatorOptions{PrinterSettings::forModel(model), faults, QString()});
    const quint16 port = emulator.listenTcp();
    const QString pty = emulator.openPty();

    QuietPrompter prompter;
    NoShell shell;
    QtEventPump pump;
    PrinterLink::Devices devices = PrinterLink::systemDevices();
    devices.resolver = std::make_unique<PtyResolver>(pty);
    MainWindow window(prompter, shell, pump, std::move(devices));

    auto *combo = window.findChild<QComboBox *>(QStringLiteral("Combo1"));
    combo->setCurrentIndex(
        combo->findText(overTcp ? QStringLiteral("TCP/IP") : QStringLiteral("COM1")));
    Q_EMIT combo->activated(combo->currentIndex());
    window.findChild<QLineEdit *>(QStringLiteral("tcpIP"))->setText(QStringLiteral("127.0.0.1"));
    window.findChild<QLineEdit *>(QStringLiteral("tcpListenPort"))->setText(QString::number(port));

    auto *communicate = window.findChild<QPushButton *>(QStringLiteral("cmdCommunicate"));
    const auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    std::vector<double> times;
    int failures = 0;
    for (int i = 0; i < kRuns; ++i) {
        prompter.shown = 0;
        QElapsedTimer timer;
        timer.start();
        communicate->click();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (prompter.shown != 1 || !tabs->isVisibleTo(&window) ||
            window.findChild<QLabel *>(QStringLiteral("lblKV_INFO_0"))->text() != model)
            ++failures;
    }
    window.close();
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 95 / 100], failures};
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Queries of one communication test: maker, four printer and four language queries, two
    // switch bytes for either model.
    constexpr int kQueries = 11;
    const double tcpPauses = kTcpPauseMs * (kQueries + 1);

    const std::pair<const char *, Faults> printers[] = {
        {"answers at once", Faults()},
        {"status blocks", Faults{.statusBlocks = true}},
    };
    std::printf("full communication test, %d runs each\n", kRuns);
    std::printf("%-11s %-16s %-5s %10s %10s %12s %9s\n", "model", "printer", "link", "median ms",
                "p95 ms", "pauses ms", "failures");
    for (const auto &[printer, faults] : printers) {
        for (const char *model : {"KV-4100", "ZEPHYR-550"}) {
            for (const bool overTcp : {true, false}) {
                const Result r = run(QString::fromLatin1(model), overTcp, faults);
                std::printf("%-11s %-16s %-5s %10.2f %10.2f %12.0f %9d\n", model, printer,
                            overTcp ? "tcp" : "pty", r.median, r.p95, overTcp ? tcpPauses : 0.0,
                            r.failures);
            }
        }
    }
    return 0;
}

// Times one "R" transaction of the printer link, over TCP loopback and over a pseudo-terminal,
// against a small printer stand-in that answers at once, either on a thread of its own or on
// the link's thread. Prints the median and the 95th percentile of 1000 runs each.

#include "DeviceResolver.h"
#include "LinkReporter.h"
#include "LinkStatusView.h"
#include "PrinterLink.h"
#include "QtEventPump.h"
#include "QtTcpClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 1000;
constexpr int kWarmUp = 20;
const QByteArray kQuery("\x1d\x67\x34\x28\x00", 5);
const QByteArray kAnswer("_123\0", 5);

// Answers every complete query with a block at once.
class Responder : public QObject
{
public:
    virtual QString address() const = 0;

protected:
    QByteArray answersFor(const QByteArray &bytes)
    {
        m_pending += bytes;
        QByteArray out;
        while (m_pending.size() >= kQuery.size()) {
            m_pending.remove(0, kQuery.size());
            out += kAnswer;
        }
        return out;
    }

private:
    QByteArray m_pending;
};

class TcpResponder : public Responder
{
public:
    TcpResponder()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connect(socket, &QTcpSocket::readyRead, socket,
                    [this, socket] { socket->write(answersFor(socket->readAll())); });
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    QString address() const override { return QString::number(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

class PtyResponder : public Responder
{
public:
    PtyResponder()
    {
        ::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr);
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        m_path = QString::fromLocal8Bit(::ttyname(m_slave));
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char buffer[256];
            const ssize_t count = ::read(m_master, buffer, sizeof buffer);
            if (count <= 0)
                return;
            const QByteArray out = answersFor(QByteArray(buffer, count));
            if (::write(m_master, out.constData(), static_cast<size_t>(out.size())) < 0)
                std::perror("pty write");
        });
    }
    ~PtyResponder() override
    {
        delete m_notifier;
        ::close(m_master);
        ::close(m_slave);
    }
    QString address() const override { return m_path; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QSocketNotifier *m_notifier = nullptr;
};

class BenchView : public LinkStatusView, public LinkReporter
{
public:
    void showLinkStatus(const LinkStatusStyle &) override {}
    void report(const LinkProblem &problem) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(problem.text));
    }
};

class PtyResolver : public DeviceResolver
{
public:
    explicit PtyResolver(QString path)
        : m_path(std::move(path))
    {}
    QString serialPortName(int) const override { return m_path; }
    QString lptDeviceName() const override { return {}; }

private:
    QString m_path;
};

double percentile(std::vector<double> sorted, double fraction)
{
    std::sort(sorted.begin(), sorted.end());
    const auto index =
        static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted.at(index);
}

// Opens the link to the responder and times kRuns transactions.
void run(const char *name, bool tcp, Responder &responder)
{
    BenchView view;
    QtEventPump pump;
    PrinterLink::Devices devices;
    auto client = std::make_unique<QtTcpClient>();
    const QtTcpClient *tcpClient = client.get();
    devices.tcp = std::move(client);
    devices.resolver = std::make_unique<PtyResolver>(responder.address());
    PrinterLink link(view, view, pump, std::move(devices));
    LinkSettings settings{PortChoice{QStringLiteral("COM1"), PortKind::Serial, 1}};
    if (tcp)
        settings = {PortChoice{QStringLiteral("TCP/IP"), PortKind::Tcp},
                    {},
                    QStringLiteral("127.0.0.1"),
                    TcpPort(responder.address().toUShort())};
    link.setSettings(settings);
    link.OpenPort(true);
    QElapsedTimer connectClock;
    connectClock.start();
    while (tcp && tcpClient->state() != TcpClient::Connected && connectClock.elapsed() < 5000)
        pump.processEvents();

    std::vector<double> times;
    int wrong = 0;
    for (int index = 0; index < kWarmUp + kRuns; ++index) {
        QString reply = QStringLiteral("R");
        QElapsedTimer clock;
        clock.start();
        link.SendCommand(kQuery, reply);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (index >= kWarmUp)
            times.push_back(ms);
        wrong += reply != QLatin1String("123");
    }
    link.OpenPort(false);
    std::printf("%-36s median %7.3f ms   p95 %7.3f ms   (%d runs, %d wrong replies)\n", name,
                percentile(times, 0.5), percentile(times, 0.95), kRuns, wrong);
    std::fflush(stdout);
}

// Builds a responder on the given thread and runs the benchmark against it.
template<typename T> void runWith(const char *name, bool tcp, QThread *thread)
{
    if (!thread) {
        T responder;
        run(name, tcp, responder);
        return;
    }
    QObject context;
    context.moveToThread(thread);
    T *responder = nullptr;
    QMetaObject::invokeMethod(
        &context, [&] { responder = new T; }, Qt::BlockingQueuedConnection);
    run(name, tcp, *responder);
    QThread *home = QThread::currentThread();
    QMetaObject::invokeMethod(
        &context,
        [&] {
            delete responder;
            context.moveToThread(home);
        },
        Qt::BlockingQueuedConnection);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QThread peerThread;
    peerThread.start();
    runWith<TcpResponder>("tcp, peer on its own thread", true, &peerThread);
    runWith<PtyResponder>("pty, peer on its own thread", false, &peerThread);
    runWith<TcpResponder>("tcp, peer on the link's thread", true, nullptr);
    runWith<PtyResponder>("pty, peer on the link's thread", false, nullptr);
    peerThread.quit();
    peerThread.wait();
    return 0;
}

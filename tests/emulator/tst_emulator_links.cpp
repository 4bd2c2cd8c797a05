// The emulator in its own thread, reached over TCP on 127.0.0.1 and over a pseudo-terminal, with
// the faults it shows on demand.

#include "EmulatorThread.h"

#include "LinkClients.h"

#include <QFileInfo>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace LinkClients;

const QByteArray kModelQuery = hex("1D 49 43");
const QByteArray kMakerQuery = hex("1D 49 42");
const QByteArray kSw1Query = hex("1D 67 34 27 00");
const QByteArray kUnlock = hex("1D 67 75 6E 6C 00");
const QByteArray kLock = hex("1D 67 6C 63 6B 00");

} // namespace

class TestEmulatorLinks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tcpRoundTrips();
    void repliesKeepTheirOrder_data();
    void repliesKeepTheirOrder();
    void silentAndGarbage();
    void oneTcpClientAtATime();
    void ptyRoundTrips();
    void ptyDropHangsUpAndReplaces();
};

void TestEmulatorLinks::tcpRoundTrips()
{
    EmulatorThread emulator;
    const quint16 port = emulator.listenTcp();
    QVERIFY(port != 0);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(kWaitMs));

    const QByteArray stream =
        kModelQuery + kUnlock + hex("1D 67 38 28 31 32 39 00") + kLock + hex("1D 67 34 28 00");
    client.write(stream);
    const QByteArray replies = block("KV-4100") + block("129");
    COMPARE_REPLY(client, replies);

    QCOMPARE(emulator.received(), stream);
    const PrinterSnapshot snapshot = emulator.snapshot();
    QCOMPARE(snapshot.settings.sw2, 129);
    QVERIFY(snapshot.locked);
    QCOMPARE(emulator.commandLines(),
             QStringList({QStringLiteral("read model name -> KV-4100"), QStringLiteral("unlock"),
                          QStringLiteral("write SW2 = 129"), QStringLiteral("lock"),
                          QStringLiteral("read SW2 -> 129")}));

    emulator.clearReceived();
    client.write(kMakerQuery);
    COMPARE_REPLY(client, block("NORVANTA"));
    QCOMPARE(emulator.received(), kMakerQuery);
}

void TestEmulatorLinks::repliesKeepTheirOrder_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("split");
    QTest::addColumn<int>("dropAfter");

    QTest::newRow("no fault") << 0 << false << 0;
    QTest::newRow("reply delay") << 30 << false << 0;
    QTest::newRow("split replies") << 0 << true << 0;
    QTest::newRow("delay and split") << 20 << true << 0;
    QTest::newRow("drop after two") << 0 << false << 2;
    QTest::newRow("drop after two, delayed and split") << 20 << true << 2;
}

void TestEmulatorLinks::repliesKeepTheirOrder()
{
    QFETCH(int, delayMs);
    QFETCH(bool, split);
    QFETCH(int, dropAfter);

    Faults faults;
    faults.replyDelayMs = delayMs;
    faults.splitReplies = split;
    faults.dropAfter = dropAfter;
    EmulatorThread emulator({PrinterSettings::forModel(QStringLiteral("ZEPHYR-550")), faults, {}});
    const quint16 port = emulator.listenTcp();

    for (int client = 0; client < 2; ++client) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(socket.waitForConnected(kWaitMs));
        // Three queries in one go; the replies come back whole and in order.
        socket.write(kMakerQuery + kSw1Query + kModelQuery);
        QByteArray expected = block("NORVANTA") + block("105");
        if (dropAfter == 0)
            expected += block("ZEPHYR-550");
        COMPARE_REPLY(socket, expected);
        if (dropAfter == 0) {
            QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
            continue;
        }
        // The connection ends after the second command; the third is never answered, and the
        // next client is served afresh.
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, kWaitMs);
        QCOMPARE(socket.readAll(), QByteArray());
    }
    QCOMPARE(emulator.snapshot().commands, dropAfter == 0 ? 6 : 4);
}

void TestEmulatorLinks::silentAndGarbage()
{
    EmulatorThread emulator;
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, emulator.listenTcp());
    QVERIFY(client.waitForConnected(kWaitMs));

    // Silent: the command takes effect, but nothing comes back.
    Faults silent;
    silent.silent = true;
    emulator.setFaults(silent);
    client.write(kUnlock + hex("1D 67 38 27 37 00 00 00") + kSw1Query);
    QTRY_COMPARE_WITH_TIMEOUT(emulator.commandLines().size(), 3, kWaitMs);
    emulator.setFaults({});
    client.write(kMakerQuery + kSw1Query);
    COMPARE_REPLY(client, block("NORVANTA") + block("7"));

    // Garbage: some random bytes instead of the reply, then a true reply again.
    Faults garbage;
    garbage.garbage = true;
    emulator.setFaults(garbage);
    client.write(kModelQuery);
    QTRY_COMPARE_WITH_TIMEOUT(emulator.commandLines().size(), 6, kWaitMs);
    emulator.setFaults({});
    client.write(kMakerQuery);
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll()).endsWith(block("NORVANTA")), kWaitMs);
    const QByteArray noise = received.chopped(block("NORVANTA").size());
    QVERIFY(noise.size() >= 1 && noise.size() <= Faults::kMaxGarbageLength);
    QVERIFY(noise != block("KV-4100"));
}

void TestEmulatorLinks::oneTcpClientAtATime()
{
    EmulatorThread emulator;
    const quint16 port = emulator.listenTcp();
    QTcpSocket first;
    QTcpSocket second;
    first.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(first.waitForConnected(kWaitMs));
    first.write(kMakerQuery);
    COMPARE_REPLY(first, block("NORVANTA"));

    second.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(second.waitForConnected(kWaitMs));
    second.write(kModelQuery);
    QVERIFY(second.waitForBytesWritten(kWaitMs));
    // The first client is still served; once its exchange is over, the second has had nothing.
    first.write(kSw1Query);
    COMPARE_REPLY(first, block("105"));
    QCOMPARE(emulator.commandLines().size(), 2);

    first.disconnectFromHost();
    COMPARE_REPLY(second, block("KV-4100"));
}

void TestEmulatorLinks::ptyRoundTrips()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("printer"));
    EmulatorThread emulator;
    QString error;
    const QString path = emulator.openPty(link, &error);
    QVERIFY2(!path.isEmpty(), qPrintable(error));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    {
        PtyClient client(link);
        QVERIFY(client.isOpen());
        QVERIFY(client.write(kUnlock + hex("1D 67 38 27 31 00 00 00") + kLock + kSw1Query));
        COMPARE_REPLY(client, block("1"));
    }
    // A client that closed and opened the device again is served as before.
    PtyClient again(path);
    QVERIFY(again.write(kModelQuery));
    COMPARE_REPLY(again, block("KV-4100"));

    // The TCP front end talks to the same printer.
    QTcpSocket tcp;
    tcp.connectToHost(QHostAddress::LocalHost, emulator.listenTcp());
    QVERIFY(tcp.waitForConnected(kWaitMs));
    tcp.write(kSw1Query);
    COMPARE_REPLY(tcp, block("1"));
    QCOMPARE(emulator.received(), kUnlock + hex("1D 67 38 27 31 00 00 00") + kLock + kSw1Query +
                                      kModelQuery + kSw1Query);
}

void TestEmulatorLinks::ptyDropHangsUpAndReplaces()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("printer"));
    Faults faults;
    faults.dropAfter = 1;
    EmulatorThread emulator({PrinterSettings::forModel(QStringLiteral("KV-4100")), faults, {}});
    const QString path = emulator.openPty(link);
    QVERIFY(!path.isEmpty());

    PtyClient client(path);
    QVERIFY(client.write(kModelQuery));
    COMPARE_REPLY(client, block("KV-4100"));
    QVERIFY(client.waitForHangUp());

    QTRY_VERIFY_WITH_TIMEOUT(emulator.ptyPath() != path, kWaitMs);
    const QString replaced = emulator.ptyPath();
    QCOMPARE(QFileInfo(link).symLinkTarget(), replaced);
    PtyClient next(link);
    QVERIFY(next.write(kMakerQuery));
    COMPARE_REPLY(next, block("NORVANTA"));
}

QTEST_GUILESS_MAIN(TestEmulatorLinks)
#include "tst_emulator_links.moc"

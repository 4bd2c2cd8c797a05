// The command transaction against real peers: a TCP printer on 127.0.0.1 and a printer on a
// pseudo-terminal, reached as a serial port and as a printer device.

#include "FdLptDevice.h"
#include "LinkFakes.h"
#include "PrinterLink.h"
#include "PrinterPeer.h"
#include "QtSerialDevice.h"
#include "QtTcpClient.h"
#include "SystemEventPump.h"

#include <QTest>

enum class Transport { Tcp, Serial, Lpt };
Q_DECLARE_METATYPE(Transport)
Q_DECLARE_METATYPE(AnswerStep)

namespace {

const QByteArray kGetSW2("\x1d\x67\x34\x28\x00", 5);
const QByteArray kGetSW3("\x1d\x67\x34\x29\x00", 5);
const QByteArray kUnlock("\x1d\x67\x75\x6e\x6c\x00", 6);

QByteArray bytes(const char *text, int size)
{
    return QByteArray(text, size);
}

// One link with its real device and the peer at the other end.
struct Rig
{
    explicit Rig(Transport kind)
        : transport(kind)
    {
        PrinterLink::Devices devices;
        auto *resolver = new FakeResolver;
        devices.resolver.reset(resolver);
        if (transport == Transport::Tcp) {
            auto *tcpPeer = new TcpPrinterPeer;
            peer.reset(tcpPeer);
            view.port = QString::number(tcpPeer->port());
            devices.tcp.reset(tcp = new QtTcpClient);
            device = tcp;
        } else {
            auto *ptyPeer = new PtyPrinterPeer;
            peer.reset(ptyPeer);
            resolver->serial.insert(3, ptyPeer->devicePath());
            resolver->lpt = ptyPeer->devicePath();
            if (transport == Transport::Serial) {
                auto *serial = new QtSerialDevice;
                devices.serial.reset(serial);
                device = serial;
            } else {
                auto *lpt = new FdLptDevice;
                devices.lpt.reset(lpt);
                device = lpt;
            }
        }
        link = std::make_unique<PrinterLink>(view, prompter, pump, std::move(devices));
        const char *const names[] = {"TCP/IP", "COM3", "LPT1"};
        link->Combo1_Click(QLatin1String(names[static_cast<int>(transport)]));
    }

    // Opens the port and, over TCP, waits until the connection is up.
    bool open()
    {
        const bool opened = link->OpenPort(link->PortName(), true);
        if (transport != Transport::Tcp)
            return opened;
        auto *tcpPeer = static_cast<TcpPrinterPeer *>(peer.get());
        return QTest::qWaitFor(
            [&] { return tcp->state() == TcpClient::Connected && tcpPeer->connected(); });
    }

    QString transact(const QByteArray &command, const char *mode = "R")
    {
        QString reply = QLatin1String(mode);
        sent = link->SendCommand(command, reply);
        return reply;
    }

    // Waits until bytes the peer sent wait at the link's end, unread.
    bool bytesWaiting()
    {
        return QTest::qWaitFor([&] { return device->bytesAvailable() > 0; });
    }

    Transport transport;
    FakeLinkView view;
    RecordingPrompter prompter;
    SystemEventPump pump;
    std::unique_ptr<PrinterPeer> peer;
    ByteChannel *device = nullptr;
    TcpClient *tcp = nullptr;
    std::unique_ptr<PrinterLink> link;
    bool sent = false;
};

void addRows(const char *name, const QList<Transport> &transports,
             const std::function<void(QTestData &)> &values)
{
    const char *const prefixes[] = {"tcp", "serial", "lpt"};
    for (const Transport transport : transports)
        values(QTest::addRow("%s: %s", prefixes[static_cast<int>(transport)], name) << transport);
}

const QList<Transport> kAllTransports{Transport::Tcp, Transport::Serial, Transport::Lpt};
const QList<Transport> kStreamTransports{Transport::Tcp, Transport::Serial};

} // namespace

class LinkTransactionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reply_data();
    void reply();
    void staleBytes_data();
    void staleBytes();
    void printerGone_data();
    void printerGone();
    void flood_data();
    void flood();
    void nestedTransactionRefused();
    void failedConnection();
};

void LinkTransactionTest::reply_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<QList<AnswerStep>>("answer");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const QList<AnswerStep> &answer, const QString &expected,
                        const QList<Transport> &transports = kAllTransports) {
        addRows(name, transports, [&](QTestData &data) { data << answer << expected; });
    };
    row("block", {{bytes("_123\0", 5)}}, QStringLiteral("123"));
    row("framing only", {{bytes("_\0", 2)}}, QString());
    row("underscores inside", {{bytes("_A_B\0", 5)}}, QStringLiteral("AB"));
    row("unframed text", {{"NORVANTA"}}, QStringLiteral("NORVANTA"));
    row("CR LF kept", {{bytes("_KV\r\n\0", 6)}}, QStringLiteral("KV\r\n"));
    row("block in delayed pieces", {{"_12"}, {"3", 30}, {bytes("4\0", 2), 30}},
        QStringLiteral("1234"));
    row("unframed pieces", {{"AB"}, {"CD", 10}}, QStringLiteral("ABCD"));
    row("late first byte", {{bytes("_7\0", 3), 300}}, QStringLiteral("7"));
    row("bytes above 127 unchanged", {{bytes("_\xb0\xff\0", 4)}}, QString::fromLatin1("\xb0\xff"));
    row("bytes after the block dropped", {{bytes("_5\0XYZ", 6)}}, QStringLiteral("5"));
    row("silence", {}, QString());
    row("thirty bytes at most", {{QByteArray(40, 'x')}}, QString(30, QLatin1Char('x')),
        {Transport::Lpt});
}

void LinkTransactionTest::reply()
{
    QFETCH(Transport, transport);
    QFETCH(QList<AnswerStep>, answer);
    QFETCH(QString, expected);

    Rig rig(transport);
    QVERIFY(rig.open());
    rig.peer->answer(kGetSW2, answer);

    QCOMPARE(rig.transact(kGetSW2), expected);
    QVERIFY(rig.sent);
    // A command that wants no reply goes out after it: the device is ready for writing again.
    QCOMPARE(rig.transact(kUnlock, "W"), QString());
    QVERIFY(rig.sent);
    QTRY_COMPARE(rig.peer->received(), kGetSW2 + kUnlock);
    QCOMPARE(rig.prompter.shown.size(), 0);
}

void LinkTransactionTest::staleBytes_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<bool>("answerToWrite");

    addRows("unasked bytes", kStreamTransports, [](QTestData &data) { data << false; });
    addRows("answer to a write", kStreamTransports, [](QTestData &data) { data << true; });
}

void LinkTransactionTest::staleBytes()
{
    QFETCH(Transport, transport);
    QFETCH(bool, answerToWrite);

    Rig rig(transport);
    QVERIFY(rig.open());
    if (answerToWrite) {
        rig.peer->answer(kUnlock, {{bytes("_OK\0", 4)}});
        QCOMPARE(rig.transact(kUnlock, "W"), QString());
    } else {
        rig.peer->send(bytes("_99\0", 4));
    }
    QVERIFY(rig.bytesWaiting());
    rig.peer->answer(kGetSW2, {{bytes("_37\0", 4)}});

    QCOMPARE(rig.transact(kGetSW2), QStringLiteral("37"));
}

void LinkTransactionTest::printerGone_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<QStringList>("messages");

    const QStringList none;
    QTest::newRow("tcp") << Transport::Tcp
                         << QStringList{
                                QStringLiteral("Error: Error #  1 was generated by QTcpSocket\r"
                                               "The remote host closed the connection")};
    QTest::newRow("serial") << Transport::Serial << none;
    // The device cannot be opened for writing again, and the user is told why.
    QTest::newRow("lpt") << Transport::Lpt
                         << QStringList{QStringLiteral(
                                "KV_SW_Utility: Error no  2: No such file or directory")};
}

void LinkTransactionTest::printerGone()
{
    QFETCH(Transport, transport);
    QFETCH(QStringList, messages);

    Rig rig(transport);
    QVERIFY(rig.open());
    // A block that has begun and never ends: the printer goes away in the middle of it.
    rig.peer->answer(kGetSW2, {{"_12"}, {{}, 20, true}});

    QCOMPARE(rig.transact(kGetSW2), QString());
    QCOMPARE(rig.prompter.shown, messages);
    // Later commands find the port closed: not sent, no reply and no crash.
    QCOMPARE(rig.transact(kGetSW3), QString());
    QVERIFY(!rig.sent);
}

void LinkTransactionTest::flood_data()
{
    QTest::addColumn<Transport>("transport");
    addRows("one megabyte", kStreamTransports, [](QTestData &) {});
}

void LinkTransactionTest::flood()
{
    QFETCH(Transport, transport);

    Rig rig(transport);
    QVERIFY(rig.open());
    rig.peer->answer(kGetSW2, {{QByteArray(1 << 20, 'A')}});
    rig.peer->answer(kGetSW3, {{bytes("_OK\0", 4)}});

    QCOMPARE(rig.transact(kGetSW2), QString(1024, QLatin1Char('A')));
    // The rest of the flood arrives and is dropped before the next command goes out.
    QTRY_VERIFY(rig.peer->idle());
    QCOMPARE(rig.transact(kGetSW3), QStringLiteral("OK"));
}

void LinkTransactionTest::nestedTransactionRefused()
{
    Rig rig(Transport::Tcp);
    QVERIFY(rig.open());
    rig.peer->answer(kGetSW2, {{bytes("_37\0", 4), 50}});
    QString nestedReply;
    bool nestedSawTransaction = false;
    bool nestedSent = true;
    // A timer that fires while the link waits tries to start a second transaction.
    QTimer::singleShot(0, [&] {
        nestedSawTransaction = rig.link->inTransaction();
        nestedReply = QStringLiteral("R");
        nestedSent = rig.link->SendCommand(kGetSW3, nestedReply);
    });

    QCOMPARE(rig.transact(kGetSW2), QStringLiteral("37"));
    QVERIFY(nestedSawTransaction);
    QCOMPARE(nestedReply, QString());
    QVERIFY(!nestedSent);
    QCOMPARE(rig.peer->received(), kGetSW2);
    QVERIFY(!rig.link->inTransaction());
}

void LinkTransactionTest::failedConnection()
{
    Rig rig(Transport::Tcp);
    // A port on which nothing listens any more.
    {
        TcpPrinterPeer closed;
        rig.view.port = QString::number(closed.port());
    }
    rig.link->OpenPort(rig.link->PortName(), true);
    QVERIFY(rig.link->isStatusTimerActive());
    QTRY_COMPARE(rig.view.statuses.last(), QStringLiteral("unknown 0,0,0"));

    QCOMPARE(rig.transact(kGetSW2), QString());
    QCOMPARE(rig.prompter.shown.size(), 1);
    QCOMPARE(rig.prompter.shown.first(),
             QStringLiteral(
                 "KV_SW_Utility: Could not send data now, please check lan printer status... 9"));
}

QTEST_GUILESS_MAIN(LinkTransactionTest)
#include "tst_link_transaction.moc"

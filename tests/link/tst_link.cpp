// The printer link against real peers, a TCP printer on 127.0.0.1 and a pseudo-terminal as
// serial port and printer device: opening, status box, messages and the command transaction.

#include "LinkView.h"
#include "PrinterLink.h"
#include "PrinterPeer.h"
#include "Prompter.h"
#include "QtSerialDevice.h"
#include "QtTcpClient.h"
#include "SystemEventPump.h"

#include <QTest>

enum class Transport { Tcp, Serial, Lpt };
Q_DECLARE_METATYPE(Transport)
Q_DECLARE_METATYPE(AnswerStep)

namespace {

const auto l = [](const char *text) { return QString::fromLatin1(text); };

const QByteArray kUnlock("\x1d\x67unl", 6), kGetSW2("\x1d\x67\x34\x28", 5),
    kGetSW3("\x1d\x67\x34\x29", 5);
constexpr const char *kPorts[] = {"TCP/IP", "COM3", "LPT1"};

// Every port leads to `path`.
struct FakeResolver : DeviceResolver
{
    QString serialPortName(int) const override { return path; }
    QString lptDeviceName() const override { return path; }
    QString path;
};

// The system's serial port, keeping the settings of each open; its faults: "open" and "dsr" off.
struct FaultySerialDevice : QtSerialDevice
{
    bool open(const QString &name, const SerialSettings &settings) override
    {
        opened.append(settings);
        return fault != u"open" && QtSerialDevice::open(name, settings);
    }
    bool dsr() const override { return fault != u"dsr"; }
    QString fault;
    QList<SerialSettings> opened;
};

// A link with a peer of the transport's kind; as the window, it keeps status texts and messages.
struct Rig : LinkView, Prompter
{
    explicit Rig(Transport transport)
        : peer(transport == Transport::Tcp)
    {
        auto *resolver = new FakeResolver;
        resolver->path = QString::fromLocal8Bit(::ttyname(peer.slave));
        auto *tcp = new QtTcpClient;
        device = transport == Transport::Tcp ? static_cast<ByteChannel *>(tcp) : serial;
        PrinterLink::Devices devices{std::unique_ptr<SerialDevice>(serial),
                                     std::unique_ptr<TcpClient>(tcp), nullptr,
                                     std::unique_ptr<DeviceResolver>(resolver)};
        link = std::make_unique<PrinterLink>(*this, *this, pump, std::move(devices));
        link->Combo1_Click(l(kPorts[int(transport)]));
    }

    // 9600 baud, even parity, XON/XOFF.
    SerialOptions serialOptions() const override { return {0, 0, 0, 1, 0, 1, 0, 1}; }
    QString tcpAddress() const override { return l("127.0.0.1"); }
    QString tcpPort() const override { return QString::number(peer.server.serverPort()); }
    void showPortFrames(bool, bool) override {}
    void showLinkStatus(const QString &text, int, int, int) override { statuses.append(text); }
    void inform(const QString &text, const QString &title) override
    {
        shown << title + u':' + u' ' + text;
    }
    bool ask(const QString &, const QString &) override { return false; }

    // Opens the port and, over TCP, waits until it is connected.
    bool open()
    {
        return link->OpenPort(link->PortName(), true) &&
               (link->PortType() != u"TCP" || QTest::qWaitFor([&] { return device->isOpen(); }));
    }
    QString transact(const QByteArray &command, const char *mode = "R")
    {
        QString reply = l(mode);
        sent = link->SendCommand(command, reply);
        return reply;
    }

    SystemEventPump pump;
    PrinterPeer peer;
    QStringList statuses, shown;
    FaultySerialDevice *serial = new FaultySerialDevice;
    const ByteChannel *device = nullptr; // the serial port or the TCP client
    std::unique_ptr<PrinterLink> link;
    bool sent = false;
};

} // namespace

class LinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serialPort_data()
    {
        QTest::addColumn<QString>("fault"); // the port is the first word of the tag
        QTest::addColumn<QString>("message");

        QTest::newRow("COM1") << QString() << QString();
        QTest::newRow("COM16 open refused")
            << l("open")
            << l("KV_SW_Utility: The COM16 can not OPEN !!\r\rPlease check that "
                 "whether <printer driver> or <other application> occupy it !");
        QTest::newRow("COM1 DSR off") << l("dsr")
                                      << l("KV_SW_Utility: The COM1 port is busy...\r\n\r\n"
                                           "Please double check the printer cable status.");
    }

    void serialPort()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);

        Rig rig(Transport::Serial);
        rig.link->Combo1_Click(l(QTest::currentDataTag()).section(u' ', 0, 0));
        rig.serial->fault = fault;
        QCOMPARE(rig.open(), message.isEmpty());
        QCOMPARE(rig.shown, message.isEmpty() ? QStringList() : QStringList{message});
        // XON/XOFF is software flow control.
        QCOMPARE(rig.link->settingsText(), l("9600,E,8,1"));
        QCOMPARE(rig.serial->opened, (QList<SerialSettings>{{9600, true, true}}));
    }

    void tcpStatus()
    {
        Rig rig(Transport::Tcp);
        // The printer's one waiting place is taken: the link stays connecting, and sends nothing.
        rig.peer.server.pauseAccepting();
        QTcpSocket first;
        first.connectToHost(QHostAddress::LocalHost, rig.peer.server.serverPort());
        QVERIFY(first.waitForConnected());
        QVERIFY(rig.link->OpenPort(rig.link->PortName(), true));
        QCOMPARE(rig.transact(kGetSW2), QString());
        QVERIFY(!rig.sent);
        QCOMPARE(rig.shown, QStringList{l("KV_SW_Utility: Could not send data now, please check "
                                          "lan printer status... 6")});
        // Once the printer takes the connection, the box shows it; it is redrawn on a change of
        // state only, though the link and its timer look at the state all the time.
        rig.peer.server.resumeAccepting();
        QTRY_COMPARE_WITH_TIMEOUT(rig.statuses, (QStringList{l("Connecting..."), l("Connected")}),
                                  10000);
        rig.link->cmdSTATUS_Click();
        QCOMPARE(rig.statuses.size(), 2);
    }

    void reply_data()
    {
        QTest::addColumn<Transport>("transport");
        QTest::addColumn<QString>("message"); // shown when the printer has gone away
        QTest::addColumn<QList<AnswerStep>>("answer");
        QTest::addColumn<QString>("expected");

        const auto row = [](Transport t, const char *name,
                            const char *message = nullptr) -> QTestData & {
            return QTest::addRow("%s: %s", kPorts[int(t)], name) << t << l(message);
        };
        for (const Transport t : {Transport::Tcp, Transport::Serial, Transport::Lpt}) {
            // "_" and NUL are left out wherever they stand, bytes above 127 keep their value, and
            // what follows the block is dropped.
            row(t, "cleaned") << QList<AnswerStep>{{QByteArray("_A_B\xb0\xff\0XYZ", 10)}}
                              << l("AB\xb0\xff");
            row(t, "late first byte, delayed pieces")
                << QList<AnswerStep>{{"_12", 300}, {"3", 30}, {QByteArray("4", 2), 30}}
                << l("1234");
            row(t, "silence") << QList<AnswerStep>() << QString();
        }
        // A reply without "_" ends when the printer falls silent.
        row(Transport::Serial, "unframed") << QList<AnswerStep>{{"KV\r\n"}} << l("KV\r\n");
        row(Transport::Tcp, "flood")
            << QList<AnswerStep>{{QByteArray(1 << 20, 'A')}} << QString(1024, u'A');
        row(Transport::Lpt, "thirty bytes at most")
            << QList<AnswerStep>{{QByteArray(40, 'x')}} << QString(30, u'x');
        // The printer goes away in the middle of a block. Over TCP the socket's error is shown;
        // the printer device cannot be opened for writing again, and the user is told why.
        const QList<AnswerStep> gone{{"_12"}, {{}, 20}};
        row(Transport::Tcp, "gone",
            "Error: Error #  1 was generated by QTcpSocket\r"
            "The remote host closed the connection")
            << gone << QString();
        row(Transport::Serial, "gone") << gone << QString();
        row(Transport::Lpt, "gone", "KV_SW_Utility: Error no  2: No such file or directory")
            << gone << QString();
    }

    void reply()
    {
        QFETCH(Transport, transport);
        QFETCH(QString, message);
        QFETCH(QList<AnswerStep>, answer);
        QFETCH(QString, expected);

        Rig rig(transport);
        QVERIFY(rig.open());
        rig.peer.script = {{kGetSW2, answer}, {kGetSW3, {{QByteArray("_OK", 4)}}}};
        // A printer that answers a command wanting no reply: nobody waits for that answer, and it
        // is not taken for the next reply. (The printer device is not read between commands.)
        if (transport != Transport::Lpt)
            rig.peer.script.append({kUnlock, {{QByteArray("_99", 4)}}});
        QCOMPARE(rig.transact(kUnlock, "W"), QString());
        QVERIFY(rig.sent);
        QVERIFY(QTest::qWaitFor(
            [&] { return transport == Transport::Lpt || rig.device->bytesAvailable() > 0; }));
        // A timer that fires while the link waits tries to start a second transaction: refused.
        QString nestedReply = l("R");
        QTimer::singleShot(0, [&] { QVERIFY(!rig.link->SendCommand(kGetSW3, nestedReply)); });
        QCOMPARE(rig.transact(kGetSW2), expected);
        QVERIFY(rig.sent);
        QCOMPARE(nestedReply, QString());
        QCOMPARE(rig.shown, message.isEmpty() ? QStringList() : QStringList{message});
        // Whatever else came is dropped, and the device is ready for the next command, unless
        // the printer has gone.
        const bool gone = !answer.isEmpty() && answer.last().bytes.isEmpty();
        QTRY_VERIFY(!rig.peer.socket || !rig.peer.socket->bytesToWrite()); // all has left
        QCOMPARE(rig.transact(kGetSW3), gone ? QString() : l("OK"));
        QCOMPARE(rig.sent, !gone);
        QCOMPARE(rig.peer.received, kUnlock + kGetSW2 + (gone ? QByteArray() : kGetSW3));
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"

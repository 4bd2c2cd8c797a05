// The printer link: opening, closing, status box and messages; the command transaction against
// real peers, a TCP printer on 127.0.0.1 and a pseudo-terminal as serial port and printer device.

#include "FdLptDevice.h"
#include "LinkView.h"
#include "PrinterLink.h"
#include "PrinterPeer.h"
#include "Prompter.h"
#include "QtSerialDevice.h"
#include "QtTcpClient.h"
#include "SystemDeviceResolver.h"
#include "SystemEventPump.h"

#include <QTest>

enum class Transport { Tcp, Serial, Lpt };
Q_DECLARE_METATYPE(Transport)
Q_DECLARE_METATYPE(AnswerStep)
Q_DECLARE_METATYPE(SerialOptions)

namespace {

QString l(const char *text)
{
    return QString::fromLatin1(text);
}

const QByteArray kGetSW2("\x1d\x67\x34\x28\x00", 5);
const QByteArray kGetSW3("\x1d\x67\x34\x29\x00", 5);
constexpr const char *kPorts[] = {"TCP/IP", "COM3", "LPT1"};

// The window and its message boxes as the link sees them: options to read, and a record of the
// status boxes and of every message box as "title: text".
struct FakeWindow : LinkView, Prompter
{
    SerialOptions serialOptions() const override { return options; }
    QString tcpAddress() const override { return l("127.0.0.1"); }
    QString tcpPort() const override { return port; }
    void showPortFrames(bool, bool) override {}
    void showLinkStatus(const QString &text, int red, int green, int blue) override
    {
        statuses.append(QStringLiteral("%1 %2,%3,%4").arg(text).arg(red).arg(green).arg(blue));
    }
    void inform(const QString &text, const QString &title) override
    {
        shown.append(title + l(": ") + text);
    }
    bool ask(const QString &, const QString &) override { return false; }

    SerialOptions options;
    QString port;
    QStringList statuses;
    QStringList shown;
};

// COM3 and LPT1 lead to `path`; no other port exists.
struct FakeResolver : DeviceResolver
{
    QString serialPortName(int number) const override { return number == 3 ? path : QString(); }
    QString lptDeviceName() const override { return path; }
    QString path;
};

// A serial port that never answers and keeps the settings of each open; it refuses to open,
// close and write while it does not work.
struct FakeSerialDevice : SerialDevice
{
    bool open(const QString &, const SerialSettings &settings) override
    {
        opened.append(settings);
        return portOpen = works;
    }
    bool close() override { return !(portOpen = portOpen && !works); }
    bool dsr() const override { return dsrOn; }
    bool cts() const override { return ctsOn; }
    bool isOpen() const override { return portOpen; }
    bool write(const QByteArray &) override { return portOpen && works; }
    bool flush(int) override { return portOpen; }
    qint64 bytesAvailable() const override { return 0; }
    QByteArray read(qint64) override { return {}; }
    bool waitForReadyRead(int) override { return false; }
    void discardInput() override {}

    bool works = true, dsrOn = true, ctsOn = true, portOpen = false;
    QList<SerialSettings> opened;
};

// A link with real devices, or with a fake serial port, and a peer of the transport's kind.
struct Rig
{
    explicit Rig(Transport transport, FakeSerialDevice *fakeSerial = nullptr)
        : peer(transport == Transport::Tcp)
        , serial(fakeSerial)
    {
        PrinterLink::Devices devices;
        auto *resolver = new FakeResolver;
        resolver->path = peer.devicePath();
        devices.resolver.reset(resolver);
        devices.serial.reset(serial ? static_cast<SerialDevice *>(serial) : new QtSerialDevice);
        devices.tcp = std::make_unique<QtTcpClient>();
        devices.lpt = std::make_unique<FdLptDevice>();
        const ByteChannel *const channels[] = {devices.tcp.get(), devices.serial.get(),
                                               devices.lpt.get()};
        device = channels[int(transport)];
        window.port = QString::number(peer.port());
        link = std::make_unique<PrinterLink>(window, window, pump, std::move(devices));
        link->Combo1_Click(l(kPorts[int(transport)]));
    }

    // Opens (or closes) the port and, over TCP, waits until the link is connected.
    bool open(bool open = true)
    {
        const int connections = peer.connections;
        const bool done = link->OpenPort(link->PortName(), open);
        return done && (!open || link->PortType() != u"TCP" || QTest::qWaitFor([&] {
                   return device->isOpen() && peer.connections > connections;
               }));
    }

    QString transact(const QByteArray &command, const char *mode = "R")
    {
        QString reply = l(mode);
        sent = link->SendCommand(command, reply);
        return reply;
    }

    FakeWindow window;
    SystemEventPump pump;
    PrinterPeer peer;
    FakeSerialDevice *serial;
    const ByteChannel *device = nullptr;
    std::unique_ptr<PrinterLink> link;
    bool sent = false;
};

// Adds one row named after the port and `name`, with the transport as first value.
QTestData &row(Transport transport, const char *name)
{
    return QTest::addRow("%s: %s", kPorts[int(transport)], name) << transport;
}

QList<AnswerStep> answer(const QByteArray &bytes, int delayMs = 0)
{
    return {{bytes, delayMs}};
}

} // namespace

class LinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serialPort_data();
    void serialPort();
    void tcpPortAndStatus();
    void serialPortOrder();
    void reply_data();
    void reply();
    void printerGone();
};

void LinkTest::serialPort_data()
{
    QTest::addColumn<SerialOptions>("options"); // of a second open, which starts from a closed port
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("settings"); // the settings text; empty: the port is left closed
    QTest::addColumn<QString>("message");  // empty: none, and the open succeeds

    const QString cannot = l("KV_SW_Utility: The COM3 can not %1 !!\r\rPlease check that whether "
                             "<printer driver> or <other application> occupy it !");
    const SerialOptions even9600{false, false, false, true, false, true, true, false}, initial;
    const SerialOptions nothing{false, false, false, false, false, false, false, false};
    const QString none, kept = l("19200,E,8,1 XON");
    QTest::newRow("9600 even") << even9600 << none << l("9600,E,8,1") << none;
    // A group with no button selected keeps the code of the previous open.
    QTest::newRow("nothing selected") << nothing << none << kept << none;
    QTest::newRow("open refused") << initial << l("refused") << none << cannot.arg(l("OPEN"));
    QTest::newRow("DSR off") << initial << l("dsr") << l("115200,N,8,1")
                             << l("KV_SW_Utility: The COM3 port is busy...\r\n\r\nPlease double "
                                  "check the printer cable status.");
    QTest::newRow("close refused") << nothing << l("close") << kept << cannot.arg(l("CLOSE"));
}

void LinkTest::serialPort()
{
    QFETCH(SerialOptions, options);
    QFETCH(QString, fault);
    QFETCH(QString, settings);
    QFETCH(QString, message);

    Rig rig(Transport::Serial, new FakeSerialDevice);
    rig.window.options = {false, false, true, false, false, true, false, true}; // 19200 E XON
    if (fault != u"refused")
        QVERIFY(rig.open());
    rig.window.options = options;
    rig.serial->works = fault != u"refused" && fault != u"close";
    rig.serial->dsrOn = fault != u"dsr";
    QCOMPARE(rig.open(fault != u"close"), message.isEmpty());
    QCOMPARE(rig.window.shown, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(rig.serial->isOpen(), !settings.isEmpty());
    // A command goes out only while the port is open and takes its bytes.
    rig.transact(kGetSW2, "W");
    QCOMPARE(rig.sent, !settings.isEmpty() && fault != u"close");
    if (settings.isEmpty())
        return;
    // The settings text, and XON/XOFF when the port was given software flow control.
    const SerialSettings last = rig.serial->opened.last();
    QVERIFY(settings.startsWith(rig.link->settingsText()));
    QCOMPARE(QStringLiteral("%1,%2,8,1").arg(last.baudRate).arg(last.evenParity ? 'E' : 'N') +
                 (last.softwareFlowControl ? l(" XON") : QString()),
             settings);
}

void LinkTest::tcpPortAndStatus()
{
    Rig rig(Transport::Tcp);
    rig.window.port = u' ' + rig.window.port + u' ';
    QVERIFY(rig.open());
    // A port text that is no port number leaves the port as it was.
    for (const char *port : {"abc", "70000"}) {
        rig.window.port = l(port);
        QVERIFY(rig.open());
    }
    QVERIFY(rig.link->isStatusTimerActive());
    // The box is redrawn when the state has changed, and only then.
    rig.link->cmdSTATUS_Click();
    const QStringList statuses = rig.window.statuses;
    rig.link->cmdSTATUS_Click();
    QCOMPARE(rig.window.statuses, statuses);
    QCOMPARE(statuses.last(), l("Connected 0,0,192"));
    rig.peer.hangUp();
    QTRY_COMPARE(rig.window.statuses.last(), l("unknown 0,0,0"));
    QCOMPARE(rig.transact(kGetSW2), QString());
    QVERIFY(!rig.sent);
    QCOMPARE(rig.window.shown,
             QStringList{l("KV_SW_Utility: Could not send data now, please check lan printer "
                           "status... 9")});
    QVERIFY(rig.open(false));
    QVERIFY(!rig.link->isStatusTimerActive());
    QCOMPARE(rig.window.statuses.last(), l("Disconnect 255,0,0"));
}

void LinkTest::serialPortOrder()
{
    // On-board ports first, then USB, then ACM, then the rest; numbers in number order.
    const QStringList reported = l("ttyAMA0 ttyACM0 ttyUSB1 ttyS10 ttyUSB0 ttyS2").split(u' ');
    QCOMPARE(SystemDeviceResolver::orderedSerialPorts(reported),
             l("ttyS2 ttyS10 ttyUSB0 ttyUSB1 ttyACM0 ttyAMA0").split(u' '));
}

void LinkTest::reply_data()
{
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<QByteArray>("stale"); // bytes nobody asked for, waiting before the command
    QTest::addColumn<QList<AnswerStep>>("answer");
    QTest::addColumn<QString>("expected");

    const QByteArray none;
    for (const Transport t : {Transport::Tcp, Transport::Serial, Transport::Lpt}) {
        row(t, "framing only") << none << answer(QByteArray("_\0", 2)) << QString();
        row(t, "unframed, CR LF kept") << none << answer("KV\r\n") << l("KV\r\n");
        // "_" is left out wherever it stands; bytes above 127 keep their value.
        row(t, "cleaned") << none << answer(QByteArray("_A_B\xb0\xff\0", 7)) << l("AB\xb0\xff");
        row(t, "late first byte, delayed pieces")
            << none << QList<AnswerStep>{{"_12", 300}, {"3", 30}, {QByteArray("4\0", 2), 30}}
            << l("1234");
        row(t, "bytes after the block dropped")
            << none << answer(QByteArray("_5\0XYZ", 6)) << l("5");
        row(t, "silence") << none << QList<AnswerStep>() << QString();
    }
    for (const Transport t : {Transport::Tcp, Transport::Serial})
        row(t, "stale bytes dropped")
            << QByteArray("_99\0", 4) << answer(QByteArray("_37\0", 4)) << l("37");
    row(Transport::Tcp, "flood") << none << answer(QByteArray(1 << 20, 'A')) << QString(1024, u'A');
    row(Transport::Lpt, "thirty bytes at most")
        << none << answer(QByteArray(40, 'x')) << QString(30, u'x');
}

void LinkTest::reply()
{
    QFETCH(Transport, transport);
    QFETCH(QByteArray, stale);
    QFETCH(QList<AnswerStep>, answer);
    QFETCH(QString, expected);

    Rig rig(transport);
    QVERIFY(rig.open());
    if (!stale.isEmpty()) {
        rig.peer.send(stale);
        QVERIFY(QTest::qWaitFor([&] { return rig.device->bytesAvailable() > 0; }));
    }
    rig.peer.script = {{kGetSW2, answer}, {kGetSW3, {{QByteArray("_OK\0", 4)}}}};
    // A timer that fires while the link waits tries to start a second transaction: refused.
    QString nestedReply = l("R");
    QTimer::singleShot(0, [&] { QVERIFY(!rig.link->SendCommand(kGetSW3, nestedReply)); });
    QCOMPARE(rig.transact(kGetSW2), expected);
    QVERIFY(rig.sent);
    QCOMPARE(nestedReply, QString());
    // Whatever else came is dropped, and the device is ready for the next command.
    QTRY_VERIFY(rig.peer.idle());
    QCOMPARE(rig.transact(kGetSW3), l("OK"));
    QCOMPARE(rig.peer.received, kGetSW2 + kGetSW3);
    QCOMPARE(rig.window.shown, QStringList());
}

void LinkTest::printerGone()
{
    // Over TCP the socket's error is shown; the printer device cannot be opened for writing
    // again, and the user is told why.
    const QString messages[] = {
        l("Error: Error #  1 was generated by QTcpSocket\rThe remote host closed the connection"),
        QString(), l("KV_SW_Utility: Error no  2: No such file or directory")};
    for (const Transport transport : {Transport::Tcp, Transport::Serial, Transport::Lpt}) {
        Rig rig(transport);
        QVERIFY(rig.open());
        // A block that has begun and never ends: the printer goes away in the middle of it.
        rig.peer.script = {{kGetSW2, {{"_12"}, {{}, 20, true}}}};
        QCOMPARE(rig.transact(kGetSW2), QString());
        const QString &message = messages[int(transport)];
        QCOMPARE(rig.window.shown, message.isEmpty() ? QStringList() : QStringList{message});
        // Later commands find the port closed: not sent, and no crash.
        rig.transact(kGetSW3, "W");
        QVERIFY(!rig.sent);
    }
}

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"

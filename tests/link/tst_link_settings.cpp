// Port choice, serial settings, opening and closing, the TCP status box and the messages of the
// printer link, with devices whose behaviour each test decides.

#include "LinkFakes.h"
#include "PrinterLink.h"
#include "SystemDeviceResolver.h"
#include "SystemEventPump.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SerialOptions)
Q_DECLARE_METATYPE(SerialSettings)

namespace {

const QByteArray kGetSW1("\x1d\x67\x34\x27\x00", 5);

QStringList shown(const QString &text, const QString &title = appTitle())
{
    return {title + QStringLiteral(": ") + text};
}

QStringList cannot(int number, const char *what)
{
    return shown(
        QStringLiteral("The COM%1 can not %2 !!\r\r").arg(number).arg(QLatin1String(what)) +
        QStringLiteral("Please check that whether <printer driver> or <other "
                       "application> occupy it !"));
}

QStringList busy(int number)
{
    return shown(QStringLiteral("The COM%1 port is busy...\r\n\r\n").arg(number) +
                 QStringLiteral("Please double check the printer cable status."));
}

// The serial option buttons with one baud rate (0: none), parity ('N', 'E' or none) and
// handshake ('H' DTR/DSR, 'S' XON/XOFF or none) selected.
SerialOptions options(int baud, char parity, char handshake)
{
    return {baud == 115200, baud == 38400, baud == 19200,    baud == 9600,
            parity == 'N',  parity == 'E', handshake == 'H', handshake == 'S'};
}

// A list of port names written as one text, separated by blanks.
QStringList names(const char *list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A link over fake devices; the test reaches them through the raw pointers.
struct Rig
{
    Rig()
    {
        PrinterLink::Devices devices;
        devices.serial = std::unique_ptr<SerialDevice>(serial = new FakeSerialDevice);
        devices.tcp = std::unique_ptr<TcpClient>(tcp = new FakeTcpClient);
        devices.resolver = std::unique_ptr<DeviceResolver>(resolver = new FakeResolver);
        for (int number = 1; number <= 16; ++number)
            resolver->serial.insert(number, QStringLiteral("serial-%1").arg(number));
        link = std::make_unique<PrinterLink>(view, prompter, pump, std::move(devices));
    }

    QString transact(const char *mode = "R")
    {
        QString reply = QLatin1String(mode);
        sent = link->SendCommand(kGetSW1, reply);
        return reply;
    }

    FakeLinkView view;
    RecordingPrompter prompter;
    SystemEventPump pump;
    FakeSerialDevice *serial = nullptr;
    FakeTcpClient *tcp = nullptr;
    FakeResolver *resolver = nullptr;
    std::unique_ptr<PrinterLink> link;
    bool sent = false;
};

} // namespace

class LinkSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portChoice_data();
    void portChoice();
    void serialSettings_data();
    void serialSettings();
    void serialPort_data();
    void serialPort();
    void statusBox_data();
    void statusBox();
    void tcpOpenAndClose_data();
    void tcpOpenAndClose();
    void tcpNotConnected_data();
    void tcpNotConnected();
    void tcpErrorMessage_data();
    void tcpErrorMessage();
    void lptOpenError_data();
    void lptOpenError();
    void sendWithoutOpenPort_data();
    void sendWithoutOpenPort();
    void writeFails_data();
    void writeFails();
    void serialPortOrder_data();
    void serialPortOrder();
};

void LinkSettingsTest::portChoice_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("portType");
    QTest::addColumn<bool>("serialFrame");
    QTest::addColumn<bool>("tcpFrame");

    QTest::newRow("network") << "TCP/IP"
                             << "TCP" << false << true;
    QTest::newRow("parallel") << "LPT1"
                              << "LPT" << false << false;
    QTest::newRow("first serial") << "COM1"
                                  << "COM" << true << false;
    QTest::newRow("two-digit serial") << "COM12"
                                      << "COM" << true << false;
    QTest::newRow("lower case") << "com3"
                                << "COM" << true << false;
}

void LinkSettingsTest::portChoice()
{
    QFETCH(QString, choice);
    QFETCH(QString, portType);
    QFETCH(bool, serialFrame);
    QFETCH(bool, tcpFrame);

    Rig rig;
    rig.link->Combo1_Click(choice);
    QCOMPARE(rig.link->PortName(), choice);
    QCOMPARE(rig.link->PortType(), portType);
    QCOMPARE(rig.view.frames, std::make_pair(serialFrame, tcpFrame));
    // A choice opens nothing.
    QVERIFY(rig.serial->opened.isEmpty() && rig.tcp->connects.isEmpty());
}

void LinkSettingsTest::serialSettings_data()
{
    QTest::addColumn<SerialOptions>("first");
    QTest::addColumn<SerialOptions>("second");
    QTest::addColumn<QString>("settingsText");
    QTest::addColumn<QString>("handshake");
    QTest::addColumn<SerialSettings>("settings");

    const SerialOptions initial;
    QTest::newRow("initial options") << initial << initial << "115200,N,8,1"
                                     << "2" << SerialSettings{115200, false, false};
    QTest::newRow("9600 even") << initial << options(9600, 'E', 'H') << "9600,E,8,1"
                               << "2" << SerialSettings{9600, true, false};
    QTest::newRow("XON/XOFF") << initial << options(38400, 'N', 'S') << "38400,N,8,1"
                              << "1" << SerialSettings{38400, false, true};
    // A group with no button selected keeps the code of the previous open.
    QTest::newRow("nothing selected")
        << options(19200, 'E', 'S') << options(0, 0, 0) << "19200,E,8,1"
        << "1" << SerialSettings{19200, true, true};
}

void LinkSettingsTest::serialSettings()
{
    QFETCH(SerialOptions, first);
    QFETCH(SerialOptions, second);
    QFETCH(QString, settingsText);
    QFETCH(QString, handshake);
    QFETCH(SerialSettings, settings);

    Rig rig;
    rig.link->Combo1_Click(QStringLiteral("COM3"));
    rig.view.options = first;
    QVERIFY(rig.link->OpenPort(QStringLiteral("COM3"), true));
    // Changed options count from the next open on, which starts from a closed port.
    rig.view.options = second;
    QVERIFY(rig.link->OpenPort(QStringLiteral("COM3"), true));

    QCOMPARE(rig.link->settingsText(), settingsText);
    QCOMPARE(rig.link->comSettings().Handshake, handshake);
    QCOMPARE(rig.serial->closes, 1);
    QCOMPARE(rig.serial->opened.size(), 2);
    QVERIFY(rig.serial->opened.last().second == settings);
    QVERIFY(rig.prompter.shown.isEmpty());
}

void LinkSettingsTest::serialPort_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("leftOpen");
    QTest::addColumn<QStringList>("messages");

    const QStringList none;
    QTest::newRow("COM1 opens") << 1 << true << "" << true << true << none;
    QTest::newRow("COM16 opens") << 16 << true << "" << true << true << none;
    QTest::newRow("open refused") << 3 << true << "refused" << false << false << cannot(3, "OPEN");
    QTest::newRow("COM16 refused")
        << 16 << true << "refused" << false << false << cannot(16, "OPEN");
    QTest::newRow("no such port") << 10 << true << "missing" << false << false
                                  << cannot(10, "OPEN");
    QTest::newRow("DSR off") << 3 << true << "dsr" << false << true << busy(3);
    QTest::newRow("CTS off") << 3 << true << "cts" << false << true << busy(3);
    QTest::newRow("closes") << 3 << false << "" << true << false << none;
    QTest::newRow("never opened") << 3 << false << "never opened" << true << false << none;
    QTest::newRow("close refused")
        << 3 << false << "close refused" << false << true << cannot(3, "CLOSE");
}

void LinkSettingsTest::serialPort()
{
    QFETCH(int, number);
    QFETCH(bool, open);
    QFETCH(QString, fault);
    QFETCH(bool, result);
    QFETCH(bool, leftOpen);
    QFETCH(QStringList, messages);

    Rig rig;
    const QString portName = QStringLiteral("COM%1").arg(number);
    rig.link->Combo1_Click(portName);
    if (!open && fault != QLatin1String("never opened"))
        QVERIFY(rig.link->OpenPort(portName, true));
    rig.serial->openWorks = fault != QLatin1String("refused");
    rig.serial->closeWorks = fault != QLatin1String("close refused");
    rig.serial->dsrOn = fault != QLatin1String("dsr");
    rig.serial->ctsOn = fault != QLatin1String("cts");
    if (fault == QLatin1String("missing"))
        rig.resolver->serial.remove(number);

    QCOMPARE(rig.link->OpenPort(portName, open), result);
    QCOMPARE(rig.serial->isOpen(), leftOpen);
    QCOMPARE(rig.prompter.shown, messages);
    if (open && fault != QLatin1String("missing"))
        QCOMPARE(rig.serial->opened.last().first, QStringLiteral("serial-%1").arg(number));
}

void LinkSettingsTest::statusBox_data()
{
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<QStringList>("shown");

    const QString connecting = QStringLiteral("Connecting... 0,0,0");
    const QString connected = QStringLiteral("Connected 0,0,192");
    const QString unknown = QStringLiteral("unknown 0,0,0");
    QTest::newRow("closed at start") << QList<int>{0} << QStringList();
    QTest::newRow("connecting, connected")
        << QList<int>{6, 7} << QStringList{connecting, connected};
    QTest::newRow("no change, no redraw") << QList<int>{7, 7, 7} << QStringList{connected};
    QTest::newRow("failed") << QList<int>{6, 9} << QStringList{connecting, unknown};
    QTest::newRow("closed again") << QList<int>{7, 0}
                                  << QStringList{connected, QStringLiteral("Disconnect 255,0,0")};
    QTest::newRow("other codes") << QList<int>{4, 8} << QStringList{unknown, unknown};
}

void LinkSettingsTest::statusBox()
{
    QFETCH(QList<int>, states);
    QFETCH(QStringList, shown);

    Rig rig;
    for (const int state : states) {
        rig.tcp->stateCode = state;
        rig.link->cmdSTATUS_Click();
        QCOMPARE(rig.link->LastLinkState(), state);
    }
    QCOMPARE(rig.view.statuses, shown);
}

void LinkSettingsTest::tcpOpenAndClose_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<quint16>("port");

    QTest::newRow("other port") << "9101" << quint16(9101);
    QTest::newRow("blanks around") << " 9102 " << quint16(9102);
    QTest::newRow("not a number") << "abc" << quint16(9100);
    QTest::newRow("too large") << "70000" << quint16(9100);
}

void LinkSettingsTest::tcpOpenAndClose()
{
    QFETCH(QString, portText);
    QFETCH(quint16, port);

    Rig rig;
    rig.link->Combo1_Click(QStringLiteral("TCP/IP"));
    QVERIFY(rig.link->OpenPort(QStringLiteral("TCP/IP"), true));
    rig.view.port = portText;
    rig.view.address = QStringLiteral("127.0.0.2");
    QVERIFY(rig.link->OpenPort(QStringLiteral("TCP/IP"), true));

    using Connect = std::pair<QString, quint16>;
    QCOMPARE(rig.tcp->connects, (QList<Connect>{{QStringLiteral("127.0.0.1"), 9100},
                                                {QStringLiteral("127.0.0.2"), port}}));
    // The connection in use is closed first, and each open redraws the box at once.
    QCOMPARE(rig.tcp->closes, 1);
    QCOMPARE(rig.view.statuses, QStringList(2, QStringLiteral("Connecting... 0,0,0")));
    QVERIFY(rig.link->isStatusTimerActive());

    QVERIFY(rig.link->OpenPort(QStringLiteral("TCP/IP"), false));
    QVERIFY(!rig.link->isStatusTimerActive());
    QCOMPARE(rig.view.statuses.last(), QStringLiteral("Disconnect 255,0,0"));
    QVERIFY(rig.prompter.shown.isEmpty());
}

void LinkSettingsTest::tcpNotConnected_data()
{
    QTest::addColumn<int>("state");

    QTest::newRow("closed") << 0;
    QTest::newRow("resolving") << 4;
    QTest::newRow("connecting") << 6;
    QTest::newRow("failed") << 9;
}

void LinkSettingsTest::tcpNotConnected()
{
    QFETCH(int, state);

    Rig rig;
    rig.link->Combo1_Click(QStringLiteral("TCP/IP"));
    rig.tcp->stateCode = state;

    QCOMPARE(rig.transact(), QString());
    QVERIFY(!rig.sent);
    QVERIFY(rig.tcp->written.isEmpty());
    QCOMPARE(rig.prompter.shown,
             shown(QStringLiteral("Could not send data now, please check lan printer status... ") +
                   QString::number(state)));
}

void LinkSettingsTest::tcpErrorMessage_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("message");

    QTest::newRow("positive") << 10054 << "Error #  10054 was generated by Socket\rReset";
    QTest::newRow("zero") << 0 << "Error #  0 was generated by Socket\rReset";
    QTest::newRow("negative") << -1 << "Error # -1 was generated by Socket\rReset";
}

void LinkSettingsTest::tcpErrorMessage()
{
    QFETCH(int, number);
    QFETCH(QString, message);

    Rig rig;
    rig.link->Combo1_Click(QStringLiteral("TCP/IP"));
    rig.tcp->stateCode = TcpClient::Connected;
    // An error left over from before the exchange is not reported.
    rig.tcp->error = TcpError{99, QStringLiteral("Old"), QStringLiteral("Stale")};
    rig.tcp->raise = TcpError{number, QStringLiteral("Socket"), QStringLiteral("Reset")};

    QCOMPARE(rig.transact(), QString());
    QCOMPARE(rig.tcp->written, kGetSW1);
    QCOMPARE(rig.prompter.shown, shown(message, QStringLiteral("Error")));
}

void LinkSettingsTest::lptOpenError_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing device") << "missing"
                                    << "Error no  2: No such file or directory";
    QTest::newRow("a folder") << ""
                              << "Error no  21: Is a directory";
}

void LinkSettingsTest::lptOpenError()
{
    QFETCH(QString, device);
    QFETCH(QString, message);

    QTemporaryDir folder;
    Rig rig;
    rig.resolver->lpt = folder.filePath(device);
    rig.link->Combo1_Click(QStringLiteral("LPT1"));

    QVERIFY(rig.link->OpenPort(QStringLiteral("LPT1"), true));
    QCOMPARE(rig.prompter.shown, shown(message));
    // The device stays closed: a command goes nowhere and gets no reply.
    QCOMPARE(rig.transact(), QString());
    QCOMPARE(rig.prompter.shown.size(), 1);
}

void LinkSettingsTest::sendWithoutOpenPort_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("mode");

    for (const char *choice : {"COM3", "LPT1", ""}) {
        for (const char *mode : {"R", "W"})
            QTest::addRow("%s %s", choice, mode) << choice << mode;
    }
}

void LinkSettingsTest::sendWithoutOpenPort()
{
    QFETCH(QString, choice);
    QFETCH(QString, mode);

    FakeLinkView view;
    RecordingPrompter prompter;
    SystemEventPump pump;
    PrinterLink link(view, prompter, pump, PrinterLink::systemDevices());
    link.Combo1_Click(choice);
    QString reply = mode;
    QVERIFY(!link.SendCommand(kGetSW1, reply));
    QCOMPARE(reply, QString());
    QVERIFY(prompter.shown.isEmpty());
}

void LinkSettingsTest::writeFails_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("writeFails");

    for (const char *choice : {"COM3", "TCP/IP"}) {
        QTest::addRow("%s sent", choice) << choice << false;
        QTest::addRow("%s write error", choice) << choice << true;
    }
}

void LinkSettingsTest::writeFails()
{
    QFETCH(QString, choice);
    QFETCH(bool, writeFails);

    Rig rig;
    rig.link->Combo1_Click(choice);
    QVERIFY(rig.link->OpenPort(choice, true));
    rig.tcp->stateCode = TcpClient::Connected;
    rig.serial->writeFails = rig.tcp->writeFails = writeFails;

    for (const char *mode : {"R", "W"}) {
        QCOMPARE(rig.transact(mode), QString());
        QCOMPARE(rig.sent, !writeFails);
    }
    QVERIFY(rig.prompter.shown.isEmpty());
}

void LinkSettingsTest::serialPortOrder_data()
{
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QStringList>("ordered");

    QTest::newRow("on-board first") << names("ttyUSB0 ttyS1 ttyS0") << names("ttyS0 ttyS1 ttyUSB0");
    QTest::newRow("number order") << names("ttyS10 ttyS2 ttyS1") << names("ttyS1 ttyS2 ttyS10");
    QTest::newRow("USB before ACM")
        << names("ttyACM0 ttyUSB1 ttyUSB0") << names("ttyUSB0 ttyUSB1 ttyACM0");
    QTest::newRow("other kinds last")
        << names("ttyAMA0 ttyACM0 ttyS0") << names("ttyS0 ttyACM0 ttyAMA0");
}

void LinkSettingsTest::serialPortOrder()
{
    QFETCH(QStringList, reported);
    QFETCH(QStringList, ordered);

    QCOMPARE(SystemDeviceResolver::orderedSerialPorts(reported), ordered);
}

QTEST_GUILESS_MAIN(LinkSettingsTest)
#include "tst_link_settings.moc"

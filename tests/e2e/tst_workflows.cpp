// The whole job in the real window against the printer emulator: the communication test, reading
// and writing settings, and moving between tabs, over TCP loopback, a pseudo-terminal standing
// in for a serial port, and a pseudo-terminal standing in for the printer device.

#include "EmulatorThread.h"
#include "Screenshot.h"
#include "TestWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

enum class Port { Tcp, Com, Lpt };

const QString kGreeting =
    QStringLiteral("Welcome to NORVANTA world.\r\n\r\nCommunication test finished.");
const QString kPowerCycle =
    QStringLiteral("After writed software switch, please re-power on printer!!");

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// The commands of the communication test, in the order it sends them.
QByteArray makerQuery()
{
    return bytes({0x1D, 0x49, 0x42});
}
QByteArray languageQueries()
{
    return bytes({0x1D, 0x67, 0x34, 0x24}) + bytes({0x1D, 0x49, 0x45}) +
           bytes({0x1D, 0x67, 0x34, 0x21}) + bytes({0x1D, 0x67, 0x34, 0x22});
}
// Printer and language information, in the order the communication test asks for them.
QByteArray identityQueries()
{
    return bytes({0x1D, 0x49, 0x43}) + bytes({0x1D, 0x49, 0x41}) + bytes({0x1D, 0x67, 0x34, 0x10}) +
           bytes({0x1D, 0x67, 0x34, 0x16}) + languageQueries();
}
QByteArray switchQuery(int n)
{
    return bytes({0x1D, 0x67, 0x34, n, 0x00});
}
QByteArray unlock()
{
    return bytes({0x1D, 0x67, 0x75, 0x6E, 0x6C, 0x00});
}
QByteArray lock()
{
    return bytes({0x1D, 0x67, 0x6C, 0x63, 0x6B, 0x00});
}

// One printer emulator and one window whose COM3 and LPT1 lead to the emulator's
// pseudo-terminal.
struct Rig
{
    explicit Rig(const PrinterSettings &printer, const Faults &faults = Faults())
        : emulator(EmulatorOptions{printer, faults, QString()})
    {
        tcpPort = emulator.listenTcp();
        ptyPath = emulator.openPty();
        auto resolver = std::make_unique<FixedDeviceResolver>();
        resolver->serialPorts.insert(3, ptyPath);
        resolver->lptDevice = ptyPath;
        ui = std::make_unique<TestWindow>(std::move(resolver));
    }

    template<typename Control> Control *control(const QString &name) const
    {
        return ui->control<Control>(name);
    }

    MainWindow &window() const { return ui->window; }
    RecordingPrompter &prompter() const { return ui->prompter; }

    void choosePort(Port port) const
    {
        auto *combo = control<QComboBox>(QStringLiteral("Combo1"));
        const QString entry = port == Port::Tcp   ? QStringLiteral("TCP/IP")
                              : port == Port::Lpt ? QStringLiteral("LPT1")
                                                  : QStringLiteral("COM3");
        combo->setCurrentIndex(combo->findText(entry));
        Q_EMIT combo->activated(combo->currentIndex());
        if (port == Port::Tcp) {
            control<QLineEdit>(QStringLiteral("tcpIP"))->setText(QStringLiteral("127.0.0.1"));
            control<QLineEdit>(QStringLiteral("tcpListenPort"))->setText(QString::number(tcpPort));
        }
    }

    void click(const QString &button) const { control<QAbstractButton>(button)->click(); }
    void communicate() const { click(QStringLiteral("cmdCommunicate")); }
    void chooseTab(int tab) const { window().SSTab1()->setCurrentIndex(tab); }
    void choose(const QString &comboName, const QString &entry) const
    {
        auto *combo = control<QComboBox>(comboName);
        combo->setCurrentIndex(combo->findText(entry));
        Q_EMIT combo->activated(combo->currentIndex());
    }
    QString text(const QString &label) const { return control<QLabel>(label)->text(); }
    bool isOff(const QString &sw, int index) const
    {
        return control<QRadioButton>(QStringLiteral("opt%1OFF_%2").arg(sw).arg(index))->isChecked();
    }
    int shownValue(const QString &sw) const
    {
        int value = 0;
        for (int i = 0; i < 8; ++i)
            value |= isOff(sw, i) ? 1 << i : 0;
        return value;
    }

    EmulatorThread emulator;
    quint16 tcpPort = 0;
    QString ptyPath;
    std::unique_ptr<TestWindow> ui;
};

PrinterSettings printer(const QString &model)
{
    return PrinterSettings::forModel(model);
}

// The switch byte the emulator holds under a name "SW1", "SW2" or "SW3".
int heldSwitch(const PrinterSettings &settings, const QString &sw)
{
    if (sw == QLatin1String("SW1"))
        return settings.sw1;
    return sw == QLatin1String("SW2") ? settings.sw2 : settings.sw3;
}

QByteArray switchWrite(int n, int value)
{
    QByteArray digits = QByteArray::number(value);
    digits.append(QByteArray(3 - digits.size(), '\0'));
    return bytes({0x1D, 0x67, 0x38, n}) + digits + bytes({0x00});
}

} // namespace

class TestWorkflows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void communicationTest_data();
    void communicationTest();
    void zephyrReadsSw1OnlyWhenSwitch1IsOn();
    void foreignMakerStopsAfterTheMakerQuery();
    void foreignModelPassesWithoutSwitches();
    void printerFaults_data();
    void printerFaults();
    void vanishedPrinterCanBeTestedAgain();
    void closingDuringAnExchangeWaitsForIt();

    void writeSwitch_data();
    void writeSwitch();
    void zephyrBaudRateChangeEndsTheProgram_data();
    void zephyrBaudRateChangeEndsTheProgram();
    void writeLanguage();
    void writeWithoutChangeSendsNothing();
    void writeToAVanishedPrinterFails_data();
    void writeToAVanishedPrinterFails();
    void readSettingsShowsWhatThePrinterHolds();

    void leavingAChangedPageAsksOnce();
    void tabsShowTheFramesOfTheModel();
};

void TestWorkflows::communicationTest_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<Port>("port");
    QTest::addColumn<QByteArray>("switchQueries");
    QTest::addColumn<QStringList>("captions");

    const QByteArray kvSwitches = switchQuery(0x28) + switchQuery(0x29);
    const QByteArray zephyrSwitches = switchQuery(0x28) + switchQuery(0x27);
    const QStringList kvCaptions{QStringLiteral("Software_switch 2"),
                                 QStringLiteral("Software_switch 3")};
    const QStringList zephyrCaptions{QStringLiteral("Software_switch 1"),
                                     QStringLiteral("Software_switch 2")};
    QTest::newRow("KV-4100 over TCP")
        << QStringLiteral("KV-4100") << Port::Tcp << kvSwitches << kvCaptions;
    QTest::newRow("KV-4100 over COM")
        << QStringLiteral("KV-4100") << Port::Com << kvSwitches << kvCaptions;
    QTest::newRow("KV-4100 over LPT")
        << QStringLiteral("KV-4100") << Port::Lpt << kvSwitches << kvCaptions;
    QTest::newRow("ZEPHYR-550 over TCP")
        << QStringLiteral("ZEPHYR-550") << Port::Tcp << zephyrSwitches << zephyrCaptions;
    QTest::newRow("ZEPHYR-550 over COM")
        << QStringLiteral("ZEPHYR-550") << Port::Com << zephyrSwitches << zephyrCaptions;
}

void TestWorkflows::communicationTest()
{
    QFETCH(QString, model);
    QFETCH(Port, port);
    QFETCH(QByteArray, switchQueries);
    QFETCH(QStringList, captions);

    Rig rig(printer(model));
    rig.choosePort(port);
    rig.communicate();

    QCOMPARE(rig.prompter().texts(), QStringList{kGreeting});
    QCOMPARE(rig.emulator.received(), makerQuery() + identityQueries() + switchQueries);

    const PrinterSettings held = rig.emulator.snapshot().settings;
    QCOMPARE(rig.text(QStringLiteral("lblKV_INFO_0")), model);
    QCOMPARE(rig.text(QStringLiteral("lblKV_INFO_1")), held.firmware);
    QCOMPARE(rig.text(QStringLiteral("lblKV_INFO_2")), QString::number(held.hoursPowered));
    QCOMPARE(rig.text(QStringLiteral("lblKV_INFO_3")), QString::number(held.cutPaperCount));
    QCOMPARE(rig.text(QStringLiteral("lblLANG_INFO_0")), held.languageModel);
    QCOMPARE(rig.text(QStringLiteral("lblLANG_INFO_1")), held.fontRom);
    QCOMPARE(rig.text(QStringLiteral("lblLANG_INFO_2")), QString::number(held.codePage));
    QCOMPARE(rig.text(QStringLiteral("lblLANG_INFO_3")), QString::number(held.charset));
    QCOMPARE(rig.shownValue(QStringLiteral("SW2")), held.sw2);
    if (model == QLatin1String("KV-4100"))
        QCOMPARE(rig.shownValue(QStringLiteral("SW3")), held.sw3);
    else
        QCOMPARE(rig.shownValue(QStringLiteral("SW1")), held.sw1);

    const QString log = rig.window().logText();
    QVERIFY(log.startsWith(QStringLiteral("getMakerInfo-->NORVANTA\r\ngetPrinterInfo1-->") + model +
                           QStringLiteral("\r\n")));
    QVERIFY(log.endsWith(QStringLiteral("getSW%1-->%2\r\n")
                             .arg(model == QLatin1String("KV-4100") ? 3 : 1)
                             .arg(model == QLatin1String("KV-4100") ? held.sw3 : held.sw1)));

    // The window is open for work and the port choice is frozen.
    QTabWidget *tabs = rig.window().SSTab1();
    QVERIFY(tabs->isVisibleTo(&rig.window()));
    QCOMPARE(tabs->tabText(1), captions.at(0));
    QCOMPARE(tabs->tabText(2), captions.at(1));
    QVERIFY(rig.control<QPushButton>(QStringLiteral("cmd0"))->isEnabled());
    QVERIFY(rig.control<QPushButton>(QStringLiteral("cmdCommunicate"))->isEnabled());
    QVERIFY(!rig.control<QComboBox>(QStringLiteral("Combo1"))->isEnabled());
    QVERIFY(
        rig.window().grab().save(screenshotPath(QStringLiteral("communication-test-%1.png")
                                                    .arg(QLatin1String(QTest::currentDataTag()))
                                                    .replace(QLatin1Char(' '), QLatin1Char('-')))));
    QCOMPARE(rig.control<QWidget>(QStringLiteral("tcpIP"))->isEnabled(), port != Port::Tcp);
    QCOMPARE(rig.control<QWidget>(QStringLiteral("com_BR_9600"))->isEnabled(), port != Port::Com);
}

void TestWorkflows::zephyrReadsSw1OnlyWhenSwitch1IsOn()
{
    PrinterSettings hardwareSwitches = printer(QStringLiteral("ZEPHYR-550"));
    hardwareSwitches.sw2 |= 1; // switch 1 OFF: the hardware switches rule, SW1 is not in use
    Rig rig(hardwareSwitches);
    rig.choosePort(Port::Tcp);
    rig.communicate();

    QCOMPARE(rig.emulator.received(), makerQuery() + identityQueries() + switchQuery(0x28));
    rig.chooseTab(1);
    QVERIFY(!rig.window().switchFrame(SwitchByte::SW1)->isVisibleTo(&rig.window()));
    rig.chooseTab(2);
    QVERIFY(rig.window().switchFrame(SwitchByte::SW2)->isVisibleTo(&rig.window()));
}

void TestWorkflows::foreignMakerStopsAfterTheMakerQuery()
{
    PrinterSettings other = printer(QStringLiteral("KV-4100"));
    other.maker = QStringLiteral("norvanta");
    Rig rig(other);
    rig.choosePort(Port::Tcp);
    rig.communicate();

    QCOMPARE(rig.prompter().texts(),
             QStringList{QStringLiteral("Please connected NORVANTA POS printer before test.")});
    QCOMPARE(rig.emulator.received(), makerQuery());
    QVERIFY(!rig.window().SSTab1()->isVisibleTo(&rig.window()));
    QVERIFY(rig.control<QComboBox>(QStringLiteral("Combo1"))->isEnabled());
    QVERIFY(rig.control<QPushButton>(QStringLiteral("cmdCommunicate"))->isEnabled());
}

void TestWorkflows::foreignModelPassesWithoutSwitches()
{
    Rig rig(printer(QStringLiteral("KV-4100X")));
    rig.choosePort(Port::Com);
    rig.communicate();

    QCOMPARE(rig.prompter().texts(), QStringList{kGreeting});
    QCOMPARE(rig.emulator.received(), makerQuery() + identityQueries());
    QCOMPARE(rig.window().SSTab1()->tabText(1), QStringLiteral("Software_switch 2"));
    QCOMPARE(rig.window().SSTab1()->tabText(2), QStringLiteral("Software_switch 3"));
    for (const int tab : {1, 2}) {
        rig.chooseTab(tab);
        for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3})
            QVERIFY(!rig.window().switchFrame(sw)->isVisibleTo(&rig.window()));
    }
}

void TestWorkflows::printerFaults_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QStringList>("messages");

    const QStringList passed{kGreeting};
    const QStringList wrongMaker{
        QStringLiteral("Please connected NORVANTA POS printer before test.")};
    Faults slow;
    slow.replyDelayMs = 500;
    Faults split;
    split.splitReplies = true;
    Faults silent;
    silent.silent = true;
    Faults garbage;
    garbage.garbage = true;
    QTest::newRow("slow printer") << slow << passed;
    QTest::newRow("split replies") << split << passed;
    QTest::newRow("silent printer") << silent << wrongMaker;
    QTest::newRow("garbage replies") << garbage << wrongMaker;
}

void TestWorkflows::printerFaults()
{
    QFETCH(Faults, faults);
    QFETCH(QStringList, messages);

    for (const Port port : {Port::Tcp, Port::Com}) {
        Rig rig(printer(QStringLiteral("KV-4100")), faults);
        rig.choosePort(port);
        rig.communicate();
        QCOMPARE(rig.prompter().texts(), messages);
        QVERIFY(rig.control<QPushButton>(QStringLiteral("cmdCommunicate"))->isEnabled());
    }
}

void TestWorkflows::vanishedPrinterCanBeTestedAgain()
{
    Faults drop;
    drop.dropAfter = 3; // the connection ends after the second printer-information query
    Rig rig(printer(QStringLiteral("KV-4100")), drop);
    rig.choosePort(Port::Tcp);
    rig.communicate();

    // The link says the printer is gone, then the test says which step it stopped at.
    QCOMPARE(rig.prompter().texts(),
             (QStringList{kGreeting,
                          QStringLiteral("Could not send data now, please check lan printer "
                                         "status... 9"),
                          QStringLiteral("Read printer information3 error!!\r\n\r\n"
                                         "Please check the port setting of your printer.")}));
    QVERIFY(!rig.window().SSTab1()->isVisibleTo(&rig.window()));

    rig.emulator.setFaults(Faults());
    rig.prompter().shown.clear();
    rig.communicate();
    QCOMPARE(rig.prompter().texts(), QStringList{kGreeting});
    QVERIFY(rig.window().SSTab1()->isVisibleTo(&rig.window()));
}

void TestWorkflows::closingDuringAnExchangeWaitsForIt()
{
    Faults slow;
    slow.replyDelayMs = 200;
    Rig rig(printer(QStringLiteral("KV-4100")), slow);
    rig.choosePort(Port::Tcp);
    // The window manager's close is no user input: it reaches the window while the
    // communication test waits for the printer.
    QTimer::singleShot(100, &rig.window(), &QWidget::close);
    rig.communicate();

    QCOMPARE(rig.prompter().texts(), QStringList{kGreeting});
    QVERIFY(rig.window().SSTab1()->isVisibleTo(&rig.window()));
    QTRY_COMPARE(rig.control<QLineEdit>(QStringLiteral("txtSTATUS"))->text(),
                 QStringLiteral("Disconnect"));
}

void TestWorkflows::writeSwitch_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<Port>("port");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("sw");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("ends");

    QTest::newRow("KV-4100 SW2 over COM")
        << QStringLiteral("KV-4100") << Port::Com << 1 << QStringLiteral("SW2") << 0x28 << false;
    QTest::newRow("KV-4100 SW3 over TCP")
        << QStringLiteral("KV-4100") << Port::Tcp << 2 << QStringLiteral("SW3") << 0x29 << true;
    QTest::newRow("KV-4100 SW2 over LPT")
        << QStringLiteral("KV-4100") << Port::Lpt << 1 << QStringLiteral("SW2") << 0x28 << false;
    QTest::newRow("ZEPHYR-550 SW2 over COM")
        << QStringLiteral("ZEPHYR-550") << Port::Com << 2 << QStringLiteral("SW2") << 0x28 << false;
    QTest::newRow("ZEPHYR-550 SW1 over TCP")
        << QStringLiteral("ZEPHYR-550") << Port::Tcp << 1 << QStringLiteral("SW1") << 0x27 << true;
}

void TestWorkflows::writeSwitch()
{
    QFETCH(QString, model);
    QFETCH(Port, port);
    QFETCH(int, tab);
    QFETCH(QString, sw);
    QFETCH(int, n);
    QFETCH(bool, ends);

    Rig rig(printer(model));
    rig.choosePort(port);
    rig.communicate();
    rig.chooseTab(tab);

    // Switch 6 changes sides; on SW3 only switch 1 can be changed.
    const int index = sw == QLatin1String("SW3") ? 0 : 5;
    const bool wasOff = rig.isOff(sw, index);
    rig.click(QStringLiteral("opt%1%2_%3")
                  .arg(sw, wasOff ? QStringLiteral("ON") : QStringLiteral("OFF"))
                  .arg(index));
    const int expected = rig.shownValue(sw);
    QCOMPARE(expected, heldSwitch(rig.emulator.snapshot().settings, sw) ^ (1 << index));
    QVERIFY(rig.window().bDataChanged);

    rig.emulator.clearReceived();
    rig.prompter().shown.clear();
    rig.click(QStringLiteral("cmd2"));

    QTRY_COMPARE(rig.emulator.received(), unlock() + switchWrite(n, expected) + lock());
    const PrinterSnapshot held = rig.emulator.snapshot();
    QCOMPARE(heldSwitch(held.settings, sw), expected);
    QVERIFY(held.locked);
    QCOMPARE(rig.prompter().texts(), QStringList{kPowerCycle});
    QCOMPARE(rig.ui->shell.quitCount, ends ? 1 : 0);
    QCOMPARE(rig.window().bDataChanged, false);
}

void TestWorkflows::zephyrBaudRateChangeEndsTheProgram_data()
{
    QTest::addColumn<QString>("portRate");
    QTest::addColumn<int>("sw1");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("ends");

    // SW1 105: switch 1 OFF, switch 2 ON, 115200 baud; 106: switch 1 ON, switch 2 OFF, 9600.
    QTest::newRow("same rate, another switch")
        << QStringLiteral("com_BR_115200") << 105 << QStringList{QStringLiteral("optSW1ON_5")}
        << false;
    QTest::newRow("115200 to 9600")
        << QStringLiteral("com_BR_115200") << 105
        << QStringList{QStringLiteral("optSW1ON_0"), QStringLiteral("optSW1OFF_1")} << true;
    QTest::newRow("port at 9600 keeps 9600") << QStringLiteral("com_BR_9600") << 106
                                             << QStringList{QStringLiteral("optSW1ON_5")} << false;
    QTest::newRow("9600 to 38400") << QStringLiteral("com_BR_9600") << 106
                                   << QStringList{QStringLiteral("optSW1ON_1")} << true;
}

void TestWorkflows::zephyrBaudRateChangeEndsTheProgram()
{
    QFETCH(QString, portRate);
    QFETCH(int, sw1);
    QFETCH(QStringList, clicks);
    QFETCH(bool, ends);

    PrinterSettings zephyr = printer(QStringLiteral("ZEPHYR-550"));
    zephyr.sw1 = sw1;
    Rig rig(zephyr);
    rig.choosePort(Port::Com);
    rig.click(portRate);
    rig.communicate();
    rig.chooseTab(1);
    for (const QString &button : clicks)
        rig.click(button);
    rig.prompter().shown.clear();
    rig.click(QStringLiteral("cmd2"));

    QTRY_COMPARE(heldSwitch(rig.emulator.snapshot().settings, QStringLiteral("SW1")),
                 rig.shownValue(QStringLiteral("SW1")));
    QCOMPARE(rig.prompter().texts(), QStringList{kPowerCycle});
    QCOMPARE(rig.ui->shell.quitCount, ends ? 1 : 0);
}

void TestWorkflows::writeLanguage()
{
    Rig rig(printer(QStringLiteral("KV-4100")));
    rig.choosePort(Port::Com);
    rig.communicate();
    rig.chooseTab(3);
    rig.choose(QStringLiteral("comboCodePage"), QStringLiteral("17 - 866 Cyrillic"));
    QCOMPARE(rig.control<QComboBox>(QStringLiteral("comboCodePageName"))->currentText(),
             QStringLiteral("17 - Cyrillic"));
    rig.choose(QStringLiteral("comboInterChars"), QStringLiteral("12- Latin America"));
    QVERIFY(rig.window().bDataChanged);

    rig.emulator.clearReceived();
    rig.prompter().shown.clear();
    rig.click(QStringLiteral("cmd2"));

    const QByteArray expected = unlock() + bytes({0x1D, 0x67, 0x38, 0x21, '1', '7', 0, 0}) +
                                bytes({0x1D, 0x67, 0x38, 0x24}) + QByteArray("CYRILLIC") +
                                QByteArray(12, '\0') + bytes({0}) +
                                bytes({0x1D, 0x67, 0x38, 0x22, '1', '2', 0}) + lock();
    QTRY_COMPARE(rig.emulator.received(), expected);
    const PrinterSettings held = rig.emulator.snapshot().settings;
    QCOMPARE(held.codePage, 17);
    QCOMPARE(held.charset, 12);
    QCOMPARE(held.languageModel, QStringLiteral("CYRILLIC"));
    QCOMPARE(rig.prompter().texts(), QStringList{kPowerCycle});
    QCOMPARE(rig.ui->shell.quitCount, 0);

    // What was written is what a fresh read shows.
    rig.emulator.clearReceived();
    rig.click(QStringLiteral("cmd1"));
    QCOMPARE(rig.emulator.received(), languageQueries());
    QCOMPARE(rig.control<QComboBox>(QStringLiteral("comboCodePage"))->currentText(),
             QStringLiteral("17 - 866 Cyrillic"));
    QCOMPARE(rig.control<QComboBox>(QStringLiteral("comboInterChars"))->currentText(),
             QStringLiteral("12- Latin America"));
    QVERIFY(!rig.window().bDataChanged);
}

void TestWorkflows::writeWithoutChangeSendsNothing()
{
    Rig rig(printer(QStringLiteral("KV-4100")));
    rig.choosePort(Port::Tcp);
    rig.communicate();
    for (const int tab : {1, 2, 3}) {
        rig.chooseTab(tab);
        rig.emulator.clearReceived();
        rig.prompter().shown.clear();
        rig.click(QStringLiteral("cmd2"));
        QCOMPARE(rig.prompter().texts(),
                 QStringList{QStringLiteral("There is no data changed...")});
        QCOMPARE(rig.emulator.received(), QByteArray());
        QVERIFY(rig.control<QPushButton>(QStringLiteral("cmd2"))->isEnabled());
    }
    QCOMPARE(rig.ui->shell.quitCount, 0);
}

void TestWorkflows::writeToAVanishedPrinterFails_data()
{
    QTest::addColumn<Port>("port");
    QTest::addColumn<QStringList>("messages");

    const QString failed =
        QStringLiteral("The settings could not be written to the printer.\r\n"
                       "Please check the printer and its cable, then write again.");
    // Over TCP the link tells of each of the three commands it could not send.
    const QString notSent =
        QStringLiteral("Could not send data now, please check lan printer status... 9");
    QTest::newRow("COM") << Port::Com << QStringList{failed};
    QTest::newRow("LPT") << Port::Lpt << QStringList{failed};
    QTest::newRow("TCP") << Port::Tcp << QStringList{notSent, notSent, notSent, failed};
}

void TestWorkflows::writeToAVanishedPrinterFails()
{
    QFETCH(Port, port);
    QFETCH(QStringList, messages);

    // The printer goes away right after the eleven commands of the communication test.
    Faults drop;
    drop.dropAfter = 11;
    Rig rig(printer(QStringLiteral("KV-4100")), drop);
    rig.choosePort(port);
    rig.communicate();
    QCOMPARE(rig.prompter().texts(), QStringList{kGreeting});
    if (port == Port::Tcp)
        QTRY_VERIFY(rig.control<QLineEdit>(QStringLiteral("txtSTATUS"))->text() !=
                    QStringLiteral("Connected"));
    else // the emulator has closed its pseudo-terminal at both ends and opened a new one
        QTRY_VERIFY(rig.emulator.ptyPath() != rig.ptyPath);

    rig.chooseTab(1);
    rig.click(QStringLiteral("optSW2ON_5"));
    rig.prompter().shown.clear();
    rig.click(QStringLiteral("cmd2"));

    // No power-cycle advice and no end of the program: the change is still to be written.
    QCOMPARE(rig.prompter().texts(), messages);
    QCOMPARE(rig.ui->shell.quitCount, 0);
    QVERIFY(rig.window().bDataChanged);
    QVERIFY(rig.control<QPushButton>(QStringLiteral("cmd2"))->isEnabled());
}

void TestWorkflows::readSettingsShowsWhatThePrinterHolds()
{
    Rig rig(printer(QStringLiteral("ZEPHYR-550")));
    rig.choosePort(Port::Com);
    rig.communicate();
    rig.chooseTab(2);
    rig.click(QStringLiteral("optSW2OFF_4"));
    rig.click(QStringLiteral("optSW2ON_7"));
    QVERIFY(rig.window().bDataChanged);

    rig.emulator.clearReceived();
    rig.click(QStringLiteral("cmd1"));
    QCOMPARE(rig.emulator.received(), switchQuery(0x28));
    QCOMPARE(rig.shownValue(QStringLiteral("SW2")), rig.emulator.snapshot().settings.sw2);
    QVERIFY(!rig.window().bDataChanged);
    QVERIFY(rig.control<QPushButton>(QStringLiteral("cmd1"))->isEnabled());
}

void TestWorkflows::leavingAChangedPageAsksOnce()
{
    Rig rig(printer(QStringLiteral("KV-4100")));
    rig.choosePort(Port::Tcp);
    rig.communicate();
    const int held = rig.emulator.snapshot().settings.sw2;
    rig.chooseTab(1);
    rig.click(QStringLiteral("optSW2ON_0"));
    const int changed = rig.shownValue(QStringLiteral("SW2"));
    QVERIFY(changed != held);

    // No: back on the page, the change still on screen, and no second question.
    rig.prompter().shown.clear();
    rig.prompter().answers = {false};
    rig.emulator.clearReceived();
    rig.chooseTab(4);
    QCOMPARE(rig.prompter().shown.size(), 1);
    QCOMPARE(rig.prompter().shown.at(0).text,
             QStringLiteral("Are you sure to ignore <SW2> settings?"));
    QCOMPARE(rig.prompter().shown.at(0).title, QStringLiteral("Switch Change confirm"));
    QVERIFY(rig.prompter().shown.at(0).question);
    QCOMPARE(rig.window().SSTab1()->currentIndex(), 1);
    QVERIFY(rig.window().switchFrame(SwitchByte::SW2)->isVisibleTo(&rig.window()));
    QCOMPARE(rig.shownValue(QStringLiteral("SW2")), changed);
    QVERIFY(rig.window().bDataChanged);
    QCOMPARE(rig.emulator.received(), QByteArray());

    // Yes: the new page stays, the printer's value comes back and counts as unchanged.
    rig.prompter().shown.clear();
    rig.prompter().answers = {true};
    rig.chooseTab(4);
    QCOMPARE(rig.prompter().shown.size(), 1);
    QCOMPARE(rig.window().SSTab1()->currentIndex(), 4);
    QCOMPARE(rig.emulator.received(), switchQuery(0x28));
    QCOMPARE(rig.shownValue(QStringLiteral("SW2")), held);
    QVERIFY(!rig.window().bDataChanged);

    // A changed code page is asked about as the additional switch.
    rig.chooseTab(3);
    rig.choose(QStringLiteral("comboCodePage"), QStringLiteral("25 - 1254 Windows Turkish"));
    rig.prompter().shown.clear();
    rig.prompter().answers = {false};
    rig.chooseTab(0);
    QCOMPARE(rig.prompter().texts(),
             QStringList{QStringLiteral("Are you sure to ignore <Additional Switch> settings?")});
    QCOMPARE(rig.window().SSTab1()->currentIndex(), 3);
}

void TestWorkflows::tabsShowTheFramesOfTheModel()
{
    Rig rig(printer(QStringLiteral("KV-4100")));
    rig.choosePort(Port::Tcp);
    rig.communicate();

    struct View
    {
        int tab;
        bool language;
        QWidget *frame;
        bool communicate, selfTest, read, write;
    };
    MainWindow &w = rig.window();
    const View views[] = {
        {1, false, w.switchFrame(SwitchByte::SW2), false, true, true, true},
        {2, false, w.switchFrame(SwitchByte::SW3), false, true, true, true},
        {3, true, nullptr, false, true, true, true},
        {4, false, nullptr, false, false, false, false},
        {0, true, nullptr, true, true, false, false},
    };
    for (const View &view : views) {
        rig.chooseTab(view.tab);
        QCOMPARE(w.frameLanguageInfo()->isVisibleTo(&w), view.language);
        for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3})
            QCOMPARE(w.switchFrame(sw)->isVisibleTo(&w), w.switchFrame(sw) == view.frame);
        QCOMPARE(w.cmdCommunicate()->isEnabled(), view.communicate);
        QCOMPARE(w.cmd0()->isEnabled(), view.selfTest);
        QCOMPARE(w.cmd1()->isEnabled(), view.read);
        QCOMPARE(w.cmd2()->isEnabled(), view.write);
    }
    QVERIFY(rig.prompter().shown.size() == 1); // the greeting only
}

QTEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"

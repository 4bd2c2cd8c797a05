// The whole job in the real window against the printer emulator, over TCP loopback and over
// pseudo-terminals standing in for a serial port and for the printer device.

#include "EmulatorThread.h"
#include "Screenshot.h"
#include "TestWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

enum class Port { Tcp, Com, Lpt };

const QString kGreeting =
    QStringLiteral("Welcome to NORVANTA world.\r\n\r\nCommunication test finished.");
const QString kWrongMaker = QStringLiteral("Please connected NORVANTA POS printer before test.");
const QString kPowerCycle =
    QStringLiteral("After writed software switch, please re-power on printer!!");
const QString kNotSent =
    QStringLiteral("Could not send data now, please check lan printer status... 9");
const QString kWriteFailed =
    QStringLiteral("The settings could not be written to the printer.\r\n"
                   "Please check the printer and its cable, then write again.");
const PrinterSettings kKv = PrinterSettings::forModel(QStringLiteral("KV-4100"));
const PrinterSettings kZephyr = PrinterSettings::forModel(QStringLiteral("ZEPHYR-550"));

// The communication test's commands before the switch queries, one group per command: the maker,
// four printer-information queries, then the four language queries.
const QByteArray kMakerQuery = QByteArray::fromHex("1D4942");
const QByteArray kLanguageQueries = QByteArray::fromHex("1D673424 1D4945 1D673421 1D673422");
const QByteArray kIdentityQueries =
    kMakerQuery + QByteArray::fromHex("1D4943 1D4941 1D673410 1D673416") + kLanguageQueries;
const QByteArray kUnlock = QByteArray::fromHex("1D67 756E6C 00");
const QByteArray kLock = QByteArray::fromHex("1D67 6C636B 00");

// SW1 to SW3 are the printer's settings 0x27 to 0x29.
QByteArray switchQuery(int sw)
{
    return QByteArray::fromHex("1D6734") + static_cast<char>(0x26 + sw) + '\0';
}
QByteArray settingWrite(int setting, const QByteArray &value)
{
    return QByteArray::fromHex("1D6738") + static_cast<char>(setting) + value;
}
QByteArray switchWrite(int sw, int value)
{
    return settingWrite(0x26 + sw, QByteArray::number(value).leftJustified(4, '\0'));
}
// SW1 to SW3 of the emulated printer, by number.
constexpr int PrinterSettings::*kSwitch[] = {nullptr, &PrinterSettings::sw1, &PrinterSettings::sw2,
                                             &PrinterSettings::sw3};
const char *const kPortName[] = {"TCP", "COM", "LPT"}; // by Port

// A printer emulator and a window whose COM3 and LPT1 lead to the emulator's pseudo-terminal.
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

    template<typename C> C *control(QAnyStringView name) { return ui->control<C>(name.toString()); }
    void click(QAnyStringView button) { control<QAbstractButton>(button)->click(); }
    void chooseTab(int tab) { ui->window.SSTab1()->setCurrentIndex(tab); }
    bool tabsShown() { return ui->window.SSTab1()->isVisibleTo(&ui->window); }
    QStringList shown() { return ui->prompter.texts(); }
    void clear()
    {
        emulator.clearReceived();
        ui->prompter.shown.clear();
    }
    void choose(QAnyStringView comboName, QAnyStringView entry)
    {
        auto *combo = control<QComboBox>(comboName);
        combo->setCurrentIndex(combo->findText(entry.toString()));
        Q_EMIT combo->activated(combo->currentIndex());
    }

    // Runs the communication test over `port`, after a click on the baud rate `rate` if given.
    void communicate(Port port, const char *rate = nullptr)
    {
        choose("Combo1", port == Port::Tcp ? "TCP/IP" : port == Port::Lpt ? "LPT1" : "COM3");
        control<QLineEdit>("tcpIP")->setText(QStringLiteral("127.0.0.1"));
        control<QLineEdit>("tcpListenPort")->setText(QString::number(tcpPort));
        if (rate != nullptr)
            click(rate);
        click("cmdCommunicate");
    }

    // The OFF or ON button of switch i + 1 of SW`sw`; OFF is a set bit.
    QAbstractButton *option(int sw, bool off, int i)
    {
        return control<QAbstractButton>(
            QStringLiteral("optSW%1%2_%3").arg(sw).arg(off ? u"OFF" : u"ON").arg(i));
    }
    int shownValue(int sw)
    {
        int value = 0;
        for (int i = 0; i < 8; ++i)
            value |= option(sw, true, i)->isChecked() << i;
        return value;
    }

    // The switch byte whose frame is visible: 0 for none, -1 for more than one.
    int shownFrame()
    {
        int shown = 0;
        for (const int sw : {1, 2, 3})
            if (ui->window.switchFrame(static_cast<SwitchByte>(sw - 1))->isVisibleTo(&ui->window))
                shown = shown == 0 ? sw : -1;
        return shown;
    }

    EmulatorThread emulator;
    quint16 tcpPort = 0;
    QString ptyPath;
    std::unique_ptr<TestWindow> ui;
};

// A communication test, repeated once the faults are gone; frame 0 when a switch tab shows none.
struct Session
{
    PrinterSettings printer;
    Port port;
    Faults faults;
    QByteArray wire;
    QStringList messages;
    int caption; // on the first switch tab, 0 when the test fails for good
    QList<int> frames;
    bool closes = false; // the window is closed while the test waits for the printer
};

// A switch write from the given tab; `vanished`: the printer is gone after the communication test.
struct SwitchWrite
{
    PrinterSettings printer;
    Port port;
    const char *rate;
    int tab;
    int sw;
    int value;
    bool ends;
    bool vanished = false;
};

} // namespace

class TestWorkflows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void communicationTest_data();
    void communicationTest();
    void writeSwitch_data();
    void writeSwitch();
    void writeLanguage();
    void tabs();
};

void TestWorkflows::communicationTest_data()
{
    QTest::addColumn<Session>("session");

    PrinterSettings hardware = kZephyr;
    hardware.sw2 |= 1; // SW2 switch 1 OFF: the hardware switches rule, SW1 is not in use
    PrinterSettings otherMaker = kKv;
    otherMaker.maker = QStringLiteral("norvanta");
    const PrinterSettings otherModel = PrinterSettings::forModel(QStringLiteral("KV-4100X"));
    const QByteArray kv = kIdentityQueries + switchQuery(2) + switchQuery(3);
    const QByteArray zephyr = kIdentityQueries + switchQuery(2) + switchQuery(1);
    const QStringList passed{kGreeting};
    for (const Port port : {Port::Tcp, Port::Com, Port::Lpt})
        QTest::addRow("KV-4100 over %s", kPortName[int(port)])
            << Session{kKv, port, {}, kv, passed, 2, {2, 3}};
    for (const Port port : {Port::Tcp, Port::Com})
        QTest::addRow("ZEPHYR-550 over %s", kPortName[int(port)])
            << Session{kZephyr, port, {}, zephyr, passed, 1, {1, 2}};
    QTest::newRow("ZEPHYR-550 without SW1")
        << Session{hardware, Port::Tcp, {}, kIdentityQueries + switchQuery(2), passed, 1, {0, 2}};
    QTest::newRow("another model")
        << Session{otherModel, Port::Com, {}, kIdentityQueries, passed, 2, {0, 0}};
    QTest::newRow("another maker")
        << Session{otherMaker, Port::Tcp, {}, kMakerQuery, {kWrongMaker}, 0, {}};

    // A printer gone after three commands: the link says so, then the test names the failed step.
    const QByteArray threeQueries = kMakerQuery + QByteArray::fromHex("1D4943 1D4941");
    const QStringList gone{kGreeting, kNotSent,
                           QStringLiteral("Read printer information3 error!!\r\n\r\n"
                                          "Please check the port setting of your printer.")};
    for (const Port port : {Port::Tcp, Port::Com}) {
        const auto row = [&](const char *name, Faults faults, QByteArray wire, QStringList texts) {
            QTest::addRow("%s over %s", name, kPortName[int(port)])
                << Session{kKv, port, faults, wire, texts, 2, {2, 3}};
        };
        row("slow printer", {.replyDelayMs = 500}, kv, passed);
        row("split replies", {.splitReplies = true}, kv, passed);
        row("silent printer", {.silent = true}, kMakerQuery, {kWrongMaker});
        row("garbage replies", {.garbage = true}, kMakerQuery, {kWrongMaker});
        if (port == Port::Tcp)
            row("printer gone", {.dropAfter = 3}, threeQueries, gone);
    }
    // The window manager's close is no user input: it reaches the window during an exchange.
    QTest::newRow("closed during an exchange")
        << Session{kKv, Port::Tcp, {.replyDelayMs = 200}, kv, passed, 2, {2, 3}, true};
}

void TestWorkflows::communicationTest()
{
    QFETCH(Session, session);

    Rig rig(session.printer, session.faults);
    if (session.closes)
        QTimer::singleShot(100, &rig.ui->window, &QWidget::close);
    rig.communicate(session.port);
    QCOMPARE(rig.shown(), session.messages);
    QCOMPARE(rig.emulator.received(), session.wire);
    const PrinterSettings held = rig.emulator.snapshot().settings;
    // The window opens for work, and freezes the port choice, only when the test passed.
    QCOMPARE(rig.tabsShown(), session.messages == QStringList{kGreeting});
    QCOMPARE(rig.control<QWidget>("Combo1")->isEnabled(), !rig.tabsShown());
    if (session.closes)
        QTRY_COMPARE(rig.control<QLineEdit>("txtSTATUS")->text(), QStringLiteral("Disconnect"));
    if (session.faults != Faults()) { // once the printer behaves, the same window passes the test
        rig.emulator.setFaults(Faults());
        rig.clear();
        rig.click("cmdCommunicate");
        QCOMPARE(rig.shown(), QStringList{kGreeting});
    }
    if (session.caption == 0)
        return;

    QCOMPARE(rig.control<QWidget>("tcpIP")->isEnabled(), session.port != Port::Tcp);
    QCOMPARE(rig.control<QWidget>("com_BR_9600")->isEnabled(), session.port != Port::Com);
    QStringList labels;
    for (const char16_t *box : {u"KV", u"LANG"})
        for (int i = 0; i < 4; ++i)
            labels << rig.control<QLabel>(QStringLiteral("lbl%1_INFO_%2").arg(box).arg(i))->text();
    QCOMPARE(labels, QStringList()
                         << held.model << held.firmware << QString::number(held.hoursPowered)
                         << QString::number(held.cutPaperCount) << held.languageModel
                         << held.fontRom << QString::number(held.codePage)
                         << QString::number(held.charset));
    QString file =
        QStringLiteral("communication-test-%1.png").arg(QLatin1String(QTest::currentDataTag()));
    QVERIFY(rig.ui->window.grab().save(screenshotPath(file.replace(u' ', u'-'))));

    for (const int tab : {1, 2}) {
        QCOMPARE(rig.ui->window.SSTab1()->tabText(tab),
                 QStringLiteral("Software_switch %1").arg(session.caption + tab - 1));
        rig.chooseTab(tab);
        const int sw = session.frames.at(tab - 1);
        QCOMPARE(rig.shownFrame(), sw);
        if (sw != 0)
            QCOMPARE(rig.shownValue(sw), held.*kSwitch[sw]);
    }
}

void TestWorkflows::writeSwitch_data()
{
    QTest::addColumn<SwitchWrite>("write");

    // The printers start with SW2 235 (KV-4100) or 238 (ZEPHYR-550), SW3 0 and SW1 105: switch 1
    // OFF and switch 2 ON for 115200 baud; SW1 106 has them the other way round for 9600.
    PrinterSettings zephyr9600 = kZephyr;
    zephyr9600.sw1 = 106;

    // Over TCP every write ends the program; over a serial port only a new baud rate does.
    QTest::newRow("KV-4100 SW2 over COM") << SwitchWrite{kKv, Port::Com, nullptr, 1, 2, 203, false};
    QTest::newRow("KV-4100 SW3 over TCP") << SwitchWrite{kKv, Port::Tcp, nullptr, 2, 3, 1, true};
    QTest::newRow("KV-4100 SW2 over LPT") << SwitchWrite{kKv, Port::Lpt, nullptr, 1, 2, 203, false};
    QTest::newRow("ZEPHYR-550 SW2 over COM")
        << SwitchWrite{kZephyr, Port::Com, nullptr, 2, 2, 206, false};
    QTest::newRow("ZEPHYR-550 SW1 over TCP")
        << SwitchWrite{kZephyr, Port::Tcp, nullptr, 1, 1, 73, true};
    QTest::newRow("ZEPHYR-550 same rate, another switch")
        << SwitchWrite{kZephyr, Port::Com, "com_BR_115200", 1, 1, 73, false};
    QTest::newRow("ZEPHYR-550 115200 to 9600")
        << SwitchWrite{kZephyr, Port::Com, "com_BR_115200", 1, 1, 106, true};
    QTest::newRow("ZEPHYR-550 port at 9600 keeps 9600")
        << SwitchWrite{zephyr9600, Port::Com, "com_BR_9600", 1, 1, 74, false};
    QTest::newRow("ZEPHYR-550 9600 to 38400")
        << SwitchWrite{zephyr9600, Port::Com, "com_BR_9600", 1, 1, 104, true};
    for (const Port port : {Port::Com, Port::Lpt, Port::Tcp})
        QTest::addRow("vanished over %s", kPortName[int(port)])
            << SwitchWrite{kKv, port, nullptr, 1, 2, 203, false, true};
}

void TestWorkflows::writeSwitch()
{
    QFETCH(SwitchWrite, write);

    // Eleven commands make the communication test of a KV-4100.
    Rig rig(write.printer, write.vanished ? Faults{.dropAfter = 11} : Faults());
    rig.communicate(write.port, write.rate);
    if (write.vanished && write.port == Port::Tcp)
        QTRY_VERIFY(rig.control<QLineEdit>("txtSTATUS")->text() != QStringLiteral("Connected"));
    else if (write.vanished) // the emulator has closed its pseudo-terminal and opened a new one
        QTRY_VERIFY(rig.emulator.ptyPath() != rig.ptyPath);

    rig.chooseTab(write.tab);
    for (int i = 0; i < 8; ++i) // click the buttons of the switches that differ
        if ((rig.shownValue(write.sw) ^ write.value) >> i & 1)
            rig.option(write.sw, write.value >> i & 1, i)->click();
    rig.clear();
    rig.click("cmd2");

    const QByteArray wire = kUnlock + switchWrite(write.sw, write.value) + kLock;
    QTRY_COMPARE(rig.emulator.received(), write.vanished ? QByteArray() : wire);
    QCOMPARE(rig.emulator.snapshot().settings.*kSwitch[write.sw],
             write.vanished ? write.printer.*kSwitch[write.sw] : write.value);
    QCOMPARE(rig.ui->shell.quitCount, write.ends ? 1 : 0);
    QCOMPARE(rig.ui->window.cmd2()->isEnabled(), !write.ends);
    // A write that failed says so, once per command over TCP, and leaves the change to be written.
    const QStringList failed = write.port == Port::Tcp
                                   ? QStringList{kNotSent, kNotSent, kNotSent, kWriteFailed}
                                   : QStringList{kWriteFailed};
    QCOMPARE(rig.shown(), write.vanished ? failed : QStringList{kPowerCycle});
    QCOMPARE(rig.ui->window.bDataChanged, write.vanished);
}

void TestWorkflows::writeLanguage()
{
    Rig rig(kKv);
    rig.communicate(Port::Com);
    rig.chooseTab(3);
    rig.choose("comboCodePage", "17 - 866 Cyrillic");
    rig.choose("comboInterChars", "12- Latin America");
    // Leaving the changed page asks about the additional switch; No stays.
    rig.ui->prompter.answers = {false};
    rig.chooseTab(0);
    QCOMPARE(rig.shown().mid(1),
             QStringList{QStringLiteral("Are you sure to ignore <Additional Switch> settings?")});
    QCOMPARE(rig.ui->window.SSTab1()->currentIndex(), 3);
    rig.clear();
    rig.click("cmd2");

    QTRY_COMPARE(rig.emulator.received(),
                 kUnlock + settingWrite(0x21, QByteArray("17\0\0", 4)) +
                     settingWrite(0x24, "CYRILLIC" + QByteArray(13, '\0')) +
                     settingWrite(0x22, QByteArray("12\0", 3)) + kLock);
    const PrinterSettings held = rig.emulator.snapshot().settings;
    QCOMPARE(std::tuple(held.codePage, held.charset, held.languageModel),
             std::tuple(17, 12, QStringLiteral("CYRILLIC")));
    QCOMPARE(rig.shown(), QStringList{kPowerCycle});
    QCOMPARE(rig.ui->shell.quitCount, 0);

    // Reading the page again asks for the language settings only.
    rig.emulator.clearReceived();
    rig.click("cmd1");
    QCOMPARE(rig.emulator.received(), kLanguageQueries);
}

void TestWorkflows::tabs()
{
    Rig rig(kKv);
    rig.communicate(Port::Tcp);
    rig.emulator.clearReceived();
    MainWindow &w = rig.ui->window;

    // Per tab: language frame, switch frame, then Communicate, Self-test, Read and Write enabled.
    const QList<int> views[] = {
        {1, 0, 2, 0, 1, 1, 1}, {2, 0, 3, 0, 1, 1, 1}, {3, 1, 0, 0, 1, 1, 1},
        {4, 0, 0, 0, 0, 0, 0}, {0, 1, 0, 1, 1, 0, 0},
    };
    for (const QList<int> &view : views) {
        rig.chooseTab(view[0]);
        QList<int> seen{view[0], w.frameLanguageInfo()->isVisibleTo(&w), rig.shownFrame()};
        for (const QWidget *button : {w.cmdCommunicate(), w.cmd0(), w.cmd1(), w.cmd2()})
            seen << button->isEnabled();
        QCOMPARE(seen, view);
        if (w.cmd2()->isEnabled())
            rig.click("cmd2");
    }
    // Unchanged pages are left without a question, and writing them sends nothing.
    QCOMPARE(rig.shown().mid(1), QStringList(3, QStringLiteral("There is no data changed...")));
    QCOMPARE(rig.emulator.received(), QByteArray());

    // No: back on the page, the change still on screen, nothing read, no second question.
    const int held = rig.emulator.snapshot().settings.sw2;
    rig.chooseTab(1);
    rig.click("optSW2ON_0");
    rig.clear();
    rig.ui->prompter.answers = {false};
    rig.chooseTab(4);
    QCOMPARE(rig.shown(), QStringList{QStringLiteral("Are you sure to ignore <SW2> settings?")});
    QCOMPARE(rig.ui->prompter.shown.at(0).title, QStringLiteral("Switch Change confirm"));
    QCOMPARE(w.SSTab1()->currentIndex(), 1);
    QCOMPARE(rig.shownValue(2), held ^ 1);
    QVERIFY(w.bDataChanged);

    // Read Settings, the first command since the change, shows the printer's value as unchanged.
    rig.click("cmd1");
    QCOMPARE(rig.emulator.received(), switchQuery(2));
    QCOMPARE(rig.shownValue(2), held);
    QVERIFY(!w.bDataChanged);

    // Yes: the new page stays, the printer's value comes back and counts as unchanged.
    rig.click("optSW2ON_0");
    rig.clear();
    rig.chooseTab(4);
    QCOMPARE(rig.ui->prompter.shown.size(), 1);
    QCOMPARE(w.SSTab1()->currentIndex(), 4);
    QCOMPARE(rig.emulator.received(), switchQuery(2));
    QVERIFY(!w.bDataChanged);
}

QTEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"

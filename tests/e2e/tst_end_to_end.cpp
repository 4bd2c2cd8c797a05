// The whole job in the real window against the printer emulator, over TCP loopback and over
// pseudo-terminals standing in for a serial port and for the printer device: what the user sees
// (labels, switch pages, log, message boxes) and what the printer received and holds.

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
#include <qpa/qwindowsysteminterface.h>

using namespace Qt::StringLiterals;

namespace {

enum class Port { Tcp, Com, Lpt };
const char *const kPortName[] = {"TCP", "COM", "LPT"}; // by Port

const QString kGreeting = u"Welcome to NORVANTA world.\r\n\r\nCommunication test finished."_s;
const QString kWrongMaker = u"Please connected NORVANTA POS printer before test."_s;
const QString kPowerCycle = u"After writed software switch, please re-power on printer!!"_s;
const QString kNotSent = u"Could not send data now, please check lan printer status... 9"_s;
const QString kWriteFailed = u"The settings could not be written to the printer.\r\n"
                             "Please check the printer and its cable, then write again."_s;
const PrinterSettings kKv = PrinterSettings::forModel(u"KV-4100"_s);
const PrinterSettings kZephyr = PrinterSettings::forModel(u"ZEPHYR-550"_s);

// The communication test's commands before the switch queries: the maker, four printer-information
// queries, then the four language queries.
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

// The log of a communication test that read the printer `held`, with the switch bytes `read`.
QString expectedLog(const PrinterSettings &held, const QList<int> &read)
{
    QString log = u"getMakerInfo-->"_s + held.maker + u"\r\n"_s;
    const QStringList info{held.model,
                           held.firmware,
                           QString::number(held.hoursPowered),
                           QString::number(held.cutPaperCount),
                           held.languageModel,
                           held.fontRom,
                           QString::number(held.codePage),
                           QString::number(held.charset)};
    for (int i = 0; i < 8; ++i)
        log +=
            (i < 4 ? u"getPrinterInfo%1-->"_s.arg(i + 1) : u"getLanguageInfo%1-->"_s.arg(i - 3)) +
            info.at(i) + u"\r\n"_s;
    for (const int sw : read)
        log += u"getSW%1-->%2\r\n"_s.arg(sw).arg(held.*kSwitch[sw]);
    return log;
}

// Queues a click on a widget the way the window system delivers one: it is handled whenever the
// event loop next takes user input.
void queueClick(QWidget *widget)
{
    QWindow *window = widget->window()->windowHandle();
    const QPoint centre = widget->rect().center();
    const QPointF local = widget->mapTo(widget->window(), centre);
    const QPointF global = widget->mapToGlobal(centre);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

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

    MainWindow &window() { return ui->window; }
    template<typename C> C *control(QAnyStringView name) { return ui->control<C>(name.toString()); }
    void click(QAnyStringView button) { control<QAbstractButton>(button)->click(); }
    QTabWidget *tabs() { return control<QTabWidget>("SSTab1"); }
    void chooseTab(int tab) { tabs()->setCurrentIndex(tab); }
    bool tabsShown() { return tabs()->isVisibleTo(&window()); }
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
        control<QLineEdit>("tcpIP")->setText(u"127.0.0.1"_s);
        control<QLineEdit>("tcpListenPort")->setText(QString::number(tcpPort));
        if (rate != nullptr)
            click(rate);
        click("cmdCommunicate");
    }

    // The OFF or ON button of switch i + 1 of SW`sw`; OFF is a set bit.
    QAbstractButton *option(int sw, bool off, int i)
    {
        return control<QAbstractButton>(u"optSW%1%2_%3"_s.arg(sw).arg(off ? u"OFF" : u"ON").arg(i));
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
            if (control<QWidget>(u"frameSW%1m"_s.arg(sw))->isVisibleTo(&window()))
                shown = shown == 0 ? sw : -1;
        return shown;
    }
    // The eight information labels: printer information, then language information.
    QStringList informationLabels()
    {
        QStringList labels;
        for (const char16_t *box : {u"KV", u"LANG"})
            for (int i = 0; i < 4; ++i)
                labels << control<QLabel>(u"lbl%1_INFO_%2"_s.arg(box).arg(i))->text();
        return labels;
    }

    EmulatorThread emulator;
    quint16 tcpPort = 0;
    QString ptyPath;
    std::unique_ptr<TestWindow> ui;
};

} // namespace

// A communication test; once the faults are gone it is repeated and passes.
struct Session
{
    PrinterSettings printer = kKv;
    Port port = Port::Tcp;
    Faults faults{};
    QByteArray wire{};            // what the printer received
    QStringList messages{};       // what the user was shown
    QList<int> switchesRead{};    // in order, when the test passed
    QList<int> pages{};           // the switch byte shown on tabs 1 and 2, 0 for none
    bool closedMeanwhile = false; // the window is closed while the test waits for the printer
};
Q_DECLARE_METATYPE(Session)

// A switch write from a tab; `vanished`: the printer is gone after the communication test.
struct SwitchWrite
{
    PrinterSettings printer = kKv;
    Port port = Port::Com;
    const char *rate = nullptr; // the baud-rate option clicked before the test
    int tab = 1;
    int sw = 2;
    int value = 0;
    bool ends = false;
    bool vanished = false;
};
Q_DECLARE_METATYPE(SwitchWrite)

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void communicationTest_data();
    void communicationTest();
    void writeSwitch_data();
    void writeSwitch();
    void writeLanguage();
    void readAndLeave();
    void clicksDuringAnExchange_data();
    void clicksDuringAnExchange();
    void closedWhileGreeting();
};

void TestEndToEnd::communicationTest_data()
{
    QTest::addColumn<Session>("session");

    PrinterSettings hardware = kZephyr;
    hardware.sw2 |= 1; // SW2 switch 1 OFF: the hardware switches rule, SW1 is not in use
    PrinterSettings otherMaker = kKv;
    otherMaker.maker = u"norvanta"_s;
    const QByteArray kv = kIdentityQueries + switchQuery(2) + switchQuery(3);
    const QByteArray zephyr = kIdentityQueries + switchQuery(2) + switchQuery(1);
    const QStringList passed{kGreeting};

    for (const Port port : {Port::Tcp, Port::Com, Port::Lpt})
        QTest::addRow("KV-4100 over %s: everything shown", kPortName[int(port)]) << Session{
            .port = port, .wire = kv, .messages = passed, .switchesRead = {2, 3}, .pages = {2, 3}};
    QTest::newRow("ZEPHYR-550 over COM: SW2, then SW1") << Session{.printer = kZephyr,
                                                                   .port = Port::Com,
                                                                   .wire = zephyr,
                                                                   .messages = passed,
                                                                   .switchesRead = {2, 1},
                                                                   .pages = {1, 2}};
    QTest::newRow("ZEPHYR-550 with hardware switches over TCP: no SW1")
        << Session{.printer = hardware,
                   .wire = kIdentityQueries + switchQuery(2),
                   .messages = passed,
                   .switchesRead = {2},
                   .pages = {0, 2}};
    QTest::newRow("another maker over TCP: one query")
        << Session{.printer = otherMaker, .wire = kMakerQuery, .messages = {kWrongMaker}};
    // Printers that are slow, answer in pieces, say nothing or talk nonsense.
    QTest::newRow("slow printer over COM: passes") << Session{.port = Port::Com,
                                                              .faults = {.replyDelayMs = 150},
                                                              .wire = kv,
                                                              .messages = passed,
                                                              .switchesRead = {2, 3},
                                                              .pages = {2, 3}};
    QTest::newRow("replies in pieces over TCP: passes") << Session{.faults = {.splitReplies = true},
                                                                   .wire = kv,
                                                                   .messages = passed,
                                                                   .switchesRead = {2, 3},
                                                                   .pages = {2, 3}};
    QTest::newRow("silent printer over TCP: maker message")
        << Session{.faults = {.silent = true}, .wire = kMakerQuery, .messages = {kWrongMaker}};
    QTest::newRow("garbage replies over COM: maker message") << Session{.port = Port::Com,
                                                                        .faults = {.garbage = true},
                                                                        .wire = kMakerQuery,
                                                                        .messages = {kWrongMaker}};
    // Gone after three commands: the link says so, then the test names the failed step.
    QTest::newRow("printer gone over TCP: link and step messages")
        << Session{.faults = {.dropAfter = 3},
                   .wire = kMakerQuery + QByteArray::fromHex("1D4943 1D4941"),
                   .messages = {kGreeting, kNotSent,
                                u"Read printer information3 error!!\r\n\r\n"
                                "Please check the port setting of your printer."_s}};
    // The window manager's close is no user input: it reaches the window during an exchange, and
    // the port is closed once the exchange is over.
    QTest::newRow("window closed during an exchange over TCP")
        << Session{.faults = {.replyDelayMs = 100},
                   .wire = kv,
                   .messages = passed,
                   .switchesRead = {2, 3},
                   .pages = {2, 3},
                   .closedMeanwhile = true};
}

void TestEndToEnd::communicationTest()
{
    QFETCH(Session, session);

    Rig rig(session.printer, session.faults);
    if (session.closedMeanwhile)
        QTimer::singleShot(50, &rig.window(), &QWidget::close);
    rig.communicate(session.port);
    QCOMPARE(rig.shown(), session.messages);
    QCOMPARE(rig.emulator.received().toHex(' '), session.wire.toHex(' '));
    const PrinterSettings held = rig.emulator.snapshot().settings;
    // The window opens for work, and freezes the port choice, only when the test passed.
    const bool passed = session.messages == QStringList{kGreeting};
    QCOMPARE(rig.tabsShown(), passed);
    QCOMPARE(rig.control<QWidget>("Combo1")->isEnabled(), !passed);
    if (session.closedMeanwhile)
        QTRY_COMPARE(rig.control<QLineEdit>("txtSTATUS")->text(), u"Disconnect"_s);
    if (session.faults != Faults()) { // once the printer behaves, the same window passes the test
        rig.emulator.setFaults(Faults());
        rig.clear();
        rig.click("cmdCommunicate");
        QCOMPARE(rig.shown(), QStringList{kGreeting});
    }
    if (session.switchesRead.isEmpty())
        return;

    const int runs = session.faults != Faults() ? 2 : 1;
    QCOMPARE(rig.window().logText(), expectedLog(held, session.switchesRead).repeated(runs));
    QCOMPARE(rig.control<QWidget>("tcpIP")->isEnabled(), session.port != Port::Tcp);
    QCOMPARE(rig.control<QWidget>("com_BR_9600")->isEnabled(), session.port != Port::Com);
    QCOMPARE(rig.informationLabels(),
             (QStringList{held.model, held.firmware, QString::number(held.hoursPowered),
                          QString::number(held.cutPaperCount), held.languageModel, held.fontRom,
                          QString::number(held.codePage), QString::number(held.charset)}));
    QCOMPARE(rig.control<QComboBox>("comboCodePage")->currentText(), u"0  - 437 Standard"_s);
    QCOMPARE(rig.control<QComboBox>("comboInterChars")->currentText(), u"0 - U.S.A."_s);
    QString file = u"communication-test-%1.png"_s.arg(QLatin1String(QTest::currentDataTag()));
    file.replace(u' ', u'-').remove(u':');
    QVERIFY(rig.window().grab().save(screenshotPath(file)));

    const int firstCaption = session.printer.model == u"ZEPHYR-550" ? 1 : 2;
    for (const int tab : {1, 2}) {
        QCOMPARE(rig.tabs()->tabText(tab), u"Software_switch %1"_s.arg(firstCaption + tab - 1));
        rig.chooseTab(tab);
        const int sw = session.pages.at(tab - 1);
        QCOMPARE(rig.shownFrame(), sw);
        if (sw != 0)
            QCOMPARE(rig.shownValue(sw), held.*kSwitch[sw]);
    }
}

void TestEndToEnd::writeSwitch_data()
{
    QTest::addColumn<SwitchWrite>("write");

    // The printers start with SW2 235 (KV-4100) or 238 (ZEPHYR-550), SW3 0 and SW1 105: switch 1
    // OFF and switch 2 ON for 115200 baud; SW1 106 has them the other way round for 9600.
    PrinterSettings zephyr9600 = kZephyr;
    zephyr9600.sw1 = 106;

    // Over TCP every write ends the program; over a serial port only a new baud rate does.
    QTest::newRow("KV-4100 SW2 over COM: runs on") << SwitchWrite{.value = 203};
    QTest::newRow("KV-4100 SW3 over TCP: ends")
        << SwitchWrite{.port = Port::Tcp, .tab = 2, .sw = 3, .value = 1, .ends = true};
    QTest::newRow("KV-4100 SW2 over LPT: runs on") << SwitchWrite{.port = Port::Lpt, .value = 203};
    QTest::newRow("ZEPHYR-550 115200 kept, another switch: runs on")
        << SwitchWrite{.printer = kZephyr, .rate = "com_BR_115200", .sw = 1, .value = 73};
    QTest::newRow("ZEPHYR-550 port at 9600, 9600 to 38400: ends") << SwitchWrite{
        .printer = zephyr9600, .rate = "com_BR_9600", .sw = 1, .value = 104, .ends = true};
    for (const Port port : {Port::Com, Port::Lpt, Port::Tcp})
        QTest::addRow("printer vanished over %s: told, change kept", kPortName[int(port)])
            << SwitchWrite{.port = port, .value = 203, .vanished = true};
}

void TestEndToEnd::writeSwitch()
{
    QFETCH(SwitchWrite, write);

    // Eleven commands make the communication test of a KV-4100.
    Rig rig(write.printer, write.vanished ? Faults{.dropAfter = 11} : Faults());
    rig.communicate(write.port, write.rate);
    if (write.vanished && write.port == Port::Tcp)
        QTRY_VERIFY(rig.control<QLineEdit>("txtSTATUS")->text() != u"Connected"_s);
    else if (write.vanished) // the emulator has closed its pseudo-terminal and opened a new one
        QTRY_VERIFY(rig.emulator.ptyPath() != rig.ptyPath);

    rig.chooseTab(write.tab);
    for (int i = 0; i < 8; ++i) // click the buttons of the switches that differ
        if ((rig.shownValue(write.sw) ^ write.value) >> i & 1)
            rig.option(write.sw, write.value >> i & 1, i)->click();
    rig.clear();
    rig.click("cmd2");

    const QByteArray wire = kUnlock + switchWrite(write.sw, write.value) + kLock;
    QTRY_COMPARE(rig.emulator.received().toHex(' '),
                 write.vanished ? QByteArray() : wire.toHex(' '));
    QCOMPARE(rig.emulator.snapshot().settings.*kSwitch[write.sw],
             write.vanished ? write.printer.*kSwitch[write.sw] : write.value);
    QCOMPARE(rig.ui->shell.quitCount, write.ends ? 1 : 0);
    QCOMPARE(rig.control<QWidget>("cmd2")->isEnabled(), !write.ends);
    // A write that failed says so, once per command over TCP, and leaves the change to be written.
    const QStringList failed = write.port == Port::Tcp
                                   ? QStringList{kNotSent, kNotSent, kNotSent, kWriteFailed}
                                   : QStringList{kWriteFailed};
    QCOMPARE(rig.shown(), write.vanished ? failed : QStringList{kPowerCycle});
    QCOMPARE(rig.window().dataChanged(), write.vanished);
}

void TestEndToEnd::writeLanguage()
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
             QStringList{u"Are you sure to ignore <Additional Switch> settings?"_s});
    QCOMPARE(rig.tabs()->currentIndex(), 3);
    rig.clear();
    rig.click("cmd2");

    QTRY_COMPARE(rig.emulator.received().toHex(' '),
                 (kUnlock + settingWrite(0x21, QByteArray("17\0\0", 4)) +
                  settingWrite(0x24, "CYRILLIC" + QByteArray(13, '\0')) +
                  settingWrite(0x22, QByteArray("12\0", 3)) + kLock)
                     .toHex(' '));
    const PrinterSettings held = rig.emulator.snapshot().settings;
    QCOMPARE(std::tuple(held.codePage, held.charset, held.languageModel),
             std::tuple(17, 12, u"CYRILLIC"_s));
    QCOMPARE(rig.shown(), QStringList{kPowerCycle});
    QCOMPARE(rig.ui->shell.quitCount, 0);

    // Reading the page again asks for the language settings only and shows what was written.
    rig.emulator.clearReceived();
    rig.click("cmd1");
    QCOMPARE(rig.emulator.received().toHex(' '), kLanguageQueries.toHex(' '));
    QCOMPARE(rig.informationLabels().mid(4),
             (QStringList{u"CYRILLIC"_s, held.fontRom, u"17"_s, u"12"_s}));
    QCOMPARE(rig.control<QComboBox>("comboCodePage")->currentText(), u"17 - 866 Cyrillic"_s);
    QCOMPARE(rig.control<QComboBox>("comboInterChars")->currentText(), u"12- Latin America"_s);
}

void TestEndToEnd::readAndLeave()
{
    Rig rig(kKv);
    rig.communicate(Port::Tcp);
    MainWindow &w = rig.window();
    const int held = rig.emulator.snapshot().settings.sw2;

    // No: back on the page, the change still on screen, nothing read.
    rig.chooseTab(1);
    rig.click("optSW2ON_0");
    rig.clear();
    rig.ui->prompter.answers = {false};
    rig.chooseTab(4);
    QCOMPARE(rig.shown(), QStringList{u"Are you sure to ignore <SW2> settings?"_s});
    QCOMPARE(rig.ui->prompter.shown.at(0).title, u"Switch Change confirm"_s);
    QCOMPARE(rig.tabs()->currentIndex(), 1);
    QCOMPARE(rig.shownValue(2), held ^ 1);
    QVERIFY(w.dataChanged());
    QCOMPARE(rig.emulator.received(), QByteArray());

    // Read Settings shows the printer's value again, as unchanged.
    rig.click("cmd1");
    QCOMPARE(rig.emulator.received().toHex(' '), switchQuery(2).toHex(' '));
    QCOMPARE(rig.shownValue(2), held);
    QVERIFY(!w.dataChanged());

    // Yes: the new page stays, the printer's value comes back and counts as unchanged.
    rig.click("optSW2ON_0");
    rig.clear();
    rig.chooseTab(4);
    QCOMPARE(rig.ui->prompter.shown.size(), 1);
    QCOMPARE(rig.tabs()->currentIndex(), 4);
    QCOMPARE(rig.emulator.received().toHex(' '), switchQuery(2).toHex(' '));
    QCOMPARE(rig.shownValue(2), held);
    QVERIFY(!w.dataChanged());
    QCOMPARE(rig.window().logText().count(u"getSW2-->"_s), 3);
}

// A button pressed again, or another button, while an exchange it started waits for the printer.
struct ClicksDuringAnExchange
{
    const char *button = nullptr;
    const char *pressedMeanwhile = nullptr;
    int replyDelayMs = 0; // of the printer, from the button's press on
    QByteArray wire{};    // the commands the printer received
    int selfTests = 0;    // the test prints it made
};
Q_DECLARE_METATYPE(ClicksDuringAnExchange)

void TestEndToEnd::clicksDuringAnExchange_data()
{
    QTest::addColumn<ClicksDuringAnExchange>("row");

    // The printer says nothing to a self test: the button waits out the first-byte bound.
    QTest::newRow("double-click on Self Test: one test print")
        << ClicksDuringAnExchange{.button = "cmd0",
                                  .pressedMeanwhile = "cmd0",
                                  .wire = QByteArray::fromHex("1D28410200 0002"),
                                  .selfTests = 1};
    QTest::newRow("greyed Communication Test clicked during a slow test: one test")
        << ClicksDuringAnExchange{.button = "cmdCommunicate",
                                  .pressedMeanwhile = "cmdCommunicate",
                                  .replyDelayMs = 60,
                                  .wire = kIdentityQueries + switchQuery(2) + switchQuery(3)};
    QTest::newRow("double-click on Read Settings: one read") << ClicksDuringAnExchange{
        .button = "cmd1", .pressedMeanwhile = "cmd1", .replyDelayMs = 300, .wire = switchQuery(2)};
}

void TestEndToEnd::clicksDuringAnExchange()
{
    QFETCH(ClicksDuringAnExchange, row);

    Rig rig(kKv);
    rig.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
    rig.communicate(Port::Tcp);
    if (QByteArray(row.button) == "cmd1")
        rig.chooseTab(1);
    rig.clear();
    rig.emulator.setFaults({.replyDelayMs = row.replyDelayMs});

    auto *button = rig.control<QWidget>(row.button);
    auto *meanwhile = rig.control<QWidget>(row.pressedMeanwhile);
    // The second click comes while the first one's exchange waits for the printer.
    QTimer::singleShot(30, meanwhile, [meanwhile] { queueClick(meanwhile); });
    queueClick(button);
    QTRY_VERIFY(!rig.emulator.received().isEmpty());
    QTRY_VERIFY(button->isEnabled());
    // Whatever input is still waiting is handled now, by buttons that are enabled again.
    QCoreApplication::processEvents();
    QTRY_VERIFY(button->isEnabled());
    QCOMPARE(rig.emulator.received().toHex(' '), row.wire.toHex(' '));
    QCOMPARE(rig.emulator.snapshot().selfTests, row.selfTests);
}

void TestEndToEnd::closedWhileGreeting()
{
    // The desktop asks the window to close while the greeting is on screen: the test goes on to
    // its end, then the window closes and the port with it.
    Rig rig(kKv);
    rig.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
    rig.ui->prompter.whileShown = [&rig](const QString &text) {
        if (text == kGreeting)
            rig.window().close();
    };
    rig.communicate(Port::Tcp);
    QCOMPARE(rig.shown(), QStringList{kGreeting});
    QCOMPARE(rig.emulator.received().toHex(' '),
             (kIdentityQueries + switchQuery(2) + switchQuery(3)).toHex(' '));
    QVERIFY(!rig.window().isVisible());
    QCOMPARE(rig.control<QLineEdit>("txtSTATUS")->text(), u"Disconnect"_s);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_end_to_end.moc"

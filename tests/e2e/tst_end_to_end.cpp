// The whole job in the real window against the printer emulator, over TCP loopback and over
// pseudo-terminals standing in for a serial port and for the printer device: what the user sees
// (labels, switch pages, log, message boxes) and what the printer received and holds.

#include "EndToEndRig.h"

#include <QTimer>

// A communication test; once the faults are gone it is repeated and passes.
struct Session
{
    PrinterSettings printer = kKv;
    Port port = Port::Tcp;
    Faults faults{};
    // What the printer received, and what the user was shown.
    QByteArray wire = kIdentityQueries + switchQuery(2) + switchQuery(3);
    QStringList messages = {kGreeting};
    // When the test passed: the switch bytes read in order, and the one shown on tabs 1 and 2
    // (0 for none).
    QList<int> switchesRead = {2, 3};
    QList<int> pages = {2, 3};
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
    void readAndLeave_data();
    void readAndLeave();
};

void TestEndToEnd::communicationTest_data()
{
    QTest::addColumn<Session>("session");

    PrinterSettings hardware = kZephyr;
    hardware.sw2 |= 1; // SW2 switch 1 OFF: the hardware switches rule, SW1 is not in use
    PrinterSettings otherMaker = kKv;
    otherMaker.maker = u"norvanta"_s;
    const PrinterSettings otherModel = PrinterSettings::forModel(u"kv-4100"_s);

    // Over TCP and COM the rows with faults below show everything once the faults are gone.
    QTest::newRow("KV-4100 over LPT: everything shown") << Session{.port = Port::Lpt};
    QTest::newRow("ZEPHYR-550 over COM: SW2, then SW1")
        << Session{.printer = kZephyr,
                   .port = Port::Com,
                   .wire = kIdentityQueries + switchQuery(2) + switchQuery(1),
                   .switchesRead = {2, 1},
                   .pages = {1, 2}};
    QTest::newRow("ZEPHYR-550 with hardware switches over TCP: no SW1")
        << Session{.printer = hardware,
                   .wire = kIdentityQueries + switchQuery(2),
                   .switchesRead = {2},
                   .pages = {0, 2}};
    QTest::newRow("another model (kv-4100) over TCP: no switch byte, captions kept") << Session{
        .printer = otherModel, .wire = kIdentityQueries, .switchesRead = {}, .pages = {0, 0}};
    QTest::newRow("another maker over TCP: one query")
        << Session{.printer = otherMaker, .wire = kMakerQuery, .messages = {kWrongMaker}};
    // Printers that are slow, answer in pieces, say nothing or talk nonsense.
    QTest::newRow("slow printer over COM: passes")
        << Session{.port = Port::Com, .faults = {.replyDelayMs = 150}};
    QTest::newRow("replies in pieces over TCP: passes")
        << Session{.faults = {.splitReplies = true}};
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
    QTest::newRow("printer gone before the language model over TCP: no blank line")
        << Session{.faults = {.dropAfter = 5},
                   .wire = kIdentityQueries.chopped(15),
                   .messages = {kGreeting, kNotSent,
                                u"Read language information1 error!!\r\n"
                                "Please check the port setting of your printer."_s}};
    // The window manager's close is no user input: it reaches the window during an exchange, and
    // the port is closed once the exchange is over.
    QTest::newRow("window closed during an exchange over TCP")
        << Session{.faults = {.replyDelayMs = 100}, .closedMeanwhile = true};
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
    if (!passed)
        return;

    const int runs = session.faults != Faults() ? 2 : 1;
    QCOMPARE(logOf(rig.window()), expectedLog(held, session.switchesRead).repeated(runs));
    QCOMPARE(rig.control<QWidget>("tcpIP")->isEnabled(), session.port != Port::Tcp);
    QCOMPARE(rig.control<QWidget>("com_BR_9600")->isEnabled(), session.port != Port::Com);
    QCOMPARE(rig.informationLabels(), informationOf(held));
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
    QTest::newRow("ZEPHYR-550 115200 kept, another switch: runs on")
        << SwitchWrite{.printer = kZephyr, .rate = "com_BR_115200", .sw = 1, .value = 73};
    QTest::newRow("ZEPHYR-550 port at 9600, 9600 to 38400: ends") << SwitchWrite{
        .printer = zephyr9600, .rate = "com_BR_9600", .sw = 1, .value = 104, .ends = true};
    QTest::newRow("ZEPHYR-550 115200 to 38400 over LPT: runs on")
        << SwitchWrite{.printer = kZephyr, .port = Port::Lpt, .sw = 1, .value = 104};
    QTest::newRow("ZEPHYR-550 SW2 with the port at 9600: no baud-rate test, runs on")
        << SwitchWrite{.printer = kZephyr, .rate = "com_BR_9600", .tab = 2, .value = 110};
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
    rig.press("cmd2");

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
    QCOMPARE(displayOf(rig.window()).dataChanged(), write.vanished);
}

void TestEndToEnd::writeLanguage()
{
    Rig rig(kKv);
    rig.communicate(Port::Com);
    // The lists are on the first page too; leaving it, or the log page, asks nothing.
    rig.choose("comboCodePage", "17 - 866 Cyrillic");
    rig.chooseTab(4);
    rig.chooseTab(3);
    rig.choose("comboInterChars", "12- Latin America");
    // Leaving the changed page asks about the additional switch, once; No stays.
    rig.ui->prompter.answers = {false};
    rig.chooseTab(1);
    QCOMPARE(rig.shown().mid(1),
             QStringList{u"Are you sure to ignore <Additional Switch> settings?"_s});
    QCOMPARE(rig.tabs()->currentIndex(), 3);
    rig.press("cmd2");

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

void TestEndToEnd::readAndLeave_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("tab");    // the page of SW2
    QTest::addColumn<int>("change"); // the switch of SW2 turned ON, counted from 0

    QTest::newRow("KV-4100 page 1") << u"KV-4100"_s << 1 << 0;
    QTest::newRow("ZEPHYR-550 page 2: SW2 named after its caption") << u"ZEPHYR-550"_s << 2 << 7;
}

void TestEndToEnd::readAndLeave()
{
    QFETCH(QString, model);
    QFETCH(int, tab);
    QFETCH(int, change);
    Rig rig(PrinterSettings::forModel(model));
    rig.communicate(Port::Tcp);
    const PrinterDisplay &w = displayOf(rig.window());
    const int held = rig.emulator.snapshot().settings.sw2;
    const QString button = u"optSW2ON_%1"_s.arg(change);

    // Communicate on the first page only, Self Test on all but the log, Read and Write on the
    // settings pages; the language lists on the first page and on the language page.
    const QStringList usable[] = {{u"cmdCommunicate"_s, u"cmd0"_s, u"frameLanguageInfo"_s},
                                  {u"cmd0"_s, u"cmd1"_s, u"cmd2"_s},
                                  {u"cmd0"_s, u"cmd1"_s, u"cmd2"_s},
                                  {u"cmd0"_s, u"cmd1"_s, u"cmd2"_s, u"frameLanguageInfo"_s},
                                  {}};
    for (int page = 0; page < 5; ++page) {
        rig.chooseTab(page);
        QCOMPARE(rig.usable(), usable[page]);
    }
    // Nothing changed: Write Settings sends nothing, and leaving the page asks nothing.
    rig.chooseTab(tab);
    rig.press("cmd2");
    rig.chooseTab(4);
    QCOMPARE(rig.shown(), QStringList{u"There is no data changed..."_s});
    QCOMPARE(rig.emulator.received(), QByteArray());

    // No: back on the page, the change still on screen, nothing read.
    rig.chooseTab(tab);
    rig.click(button);
    rig.clear();
    rig.ui->prompter.answers = {false};
    rig.chooseTab(4);
    QCOMPARE(rig.shown(), QStringList{u"Are you sure to ignore <SW2> settings?"_s});
    QCOMPARE(rig.ui->prompter.shown.at(0).title, u"Switch Change confirm"_s);
    QCOMPARE(rig.tabs()->currentIndex(), tab);
    QCOMPARE(rig.shownValue(2), held ^ 1 << change);
    QVERIFY(w.dataChanged());
    QCOMPARE(rig.emulator.received(), QByteArray());

    // Read Settings shows the printer's value again, as unchanged.
    rig.click("cmd1");
    QCOMPARE(rig.emulator.received().toHex(' '), switchQuery(2).toHex(' '));
    QCOMPARE(rig.shownValue(2), held);
    QVERIFY(!w.dataChanged());

    // Yes: the new page stays, the printer's value comes back and counts as unchanged.
    rig.click(button);
    rig.clear();
    rig.chooseTab(4);
    QCOMPARE(rig.ui->prompter.shown.size(), 1);
    QCOMPARE(rig.tabs()->currentIndex(), 4);
    QCOMPARE(rig.emulator.received().toHex(' '), switchQuery(2).toHex(' '));
    QCOMPARE(rig.shownValue(2), held);
    QVERIFY(!w.dataChanged());
    QCOMPARE(logOf(rig.window()).count(u"getSW2-->"_s), 3);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_end_to_end.moc"

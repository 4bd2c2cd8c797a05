// The real window against printers that behave like real ones: late answers, bytes sent on their
// own, pauses inside a reply, XOFF held during a write; and users who click while the printer is
// waited for or close the window in the middle of a test. What the window shows must be what the
// printer holds, and what reaches the printer what the user chose.

#include "EndToEndRig.h"

#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

// Queues a click on a widget the way the window system delivers one: it is handled whenever the
// event loop next takes user input.
inline void queueClick(QWidget *widget)
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

// A communication test against a printer with faults: every label, switch page and log line.
struct FaultyPrinter
{
    Port port = Port::Tcp;
    Faults faults{};
    QList<int> switchesRead{2, 3}; // the switch bytes read and logged, in order
    // Switch pages left as they were at start (all switches OFF): a change on them is not written.
    QList<int> unreadPages{};
    QList<int> unreadInfo{}; // information labels left as they were, by index in informationOf()
    QByteArray wire = kIdentityQueries + switchQuery(2) + switchQuery(3);
    int written = 0; // the switch byte whose switch 1 is then changed and written
};
Q_DECLARE_METATYPE(FaultyPrinter)

class TestRealPrinters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void communicationTest_data();
    void communicationTest();
    void xoffHeldDuringWrite();
    void clicksDuringAnExchange_data();
    void clicksDuringAnExchange();
};

void TestRealPrinters::communicationTest_data()
{
    QTest::addColumn<FaultyPrinter>("printer");

    // A late answer is no later query's: before the next query the window asks for the maker's
    // name again and drops all that comes before that answer.
    QTest::newRow(
        "SW2 answered 1.2 s late over TCP: its page unread and not written, the rest right")
        << FaultyPrinter{.faults = {.lateReplies = {{u"sw2"_s, 1200}}},
                         .switchesRead = {3},
                         .unreadPages = {2},
                         .wire = kIdentityQueries + switchQuery(2) + kMakerQuery + switchQuery(3)};
    const QByteArray codePageLate = kIdentityQueries.chopped(4) + kMakerQuery +
                                    kIdentityQueries.right(4) + switchQuery(2) + switchQuery(3);
    for (const Port port : {Port::Tcp, Port::Com})
        QTest::addRow("code page 2.1 s late over %s: unread, the rest right, SW3 written alone",
                      kPortName[int(port)])
            << FaultyPrinter{.port = port,
                             .faults = {.lateReplies = {{u"code-page"_s, 2100}}},
                             .unreadInfo = {6},
                             .wire = codePageLate,
                             .written = 3};
    QTest::newRow("font ROM and character set 2.1 s late over TCP: unread, the rest right")
        << FaultyPrinter{.faults = {.lateReplies = {{u"font-rom"_s, 2100}, {u"charset"_s, 2100}}},
                         .unreadInfo = {5, 7},
                         .wire = kIdentityQueries.chopped(8) + kMakerQuery +
                                 kIdentityQueries.right(8) + kMakerQuery + switchQuery(2) +
                                 switchQuery(3)};
    QTest::newRow("status blocks between replies over TCP: every value right")
        << FaultyPrinter{.faults = {.statusBlocks = true}};
    QTest::newRow("XOFF and XON between replies over COM without software handshake")
        << FaultyPrinter{.port = Port::Com, .faults = {.replyDelayMs = 20, .flowBytes = true}};
    QTest::newRow("a 55 ms pause inside every reply over COM: whole replies")
        << FaultyPrinter{.port = Port::Com, .faults = {.blockPauseMs = 55}};
}

void TestRealPrinters::communicationTest()
{
    QFETCH(FaultyPrinter, printer);

    Rig rig(kKv, printer.faults);
    QStringList labels = rig.informationLabels();
    rig.communicate(printer.port);
    QCOMPARE(rig.shown(), QStringList{kGreeting});
    QCOMPARE(rig.emulator.received().toHex(' '), printer.wire.toHex(' '));
    const PrinterSettings held = rig.emulator.snapshot().settings;
    for (int i = 0; i < labels.size(); ++i)
        if (!printer.unreadInfo.contains(i))
            labels[i] = informationOf(held).at(i);
    QCOMPARE(rig.informationLabels(), labels);
    // A code page that was not read is not chosen: a language write is refused until one is.
    QCOMPARE(rig.control<QComboBox>("comboCodePage")->currentText(),
             printer.unreadInfo.contains(6) ? QString() : u"0  - 437 Standard"_s);
    QCOMPARE(rig.control<QComboBox>("comboInterChars")->currentText(), u"0 - U.S.A."_s);
    QCOMPARE(logOf(rig.window()), expectedLog(held, printer.switchesRead, printer.unreadInfo));
    for (const int sw : {2, 3}) {
        rig.chooseTab(sw - 1);
        QCOMPARE(rig.shownValue(sw), printer.unreadPages.contains(sw) ? 0xFF : held.*kSwitch[sw]);
    }
    for (const int sw : printer.unreadPages) {
        rig.chooseTab(sw - 1);
        rig.option(sw, false, 3)->click();
        rig.press("cmd2");
        QCOMPARE(rig.shown(),
                 QStringList{u"The switch settings of this page could not be read from "
                             "the printer.\r\nNothing was written to the printer."_s});
        QCOMPARE(rig.emulator.received(), QByteArray());
        QCOMPARE(rig.emulator.snapshot().settings.*kSwitch[sw], held.*kSwitch[sw]);
        QVERIFY(displayOf(rig.window()).dataChanged());
        // Read Settings asks again and gets no answer in time either: the user is told.
        rig.press("cmd1");
        QCOMPARE(rig.shown(), QStringList{u"Read software switch error!!\r\n"
                                          "Please check the port setting of your printer."_s});
        QVERIFY(!displayOf(rig.window()).dataChanged());
    }
    if (const int sw = printer.written; sw != 0) {
        rig.chooseTab(sw - 1);
        rig.option(sw, (held.*kSwitch[sw] & 1) == 0, 0)->click();
        rig.press("cmd2");
        QTRY_COMPARE(rig.emulator.received().toHex(' '),
                     (kUnlock + switchWrite(sw, held.*kSwitch[sw] ^ 1) + kLock).toHex(' '));
        QCOMPARE(rig.shown(), QStringList{kPowerCycle});
    }
    if (printer.unreadInfo.contains(6)) {
        rig.chooseTab(3);
        rig.choose("comboInterChars", "12- Latin America");
        rig.press("cmd2");
        QCOMPARE(rig.shown(), QStringList{u"Please select a code page and an international "
                                          "character set before writing.\r\n"
                                          "Nothing was written to the printer."_s});
        QCOMPARE(rig.emulator.received(), QByteArray());
        QVERIFY(displayOf(rig.window()).dataChanged());
    }
}

void TestRealPrinters::xoffHeldDuringWrite()
{
    // A printer on a serial line with software handshake sends XOFF after the communication test
    // and holds it for 3.5 s. The write that follows is reported as failed while the window goes on
    // running, and when XON comes nothing of it reaches the printer.
    Rig rig(kKv, {.holdXoffAfter = 11, .holdXoffMs = 3500});
    rig.click("com_HS_SW");
    rig.communicate(Port::Com);
    QCOMPARE(rig.shown(), QStringList{kGreeting});
    rig.chooseTab(1);
    rig.option(2, false, 3)->click();
    rig.clear();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    rig.click("cmd2");
    QCOMPARE(rig.shown(), QStringList{kWriteFailed});
    QVERIFY(ticks > 10);
    QVERIFY(displayOf(rig.window()).dataChanged());

    rig.click("cmd1"); // once XON has come, the next command goes alone
    QCOMPARE(rig.emulator.received().toHex(' '), switchQuery(2).toHex(' '));
    QCOMPARE(rig.emulator.snapshot().settings.sw2, kKv.sw2);
}

// A button pressed again while the exchange it started waits for the printer.
struct ClicksDuringAnExchange
{
    const char *button = nullptr;
    int replyDelayMs = 0; // of the printer, from the button's press on
    QByteArray wire{};    // the commands the printer received
    int selfTests = 0;    // the test prints it made
};
Q_DECLARE_METATYPE(ClicksDuringAnExchange)

void TestRealPrinters::clicksDuringAnExchange_data()
{
    QTest::addColumn<ClicksDuringAnExchange>("row");

    // The printer says nothing to a self test: the button waits out the first-byte bound.
    QTest::newRow("double-click on Self Test: one test print") << ClicksDuringAnExchange{
        .button = "cmd0", .wire = QByteArray::fromHex("1D28410200 0002"), .selfTests = 1};
    QTest::newRow("greyed Communication Test clicked during a slow test: one test")
        << ClicksDuringAnExchange{.button = "cmdCommunicate",
                                  .replyDelayMs = 60,
                                  .wire = kIdentityQueries + switchQuery(2) + switchQuery(3)};
    QTest::newRow("double-click on Read Settings: one read")
        << ClicksDuringAnExchange{.button = "cmd1", .replyDelayMs = 300, .wire = switchQuery(2)};
}

void TestRealPrinters::clicksDuringAnExchange()
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
    // The second click comes while the first one's exchange waits for the printer.
    QTimer::singleShot(30, button, [button] { queueClick(button); });
    queueClick(button);
    QTRY_VERIFY(!rig.emulator.received().isEmpty());
    QTRY_VERIFY(button->isEnabled());
    // Whatever input is still waiting is handled now, by buttons that are enabled again.
    QCoreApplication::processEvents();
    QTRY_VERIFY(button->isEnabled());
    QCOMPARE(rig.emulator.received().toHex(' '), row.wire.toHex(' '));
    QCOMPARE(rig.emulator.snapshot().selfTests, row.selfTests);
}

QTEST_MAIN(TestRealPrinters)
#include "tst_real_printers.moc"

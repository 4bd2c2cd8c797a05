// The whole job in the real window against the printer emulator, over TCP loopback and over
// pseudo-terminals standing in for a serial port and for the printer device: what the user sees
// (labels, switch pages, log, message boxes) and what the printer received and holds, also with
// printers that behave like real ones (late answers, bytes sent on their own, pauses inside a
// reply, XOFF held during a write) and users who click while the printer is waited for or close
// the window in the middle of a test.
// Windows has no pseudo-terminals: there the rows over COM and LPT are left out, and those over TCP
// run as on Linux.

#include "EmulatorThread.h"
#include "LogHistory.h"
#include "TestWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <qpa/qwindowsysteminterface.h>

using namespace Qt::StringLiterals;

namespace {

enum class Port { Tcp, Com, Lpt };
const char *const kPortName[] = {"TCP", "COM", "LPT"}; // by Port
#ifdef Q_OS_WIN
constexpr bool kPseudoTerminals = false;
#else
constexpr bool kPseudoTerminals = true;
#endif

// Adds a row whose printer is reached over `row.port`, where this platform has that port.
template<typename Row> void addPortRow(const char *name, const Row &row)
{
    if (row.port == Port::Tcp || kPseudoTerminals)
        QTest::newRow(name) << row;
}

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

// What the eight information labels show for a printer that holds `held`: printer information,
// then language information.
QStringList informationOf(const PrinterSettings &held)
{
    return {held.model,
            held.firmware,
            QString::number(held.hoursPowered),
            QString::number(held.cutPaperCount),
            held.languageModel,
            held.fontRom,
            QString::number(held.codePage),
            QString::number(held.charset)};
}

// The log of a communication test that read the printer `held`, with the switch bytes `read`
// and without the information labels `unread` (by their index in informationOf()).
QString expectedLog(const PrinterSettings &held, const QList<int> &read,
                    const QList<int> &unread = {})
{
    QString log = u"getMakerInfo-->"_s + held.maker + u"\r\n"_s;
    const QStringList info = informationOf(held);
    for (int i = 0; i < 8; ++i)
        if (!unread.contains(i))
            log += (i < 4 ? u"getPrinterInfo%1-->"_s.arg(i + 1)
                          : u"getLanguageInfo%1-->"_s.arg(i - 3)) +
                   info.at(i) + u"\r\n"_s;
    for (const int sw : read)
        log += u"getSW%1-->%2\r\n"_s.arg(sw).arg(held.*kSwitch[sw]);
    return log;
}

// A printer emulator and a window whose COM3 and LPT1 lead to the emulator's pseudo-terminal,
// where there is one.
struct Rig
{
    explicit Rig(const PrinterSettings &printer, const Faults &faults = Faults())
        : emulator(EmulatorOptions{printer, faults, QString()})
    {
        tcpPort = emulator.listenTcp();
        if (kPseudoTerminals)
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
    QStringList shown() { return ui->prompter.texts(); }
    // The log history as it was appended, CR LF included.
    QString log() { return displayOf(window()).log().text(); }
    void clear()
    {
        emulator.clearReceived();
        ui->prompter.shown.clear();
    }
    // Clicks `button` with nothing received or shown before it.
    void press(QAnyStringView button)
    {
        clear();
        click(button);
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

} // namespace

// A communication test; once the faults are gone it is repeated and passes.
struct Session
{
    PrinterSettings printer = kKv;
    Port port = Port::Tcp;
    Faults faults{};
    // What the printer received, and what the user was shown.
    QByteArray wire = kIdentityQueries + switchQuery(2) + switchQuery(3) + kMakerQuery;
    QStringList messages = {kGreeting};
    // When the test passed: the switch bytes read in order, and the one shown on tabs 1 and 2
    // (0 for none); a page whose byte was not read keeps all switches OFF, as at start, and a
    // change on it is not written.
    QList<int> switchesRead = {2, 3};
    QList<int> pages = {2, 3};
    QList<int> unreadInfo{}; // information labels left as they were, by index in informationOf()
    int written = 0;         // the switch byte whose switch 1 is then changed and written
    bool closedMeanwhile = false; // the window is closed while the test waits for the printer
};
Q_DECLARE_METATYPE(Session)

// A switch write from a tab.
struct SwitchWrite
{
    PrinterSettings printer = kKv;
    Port port = Port::Com;
    const char *rate = nullptr; // the baud-rate or handshake option clicked before the test
    int tab = 1;
    int sw = 2;
    int value = 0;
    bool ends = false;
    // After the twelve commands of a KV-4100's communication test (its last the proof of the link
    // in step) the printer is gone, or holds XOFF.
    Faults faults{};
};
Q_DECLARE_METATYPE(SwitchWrite)

// A button pressed again while the exchange it started waits for the printer.
struct ClicksDuringAnExchange
{
    const char *button = nullptr;
    int replyDelayMs = 0; // of the printer, from the button's press on
    QByteArray wire{};    // the commands the printer received
    int selfTests = 0;    // the test prints it made
};
Q_DECLARE_METATYPE(ClicksDuringAnExchange)

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Printers that answer, those that fail, and those that answer late: each a communication
    // test, in groups that run side by side.
    void communicationTest_data();
    void communicationTest() { runSession(); }
    void failedCommunication_data();
    void failedCommunication() { runSession(); }
    void lateAnswers_data();
    void lateAnswers() { runSession(); }
    void lateCodePage_data();
    void lateCodePage() { runSession(); }
    void writeSwitch_data();
    void writeSwitch();
#ifndef Q_OS_WIN // over COM, where the window runs on after a write
    void writeLanguage();
#endif
    void readAndLeave_data();
    void readAndLeave();
    void clicksDuringAnExchange_data();
    void clicksDuringAnExchange();

private:
    static void runSession();
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
    addPortRow("KV-4100 over LPT: everything shown", Session{.port = Port::Lpt});
    addPortRow("ZEPHYR-550 over COM: SW2, then SW1",
               Session{.printer = kZephyr,
                       .port = Port::Com,
                       .wire = kIdentityQueries + switchQuery(2) + switchQuery(1) + kMakerQuery,
                       .switchesRead = {2, 1},
                       .pages = {1, 2}});
    addPortRow("ZEPHYR-550 with hardware switches over TCP: no SW1",
               Session{.printer = hardware,
                       .wire = kIdentityQueries + switchQuery(2) + kMakerQuery,
                       .switchesRead = {2},
                       .pages = {0, 2}});
    addPortRow("another model (kv-4100) over TCP: no switch byte, captions kept",
               Session{.printer = otherModel,
                       .wire = kIdentityQueries + kMakerQuery,
                       .switchesRead = {},
                       .pages = {0, 0}});
    addPortRow("another maker over TCP: one query",
               Session{.printer = otherMaker, .wire = kMakerQuery, .messages = {kWrongMaker}});
    // Printers that are slow, answer in pieces or send flow control between the answers. (Status
    // blocks between the answers and pauses inside them: the link's rows.)
    addPortRow("slow printer over COM: passes",
               Session{.port = Port::Com, .faults = {.replyDelayMs = 150}});
    addPortRow("replies in pieces over TCP: passes", Session{.faults = {.splitReplies = true}});
    addPortRow("XOFF and XON between replies over COM without software handshake",
               Session{.port = Port::Com, .faults = {.replyDelayMs = 20, .flowBytes = true}});
}

void TestEndToEnd::failedCommunication_data()
{
    QTest::addColumn<Session>("session");

    // Printers that say nothing, talk nonsense or go, and a window closed meanwhile.
    addPortRow("silent printer over TCP: maker message",
               Session{.faults = {.silent = true}, .wire = kMakerQuery, .messages = {kWrongMaker}});
    addPortRow("garbage replies over COM: maker message", Session{.port = Port::Com,
                                                                  .faults = {.garbage = true},
                                                                  .wire = kMakerQuery,
                                                                  .messages = {kWrongMaker}});
    // Gone after three commands: the link says so, then the test names the failed step.
    addPortRow("printer gone over TCP: link and step messages",
               Session{.faults = {.dropAfter = 3},
                       .wire = kMakerQuery + QByteArray::fromHex("1D4943 1D4941"),
                       .messages = {kGreeting, kNotSent,
                                    u"Read printer information3 error!!\r\n\r\n"
                                    "Please check the port setting of your printer."_s}});
    addPortRow("printer gone before the language model over TCP: no blank line",
               Session{.faults = {.dropAfter = 5},
                       .wire = kIdentityQueries.chopped(15),
                       .messages = {kGreeting, kNotSent,
                                    u"Read language information1 error!!\r\n"
                                    "Please check the port setting of your printer."_s}});
    // The window manager's close is no user input: it reaches the window during an exchange, and
    // the port is closed once the exchange is over.
    addPortRow("window closed during an exchange over TCP",
               Session{.faults = {.replyDelayMs = 100}, .closedMeanwhile = true});
}

void TestEndToEnd::lateAnswers_data()
{
    QTest::addColumn<Session>("session");

    // A late answer is no later query's: before the next query the window asks for the maker's
    // name again and drops all that comes before that answer.
    addPortRow("SW2 answered 1.2 s late over TCP: its page unread and not written, the rest right",
               Session{.faults = {.lateReplies = {{u"sw2"_s, 1200}}},
                       .wire = kIdentityQueries + switchQuery(2) + kMakerQuery + switchQuery(3) +
                               kMakerQuery,
                       .switchesRead = {3}});
    addPortRow("font ROM and character set 2.1 s late over TCP: unread, the rest right",
               Session{.faults = {.lateReplies = {{u"font-rom"_s, 2100}, {u"charset"_s, 2100}}},
                       .wire = kIdentityQueries.chopped(8) + kMakerQuery +
                               kIdentityQueries.right(8) + kMakerQuery + switchQuery(2) +
                               switchQuery(3) + kMakerQuery,
                       .unreadInfo = {5, 7}});
}

void TestEndToEnd::lateCodePage_data()
{
    QTest::addColumn<Session>("session");

    const QByteArray codePageLate = kIdentityQueries.chopped(4) + kMakerQuery +
                                    kIdentityQueries.right(4) + switchQuery(2) + switchQuery(3) +
                                    kMakerQuery;
    for (const Port port : {Port::Tcp, Port::Com})
        addPortRow(qPrintable(QString::asprintf(
                       "code page 2.1 s late over %s: unread, the rest right, SW3 written alone",
                       kPortName[int(port)])),
                   Session{.port = port,
                           .faults = {.lateReplies = {{u"code-page"_s, 2100}}},
                           .wire = codePageLate,
                           .unreadInfo = {6},
                           .written = 3});
}

namespace {

// The switch pages after a communication test that passed: the frames of the bytes shown, the
// bytes read; a page whose byte was not read is not written, and the byte of `written` is.
void checkSwitchPages(Rig &rig, const Session &session, const PrinterSettings &held)
{
    const int firstCaption = session.printer.model == u"ZEPHYR-550" ? 1 : 2;
    for (const int tab : {1, 2}) {
        const int sw = session.pages.at(tab - 1);
        QCOMPARE(rig.tabs()->tabText(tab), u"Software_switch %1"_s.arg(firstCaption + tab - 1));
        rig.chooseTab(tab);
        for (const int each : {1, 2, 3})
            QCOMPARE(rig.control<QWidget>(u"frameSW%1m"_s.arg(each))->isVisibleTo(&rig.window()),
                     each == sw);
        if (sw == 0)
            continue;
        const bool read = session.switchesRead.contains(sw);
        QCOMPARE(rig.shownValue(sw), read ? held.*kSwitch[sw] : 0xFF);
        if (!read) {
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
        } else if (sw == session.written) {
            rig.option(sw, (held.*kSwitch[sw] & 1) == 0, 0)->click();
            rig.press("cmd2");
            QTRY_COMPARE(rig.emulator.received().toHex(' '),
                         (kMakerQuery + switchQuery(sw) + kUnlock +
                          switchWrite(sw, held.*kSwitch[sw] ^ 1) + kLock)
                             .toHex(' '));
            QCOMPARE(rig.shown(), QStringList{kPowerCycle});
        }
    }
}

// Whether the window notices that the printer closed the connection before it sends the next
// query (which then cannot be sent) or only after (the socket then says that the printer closed
// it) is the system's timing; both tell the user that the printer is gone.
QStringList shownGone(Rig &rig)
{
    QStringList shown = rig.shown();
    const QString closed = u"Error #  1 was generated by QTcpSocket\rThe remote host closed the "
                           "connection"_s;
    std::replace(shown.begin(), shown.end(), closed, kNotSent);
    return shown;
}

// A code page that was not read: the language page writes nothing until one is chosen.
void checkLanguageRefused(Rig &rig)
{
    rig.chooseTab(3);
    rig.choose("comboInterChars", "12- Latin America");
    rig.press("cmd2");
    QCOMPARE(rig.shown(), QStringList{u"Please select a code page and an international "
                                      "character set before writing.\r\n"
                                      "Nothing was written to the printer."_s});
    QCOMPARE(rig.emulator.received(), QByteArray());
    QVERIFY(displayOf(rig.window()).dataChanged());
}

} // namespace

void TestEndToEnd::runSession()
{
    QFETCH(Session, session);

    Rig rig(session.printer, session.faults);
    QStringList labels = rig.informationLabels();
    if (session.closedMeanwhile)
        QTimer::singleShot(50, &rig.window(), &QWidget::close);
    rig.communicate(session.port);
    QCOMPARE(shownGone(rig), session.messages);
    QCOMPARE(rig.emulator.received().toHex(' '), session.wire.toHex(' '));
    const PrinterSettings held = rig.emulator.snapshot().settings;
    // The window opens for work, and freezes the port choice, only when the test passed.
    const bool passed = session.messages == QStringList{kGreeting};
    QCOMPARE(rig.tabs()->isVisibleTo(&rig.window()), passed);
    QCOMPARE(rig.control<QWidget>("Combo1")->isEnabled(), !passed);
    if (session.closedMeanwhile)
        QTRY_COMPARE(rig.control<QLineEdit>("txtSTATUS")->text(), u"Disconnect"_s);
    if (passed) {
        QCOMPARE(rig.log(), expectedLog(held, session.switchesRead, session.unreadInfo));
        QCOMPARE(rig.control<QWidget>("tcpIP")->isEnabled(), session.port != Port::Tcp);
        QCOMPARE(rig.control<QWidget>("com_BR_9600")->isEnabled(), session.port != Port::Com);
        for (int i = 0; i < labels.size(); ++i)
            if (!session.unreadInfo.contains(i))
                labels[i] = informationOf(held).at(i);
        QCOMPARE(rig.informationLabels(), labels);
        // A code page that was not read is not chosen: a language write is refused until one is.
        QCOMPARE(rig.control<QComboBox>("comboCodePage")->currentText(),
                 session.unreadInfo.contains(6) ? QString() : u"0  - 437 Standard"_s);
        QCOMPARE(rig.control<QComboBox>("comboInterChars")->currentText(), u"0 - U.S.A."_s);
        QString file = u"communication-test-%1.png"_s.arg(QLatin1String(QTest::currentDataTag()));
        file.replace(u' ', u'-').remove(u':');
        QVERIFY(rig.window().grab().save(screenshotPath(file)));
        checkSwitchPages(rig, session, held);
        if (QTest::currentTestFailed())
            return;
        if (session.unreadInfo.contains(6))
            checkLanguageRefused(rig);
    }
    if (session.faults != Faults()) { // once the printer behaves, the same window passes the test
        rig.emulator.setFaults(Faults());
        rig.chooseTab(0);
        const QString log = rig.log();
        rig.press("cmdCommunicate");
        QCOMPARE(rig.shown(), QStringList{kGreeting});
        // (The printers with faults are KV-4100s.)
        QCOMPARE(rig.log(), log + expectedLog(rig.emulator.snapshot().settings, {2, 3}));
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
    addPortRow("KV-4100 SW2 over COM: runs on", SwitchWrite{.value = 203});
    addPortRow("KV-4100 SW3 over TCP: ends",
               SwitchWrite{.port = Port::Tcp, .tab = 2, .sw = 3, .value = 1, .ends = true});
    addPortRow("ZEPHYR-550 115200 kept, another switch: runs on",
               SwitchWrite{.printer = kZephyr, .rate = "com_BR_115200", .sw = 1, .value = 73});
    addPortRow(
        "ZEPHYR-550 port at 9600, 9600 to 38400: ends",
        SwitchWrite{
            .printer = zephyr9600, .rate = "com_BR_9600", .sw = 1, .value = 104, .ends = true});
    addPortRow("ZEPHYR-550 115200 to 38400 over LPT: runs on",
               SwitchWrite{.printer = kZephyr, .port = Port::Lpt, .sw = 1, .value = 104});
    addPortRow("ZEPHYR-550 SW2 with the port at 9600: no baud-rate test, runs on",
               SwitchWrite{.printer = kZephyr, .rate = "com_BR_9600", .tab = 2, .value = 110});
    for (const Port port : {Port::Com, Port::Lpt, Port::Tcp})
        addPortRow(qPrintable(QString::asprintf("printer vanished over %s: told, change kept",
                                                kPortName[int(port)])),
                   SwitchWrite{.port = port, .value = 203, .faults = {.dropAfter = 12}});
    // Reported as failed while the window goes on running; when XON comes nothing of it reaches
    // the printer.
    addPortRow("XOFF held for 3.5 s, software handshake: told, change kept",
               SwitchWrite{.rate = "com_HS_SW",
                           .value = 227,
                           .faults = {.holdXoffAfter = 12, .holdXoffMs = 3500}});
}

void TestEndToEnd::writeSwitch()
{
    QFETCH(SwitchWrite, write);

    Rig rig(write.printer, write.faults);
    rig.communicate(write.port, write.rate);
    const bool vanished = write.faults.dropAfter != 0;
    const bool failed = write.faults != Faults();
    if (vanished && write.port == Port::Tcp)
        QTRY_VERIFY(rig.control<QLineEdit>("txtSTATUS")->text() != u"Connected"_s);
    else if (vanished) // the emulator has closed its pseudo-terminal and opened a new one
        QTRY_VERIFY(rig.emulator.ptyPath() != rig.ptyPath);

    rig.chooseTab(write.tab);
    for (int i = 0; i < 8; ++i) // click the buttons of the switches that differ
        if ((rig.shownValue(write.sw) ^ write.value) >> i & 1)
            rig.option(write.sw, write.value >> i & 1, i)->click();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    rig.press("cmd2");

    const QByteArray wire =
        kMakerQuery + switchQuery(write.sw) + kUnlock + switchWrite(write.sw, write.value) + kLock;
    QTRY_COMPARE(rig.emulator.received().toHex(' '), failed ? QByteArray() : wire.toHex(' '));
    QCOMPARE(rig.emulator.snapshot().settings.*kSwitch[write.sw],
             failed ? write.printer.*kSwitch[write.sw] : write.value);
    QCOMPARE(rig.ui->shell.quitCount, write.ends ? 1 : 0);
    QCOMPARE(rig.control<QWidget>("cmd2")->isEnabled(), !write.ends);
    // A write that failed says so, once per command over TCP, and leaves the change to be written.
    const QStringList told =
        write.port == Port::Tcp ? QStringList{kNotSent, kWriteFailed} : QStringList{kWriteFailed};
    QCOMPARE(rig.shown(), failed ? told : QStringList{kPowerCycle});
    QCOMPARE(displayOf(rig.window()).dataChanged(), failed);
    if (write.faults.holdXoffMs != 0) {
        QVERIFY(ticks > 10);
        // Reads are tried until one goes: once XON has come, nothing of the write reaches the
        // printer, only the reads.
        QTRY_VERIFY_WITH_TIMEOUT((rig.click("cmd1"), !rig.emulator.received().isEmpty()), 10000);
        const QByteArray received = rig.emulator.received();
        QCOMPARE(received.toHex(' '),
                 switchQuery(2).repeated(received.size() / switchQuery(2).size()).toHex(' '));
    }
}

#ifndef Q_OS_WIN
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
                 (kMakerQuery + kLanguageQueries.right(8) + kUnlock +
                  settingWrite(0x21, QByteArray("17\0\0", 4)) +
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
#endif

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
        QStringList names;
        for (const char *name : {"cmdCommunicate", "cmd0", "cmd1", "cmd2", "frameLanguageInfo"})
            if (rig.control<QWidget>(name)->isEnabled() &&
                rig.control<QWidget>(name)->isVisibleTo(&rig.window()))
                names << QLatin1String(name);
        QCOMPARE(names, usable[page]);
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
    QCOMPARE(rig.log().count(u"getSW2-->"_s), 3);
}

void TestEndToEnd::clicksDuringAnExchange_data()
{
    QTest::addColumn<ClicksDuringAnExchange>("row");

    // The printer says nothing to a self test: the button waits out the first-byte bound.
    QTest::newRow("double-click on Self Test: one test print") << ClicksDuringAnExchange{
        .button = "cmd0", .wire = QByteArray::fromHex("1D28410200 0002"), .selfTests = 1};
    QTest::newRow("greyed Communication Test clicked during a slow test: one test")
        << ClicksDuringAnExchange{.button = "cmdCommunicate",
                                  .replyDelayMs = 60,
                                  .wire = kIdentityQueries + switchQuery(2) + switchQuery(3) +
                                          kMakerQuery};
    QTest::newRow("double-click on Read Settings: one read")
        << ClicksDuringAnExchange{.button = "cmd1", .replyDelayMs = 300, .wire = switchQuery(2)};
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

QTEST_MAIN(TestEndToEnd)
#include "tst_end_to_end.moc"

#include "HelpLocator.h"
#include "QtTcpClient.h"
#include "Screenshot.h"
#include "TestWindow.h"
#include "WrappingPushButton.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <algorithm>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// Counts the program's closes of its TCP connection.
class CountingTcpClient : public QtTcpClient
{
public:
    void close() override
    {
        ++closes;
        QtTcpClient::close();
    }
    int closes = 0;
};

// The visible controls of the form whose text needs more room than they have, leaving aside the
// parts Qt widgets make for themselves (tab bar, scroll bars, viewports).
QStringList clippedTexts(const QWidget &window)
{
    QStringList clipped;
    const QList<QWidget *> all = window.findChildren<QWidget *>();
    for (QWidget *a : all) {
        bool own = a->isVisibleTo(&window) && !a->objectName().startsWith(u"qt_");
        for (QWidget *up = a->parentWidget(); own && up != &window; up = up->parentWidget())
            own = !qobject_cast<QTabBar *>(up) && !qobject_cast<QAbstractScrollArea *>(up);
        QSize needed;
        if (auto *wrapping = qobject_cast<WrappingPushButton *>(a))
            needed = a->fontMetrics()
                         .boundingRect(a->rect().adjusted(4, 4, -4, -4),
                                       Qt::AlignCenter | Qt::TextWordWrap, wrapping->text())
                         .size();
        else if (auto *push = qobject_cast<QPushButton *>(a))
            // The style's minimum width of push buttons is no measure of their caption.
            needed = a->fontMetrics().size(Qt::TextSingleLine, push->text()) + QSize(8, 4);
        else if (qobject_cast<QLabel *>(a) || qobject_cast<QAbstractButton *>(a))
            needed = a->sizeHint();
        if (own && (needed.width() > a->width() || needed.height() > a->height()))
            clipped.append(a->objectName());
    }
    return clipped;
}

bool showWindow(TestWindow &t)
{
    t.window.show();
    return QTest::qWaitForWindowExposed(&t.window);
}

constexpr SwitchByte kBytes[] = {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3};

QRadioButton *option(const TestWindow &t, SwitchByte sw, bool on, int index)
{
    return t.control<QRadioButton>(
        QString::asprintf("optSW%d%s_%d", int(sw) + 1, on ? "ON" : "OFF", index));
}

// The pairs of a switch byte, switch 1 first: '1' for OFF, '0' for ON, '-' for neither.
QString pattern(const TestWindow &t, SwitchByte sw)
{
    QString shown;
    for (int i = 0; i < 8; ++i)
        shown.append(option(t, sw, false, i)->isChecked()  ? u'1'
                     : option(t, sw, true, i)->isChecked() ? u'0'
                                                           : u'-');
    return shown;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void startState_data();
    void startState();
    void portChoice_data();
    void portChoice();
    void leavingClosesThePortOnce_data();
    void leavingClosesThePortOnce();
    void helpLookupOrder_data();
    void helpLookupOrder();
    void accessibleTexts_data();
    void accessibleTexts();
    void renders_data();
    void renders();
    void switchValueRoundTrip_data();
    void switchValueRoundTrip();
    void clickChangesItsPairOnly_data();
    void clickChangesItsPairOnly();
    void reportedLanguage_data();
    void reportedLanguage();
    void logAppend_data();
    void logAppend();
};

void TestMainWindow::initTestCase()
{
    // Leaving the window must not end the test run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestMainWindow::startState_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("names");
    const char *const rows[][3] = {
        {"visible", "false", "SSTab1 frameSW1m frameSW2m frameSW3m frameLanguageInfo frameTCPIP"},
        {"visible", "true", "Image1 lblPORT Combo1 frameCOMm cmdCommunicate cmd0 cmdEXIT"},
        // Of the additional switch only the first pair can be changed.
        {"enabled", "false", "cmd0 cmd1 cmd2 comboCodePageName optSW3ON_1 optSW3OFF_7"},
        {"enabled", "true", "cmdCommunicate cmdEXIT cmdHELP Combo1 optSW3ON_0 optSW2OFF_7"},
        {"checked", "true", "com_BR_115200 com_HS_HW com_PK_NONE optSW1OFF_0 optSW3OFF_7"},
        {"checked", "false", "com_BR_9600 com_HS_SW com_PK_EVEN optSW2ON_7 optSW3ON_0"},
        {"count", "18", "Combo1"},
        {"currentText", "COM1", "Combo1"},
        {"currentText", "0 - U.S.A.", "comboInterChars"},
        {"currentText", "", "comboCodePage comboCodePageName"},
        {"text", "", "txtSTATUS"},
        {"plainText", "", "txtLOG"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %s", row[0], row[1])
            << QByteArray(row[0]) << QString::fromLatin1(row[1]) << QString::fromLatin1(row[2]);
}

void TestMainWindow::startState()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, value);
    QFETCH(QString, names);
    TestWindow t;
    QVERIFY(showWindow(t));
    const QStringList controls = names.split(QLatin1Char(' '));
    for (const QString &name : controls)
        QCOMPARE(t.control<QWidget>(name)->property(property.constData()).toString(), value);
}

void TestMainWindow::portChoice_data()
{
    QTest::addColumn<int>("entry"); // -1: as it starts
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("clicks");   // serial options clicked before a real open
    QTest::addColumn<QString>("settings"); // of that open, with the handshake code
    const char *const rows[][4] = {
        {"-1", "COM1", "", ""},
        {"0", "TCP/IP", "", ""},
        {"1", "LPT1", "", ""},
        {"17", "COM16", "", ""},
        {"4", "COM3", "", "115200,N,8,1 2"},
        {"4", "COM3", "com_BR_9600 com_PK_EVEN", "9600,E,8,1 2"},
        {"4", "COM3", "com_BR_38400 com_HS_SW com_PK_EVEN com_PK_NONE", "38400,N,8,1 1"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %s", row[1], row[2])
            << QByteArray(row[0]).toInt() << QString::fromLatin1(row[1])
            << QString::fromLatin1(row[2]) << QString::fromLatin1(row[3]);
}

void TestMainWindow::portChoice()
{
    QFETCH(int, entry);
    QFETCH(QString, portName);
    QFETCH(QString, clicks);
    QFETCH(QString, settings);
    // A pseudo-terminal stands in for COM3.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    const auto closeMaster = qScopeGuard([master] { ::close(master); });
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    auto resolver = std::make_unique<FixedDeviceResolver>();
    resolver->serialPorts.insert(3, QString::fromLocal8Bit(ptsname(master)));
    TestWindow t(std::move(resolver));
    QVERIFY(showWindow(t));
    // Through TCP/IP first, so that every row also leaves another kind of port.
    if (entry >= 0) {
        chooseEntry(t.window.Combo1(), 0);
        chooseEntry(t.window.Combo1(), entry);
    }
    QCOMPARE(t.window.link().PortName(), portName);
    QCOMPARE(t.window.frameCOMm()->isVisible(), portName.startsWith(u"COM"));
    QCOMPARE(t.window.frameTCPIP()->isVisible(), portName == QStringLiteral("TCP/IP"));
    // Choosing a port opens nothing.
    QVERIFY(!t.window.link().isStatusTimerActive());
    if (!settings.isEmpty()) {
        const QStringList names = clicks.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString &name : names)
            QTest::mouseClick(t.control<QRadioButton>(name), Qt::LeftButton);
        QVERIFY(t.window.link().OpenPort(portName, true));
        QCOMPARE(t.window.link().settingsText() + QLatin1Char(' ') +
                     t.window.link().comSettings().Handshake,
                 settings);
        t.window.close();
    }
    QVERIFY(t.prompter.shown.isEmpty());
}

void TestMainWindow::leavingClosesThePortOnce_data()
{
    QTest::addColumn<bool>("exitButton");
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("connected");
    QTest::newRow("EXIT, TCP/IP connected") << true << 0 << true;
    QTest::newRow("close box, TCP/IP connected") << false << 0 << true;
    QTest::newRow("EXIT, LPT1 without a device") << true << 1 << false;
    QTest::newRow("close box, COM1 without a device") << false << 2 << false;
}

void TestMainWindow::leavingClosesThePortOnce()
{
    QFETCH(bool, exitButton);
    QFETCH(int, entry);
    QFETCH(bool, connected);
    QTcpServer printer;
    QVERIFY(printer.listen(QHostAddress::LocalHost));
    auto counting = std::make_unique<CountingTcpClient>();
    CountingTcpClient *tcp = counting.get();
    TestWindow t(std::make_unique<FixedDeviceResolver>(), std::move(counting));
    QVERIFY(showWindow(t));
    chooseEntry(t.window.Combo1(), entry);
    auto *status = t.control<QLineEdit>(QStringLiteral("txtSTATUS"));
    QTcpSocket *peer = nullptr;
    if (connected) {
        t.control<QLineEdit>(QStringLiteral("tcpIP"))->setText(QStringLiteral("127.0.0.1"));
        t.control<QLineEdit>(QStringLiteral("tcpListenPort"))
            ->setText(QString::number(printer.serverPort()));
        t.window.link().OpenPort(t.window.link().PortName(), true);
        QTRY_VERIFY(printer.hasPendingConnections());
        peer = printer.nextPendingConnection();
        QTRY_COMPARE(status->text(), QStringLiteral("Connected"));
    }
    const int closesBefore = tcp->closes;

    if (exitButton)
        QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdEXIT")), Qt::LeftButton);
    else
        t.window.close();

    if (connected) {
        QCOMPARE(tcp->closes - closesBefore, 1);
        QCOMPARE(status->text(), QStringLiteral("Disconnect"));
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    }
    QVERIFY(!t.window.link().isStatusTimerActive());
    QCOMPARE(t.shell.quitCount, exitButton ? 1 : 0);
    QVERIFY(t.prompter.shown.isEmpty());
}

void TestMainWindow::helpLookupOrder_data()
{
    QTest::addColumn<int>("inWorkDir"); // 0: nothing, 1: the help file, 2: a folder of its name
    QTest::addColumn<bool>("inDataHome");
    QTest::addColumn<int>("found"); // 0: nowhere, 1: working directory, 2: data folder
    QTest::newRow("working directory first") << 1 << true << 1;
    QTest::newRow("then the data folder") << 0 << true << 2;
    QTest::newRow("a folder of that name is passed over") << 2 << true << 2;
    QTest::newRow("nowhere") << 2 << false << 0;
}

void TestMainWindow::helpLookupOrder()
{
    QFETCH(int, inWorkDir);
    QFETCH(bool, inDataHome);
    QFETCH(int, found);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
    // Installed copies of the help file on this machine must not answer.
    qputenv("XDG_DATA_HOME", work.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", work.filePath(QStringLiteral("none")).toLocal8Bit());
    const QString name = HelpLocator::helpFileName();
    const QStringList paths{QString(), QDir::current().filePath(name),
                            work.filePath(QStringLiteral("data/printer-switch-utility/") + name)};
    QVERIFY(QDir(work.path()).mkpath(QStringLiteral("data/printer-switch-utility")));
    QVERIFY(inWorkDir != 1 || QFile(paths[1]).open(QIODevice::WriteOnly));
    QVERIFY(inWorkDir != 2 || QDir().mkpath(paths[1]));
    QVERIFY(!inDataHome || QFile(paths[2]).open(QIODevice::WriteOnly));

    TestWindow t;
    auto *help = t.control<QPushButton>(QStringLiteral("cmdHELP"));
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(t.shell.openedHelp, found > 0 ? QStringList{paths[found]} : QStringList());
}

void TestMainWindow::accessibleTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("caption"); // the label that names the control, if any
    const char *const rows[][3] = {
        {"lblKV_INFO_3", "Cut Paper Count", ""},
        {"lblSW3Function_6", "SW3 switch 8 meaning", ""},
        {"Combo1", "Printer port selection", "lblPORT"},
        {"comboInterChars", "International Character Set", "Text7"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
                              << QString::fromLatin1(row[2]);
}

void TestMainWindow::accessibleTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, caption);
    TestWindow t;
    QWidget *control = t.control<QWidget>(name);
    // Labels read what they show now, as it is, never as markup.
    if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(QStringLiteral("<b>KV-4100</b>"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
    QVERIFY(iface != nullptr);
    if (qobject_cast<QLabel *>(control))
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("<b>KV-4100</b>"));
    QCOMPARE(iface->text(QAccessible::Description), description);
    const auto relations = iface->relations(QAccessible::Label);
    QVERIFY(caption.isEmpty() || std::any_of(relations.begin(), relations.end(), [&](auto &r) {
                return r.first->object()->objectName() == caption;
            }));
}

void TestMainWindow::renders_data()
{
    QTest::addColumn<int>("page");  // -1: the window as it starts
    QTest::addColumn<int>("frame"); // switch frame laid over the page, -1: none
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("port");
    QTest::newRow("start") << -1 << -1 << 0 << 2;
    QTest::newRow("page0-tcp") << 0 << -1 << 0 << 0;
    QTest::newRow("sw1-255") << 1 << 0 << 255 << 2;
    QTest::newRow("sw2-zephyr") << 2 << 1 << 0 << 2;
    QTest::newRow("sw3") << 2 << 2 << 0 << 2;
    QTest::newRow("page3-lpt") << 3 << -1 << 0 << 1;
    QTest::newRow("page4") << 4 << -1 << 0 << 2;
}

void TestMainWindow::renders()
{
    QFETCH(int, page);
    QFETCH(int, frame);
    QFETCH(int, value);
    QFETCH(int, port);
    TestWindow t;
    QVERIFY(showWindow(t));
    chooseEntry(t.window.Combo1(), port);
    if (page >= 0) {
        const QStringList info =
            (QStringLiteral("ZEPHYR-550|1.02.3|12345|678|PC437 Standard|ANK|25|15")).split(u'|');
        for (int i = 0; i < 4; ++i) {
            t.window.setPrinterInfo(i, info.at(i));
            t.window.setLanguageInfo(i, info.at(i + 4));
        }
        t.window.ShowCodePage();
        t.window.ShowInterChars();
        for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3})
            t.window.ShowSwitchValue(sw, value);
        for (int line = 0; line < 40; ++line)
            t.window.AppendLog(QStringLiteral("getSW2-->%1\r\n").arg(line));
        t.window.SSTab1()->show();
        t.window.SSTab1()->setCurrentIndex(page);
        if (frame >= 0)
            t.window.switchFrame(SwitchByte(frame))->show();
        t.window.frameLanguageInfo()->setVisible(page == 0 || page == 3);
    }
    QVERIFY(t.window.grab().save(
        screenshotPath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"))));
    QCOMPARE(clippedTexts(t.window), QStringList());
}

void TestMainWindow::switchValueRoundTrip_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("offPattern");
    QTest::addColumn<QByteArray>("digits");
    const struct
    {
        int value;
        const char *pattern;
        QByteArray digits;
    } rows[] = {
        {0, "00000000", QByteArray("0\0\0", 3)}, {1, "10000000", QByteArray("1\0\0", 3)},
        {37, "10100100", QByteArray("37\0", 3)}, {128, "00000001", QByteArray("128")},
        {255, "11111111", QByteArray("255")},
    };
    for (const SwitchByte sw : kBytes) {
        for (const auto &row : rows)
            QTest::addRow("SW%d %d", int(sw) + 1, row.value)
                << sw << row.value << QString::fromLatin1(row.pattern) << row.digits;
    }
}

void TestMainWindow::switchValueRoundTrip()
{
    QFETCH(SwitchByte, sw);
    QFETCH(int, value);
    QFETCH(QString, offPattern);
    QFETCH(QByteArray, digits);
    TestWindow t;
    // From the opposite value, so that every pair has to move.
    t.window.ShowSwitchValue(sw, 255 - value);
    t.window.ShowSwitchValue(sw, value);
    QCOMPARE(pattern(t, sw), offPattern);
    const std::array<quint8, 3> codes = t.window.GetSwitchDigits(sw);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(codes.data()), 3), digits);
    // The selected button of a pair with a meaning stands out (of SW3 only switch 1 has one).
    for (int i = 0; i < (sw == SwitchByte::SW3 ? 1 : 8); ++i) {
        for (const bool on : {false})
            QCOMPARE(option(t, sw, on, i)->font().bold(), option(t, sw, on, i)->isChecked());
    }
    // A value shown by the program is no change of the user's.
    QVERIFY(!t.window.bDataChanged);
}

void TestMainWindow::clickChangesItsPairOnly_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("selectedOne"); // click the button that is already selected
    QTest::addColumn<bool>("clickable");
    QTest::newRow("SW1 switch 1") << SwitchByte::SW1 << 0 << false << true;
    QTest::newRow("SW1 switch 8, selected one") << SwitchByte::SW1 << 7 << true << true;
    QTest::newRow("SW2 switch 4") << SwitchByte::SW2 << 3 << false << true;
    QTest::newRow("SW2 switch 1, selected one") << SwitchByte::SW2 << 0 << true << true;
    QTest::newRow("SW3 switch 1") << SwitchByte::SW3 << 0 << false << true;
    QTest::newRow("SW3 switch 5 is fixed") << SwitchByte::SW3 << 4 << false << false;
}

void TestMainWindow::clickChangesItsPairOnly()
{
    QFETCH(SwitchByte, sw);
    QFETCH(int, index);
    QFETCH(bool, selectedOne);
    QFETCH(bool, clickable);
    TestWindow t;
    t.window.show();
    t.window.switchFrame(sw)->show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    QStringList expected;
    for (const SwitchByte each : kBytes) {
        t.window.ShowSwitchValue(each, 0xA5);
        expected.append(pattern(t, each));
    }
    const bool clickOn = (expected[int(sw)].at(index) == u'0') == selectedOne;
    if (clickable)
        expected[int(sw)][index] = clickOn ? u'0' : u'1';

    QTest::mouseClick(option(t, sw, clickOn, index), Qt::LeftButton);

    for (const SwitchByte each : kBytes)
        QCOMPARE(pattern(t, each), expected[int(each)]);
    QCOMPARE(t.window.bDataChanged, clickable);
    QCOMPARE(option(t, sw, clickOn, index)->font().bold(), clickable);
    QVERIFY(!option(t, sw, !clickOn, index)->font().bold());
}

void TestMainWindow::reportedLanguage_data()
{
    QTest::addColumn<int>("info"); // 2: the reported code page, 3: the reported character set
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("codePage");   // empty: as before
    QTest::addColumn<QString>("interChars"); // empty: as before
    QTest::addColumn<bool>("changed");
    const struct
    {
        int info;
        const char *reported, *codePage, *interChars;
        bool changed; // from true
    } rows[] = {
        {2, "25", "25 - 1254 Windows Turkish", "0 - U.S.A.", false},
        {2, "250", "250-LITHUANIA", "0 - U.S.A.", false},
        {2, "1", "1  - Katakana Japanese", "8 - Japan", false},
        // Blanks around the number still find the entry, which then differs from the report.
        {2, " 25", "25 - 1254 Windows Turkish", "0 - U.S.A.", true},
        {2, "6", "", "", true},
        {2, "", "", "", true},
        {3, "15", "", "15- Ex-Yugoslavia", false},
        {3, "14", "", "", true},
    };
    for (const auto &row : rows)
        QTest::addRow("%s '%s'", row.info == 2 ? "code page" : "character set", row.reported)
            << row.info << QString::fromLatin1(row.reported) << QString::fromLatin1(row.codePage)
            << QString::fromLatin1(row.interChars) << row.changed;
}

void TestMainWindow::reportedLanguage()
{
    QFETCH(int, info);
    QFETCH(QString, reported);
    QFETCH(QString, codePage);
    QFETCH(QString, interChars);
    QFETCH(bool, changed);
    TestWindow t;
    auto *codePages = t.control<QComboBox>(QStringLiteral("comboCodePage"));
    auto *names = t.control<QComboBox>(QStringLiteral("comboCodePageName"));
    codePages->setCurrentIndex(3);
    names->setCurrentIndex(3);
    t.control<QComboBox>(QStringLiteral("comboInterChars"))->setCurrentIndex(5);
    const QString codePageBefore = t.window.codePageText();
    const QString interCharsBefore = t.window.interCharsText();
    t.window.bDataChanged = true;
    t.window.setLanguageInfo(info, reported);
    if (info == 2)
        t.window.ShowCodePage();
    else
        t.window.ShowInterChars();
    QCOMPARE(t.window.codePageText(), codePage.isEmpty() ? codePageBefore : codePage);
    QCOMPARE(names->currentIndex(), codePages->currentIndex());
    QCOMPARE(t.window.interCharsText(), interChars.isEmpty() ? interCharsBefore : interChars);
    QCOMPARE(t.window.bDataChanged, changed);
}

void TestMainWindow::logAppend_data()
{
    QTest::addColumn<int>("before");   // characters in the log before the append
    QTest::addColumn<int>("keptFrom"); // first character of the old log that stays, -1: cleared
    QTest::addColumn<int>("anchor");   // the user selects from here back to character 3, -1: none
    QTest::newRow("8191 stays whole") << 8191 << 0 << -1;
    QTest::newRow("8192 loses its first 4096") << 8192 << 4096 << -1;
    QTest::newRow("12000 loses 4096 only") << 12000 << 4096 << -1;
    QTest::newRow("part selected") << 100 << 0 << 12;
    QTest::newRow("selected up to the end") << 100 << 0 << 100;
    QTest::newRow("cleared") << 9000 << -1 << -1;
}

void TestMainWindow::logAppend()
{
    QFETCH(int, before);
    QFETCH(int, keptFrom);
    QFETCH(int, anchor);
    TestWindow t;
    auto *box = t.control<QPlainTextEdit>(QStringLiteral("txtLOG"));
    // Each character tells where it stood.
    QString old;
    for (int i = 0; i < before; ++i)
        old.append(QString::number(i % 10));
    t.window.AppendLog(old);
    if (anchor >= 0) {
        QTextCursor selection = box->textCursor();
        selection.setPosition(anchor);
        selection.setPosition(3, QTextCursor::KeepAnchor);
        box->setTextCursor(selection);
    }
    if (keptFrom < 0)
        QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdCLEARlst")), Qt::LeftButton);

    const QString line = QStringLiteral("getSW2-->37\r\n");
    t.window.AppendLog(line);

    const QString expected = (keptFrom < 0 ? QString() : old.mid(keptFrom)) + line;
    QCOMPARE(t.window.logText(), expected);
    QCOMPARE(box->toPlainText(),
             QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(!box->textCursor().hasSelection());
    QVERIFY(box->textCursor().atEnd());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

#include "HelpLocator.h"
#include "MessageBoxPrompter.h"
#include "PrinterCommands.h"
#include "Screenshot.h"
#include "TestWindow.h"
#include "WrappingPushButton.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "QtTcpClient.h"

#include <algorithm>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A pseudo-terminal whose slave side stands in for a serial port.
class PseudoTerminal
{
public:
    PseudoTerminal()
        : m_master(posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_slave = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    QString slave() const { return m_slave; }

private:
    int m_master;
    QString m_slave;
};

// Picks entry `index` of a combo box with the keyboard, as a user would.
void chooseEntry(QComboBox *combo, int index)
{
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// The window's own controls: everything the form declares, without the parts that Qt widgets
// make for themselves (scroll bars, tab bar, viewports).
QList<QWidget *> formControls(const QWidget &window)
{
    QList<QWidget *> controls;
    const QList<QWidget *> all = window.findChildren<QWidget *>();
    for (QWidget *widget : all) {
        bool own = !widget->objectName().isEmpty() && !widget->objectName().startsWith(u"qt_");
        for (QWidget *up = widget->parentWidget(); own && up != &window; up = up->parentWidget())
            own = !qobject_cast<QTabBar *>(up) && !qobject_cast<QAbstractScrollArea *>(up);
        if (own)
            controls.append(widget);
    }
    return controls;
}

// Visible text controls whose text needs more room than they have.
QStringList clippedTexts(const QWidget &window)
{
    QStringList clipped;
    const QList<QWidget *> controls = formControls(window);
    for (QWidget *widget : controls) {
        if (!widget->isVisibleTo(&window))
            continue;
        QSize needed;
        if (auto *button = qobject_cast<WrappingPushButton *>(widget)) {
            const QRect room = button->rect().adjusted(4, 4, -4, -4);
            needed = button->fontMetrics()
                         .boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, button->text())
                         .size();
        } else if (auto *push = qobject_cast<QPushButton *>(widget)) {
            // The style's minimum width of push buttons is no measure of their caption.
            needed = push->fontMetrics().size(Qt::TextSingleLine, push->text()) + QSize(8, 4);
        } else if (qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget)) {
            needed = widget->sizeHint();
        } else {
            continue;
        }
        if (needed.width() > widget->width() || needed.height() > widget->height())
            clipped.append(widget->objectName());
    }
    return clipped;
}

// Visible controls that overlap a visible sibling, apart from the frames that lie over the
// page area of the tab control by design.
QStringList overlaps(const QWidget &window, const QTabWidget *tabs)
{
    QStringList found;
    const QList<QWidget *> controls = formControls(window);
    for (QWidget *a : controls) {
        for (QWidget *b : controls) {
            if (a >= b || a->parentWidget() != b->parentWidget() || !a->isVisibleTo(&window) ||
                !b->isVisibleTo(&window) || a == tabs || b == tabs)
                continue;
            if (a->geometry().intersects(b->geometry()))
                found.append(a->objectName() + QLatin1Char('/') + b->objectName());
        }
    }
    return found;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void startsWithTheFrameOfItsWindow();
    void startVisibility_data();
    void startVisibility();
    void startEnabled_data();
    void startEnabled();
    void startSelection_data();
    void startSelection();
    void startsWithThePortListOnCom1();
    void startsWithoutLinkOrLog();

    void portChoiceShowsItsFrame_data();
    void portChoiceShowsItsFrame();
    void serialOptionsReachTheLink_data();
    void serialOptionsReachTheLink();
    void statusBoxFollowsTheConnection();

    void leavingClosesThePortOnce_data();
    void leavingClosesThePortOnce();
    void leavingWithoutPortShowsNothing_data();
    void leavingWithoutPortShowsNothing();

    void helpLookupOrder_data();
    void helpLookupOrder();
    void helpFoldersOfThisProgram();
    void helpButtonOpensTheFoundFile_data();
    void helpButtonOpensTheFoundFile();

    void messageBoxes_data();
    void messageBoxes();

    void screenReaderFindsEveryControl();
    void accessibleDescriptions_data();
    void accessibleDescriptions();

    void rendersEveryBand_data();
    void rendersEveryBand();

private:
    QTemporaryDir m_dataHome;
};

void TestMainWindow::initTestCase()
{
    // Installed copies of the help file on this machine must not answer the lookups.
    QVERIFY(m_dataHome.isValid());
    // Leaving the window must not end the test run.
    QApplication::setQuitOnLastWindowClosed(false);
    qputenv("XDG_DATA_HOME", m_dataHome.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", m_dataHome.filePath(QStringLiteral("dirs")).toLocal8Bit());
}

void TestMainWindow::startsWithTheFrameOfItsWindow()
{
    TestWindow t;
    QCOMPARE(t.window.windowTitle(), QStringLiteral("Printer Software Switch Utility v1.1"));
    QCOMPARE(t.window.size(), QSize(756, 512));
    QCOMPARE(t.window.minimumSize(), t.window.maximumSize());
    const QList<QSize> iconSizes = t.window.windowIcon().availableSizes();
    QVERIFY(iconSizes.contains(QSize(16, 16)));
    QVERIFY(iconSizes.contains(QSize(32, 32)));
    QCOMPARE(t.control<QLabel>(QStringLiteral("Image1"))->pixmap().size(), QSize(298, 129));
    QCOMPARE(t.window.SSTab1()->count(), 5);
    const QStringList captions{
        QStringLiteral("Printer Infomation"), QStringLiteral("Software_switch 2"),
        QStringLiteral("Software_switch 3"), QStringLiteral("Additional Software_switch"),
        QStringLiteral("Log History")};
    for (int page = 0; page < captions.size(); ++page)
        QCOMPARE(t.window.SSTab1()->tabText(page), captions.at(page));
    QCOMPARE(t.window.SSTab1()->currentIndex(), 0);
    // The pages hold their own frames; the switch and language frames lie over them.
    QVERIFY(t.window.SSTab1()->widget(0)->isAncestorOf(
        t.control<QWidget>(QStringLiteral("framePrinterInfo"))));
    QVERIFY(t.window.SSTab1()->widget(3)->isAncestorOf(
        t.control<QWidget>(QStringLiteral("frameChangeCP"))));
    QVERIFY(
        t.window.SSTab1()->widget(4)->isAncestorOf(t.control<QWidget>(QStringLiteral("txtLOG"))));
    for (QWidget *frame :
         {t.window.switchFrame(SwitchByte::SW1), t.window.switchFrame(SwitchByte::SW2),
          t.window.switchFrame(SwitchByte::SW3), t.window.frameLanguageInfo()}) {
        QCOMPARE(frame->parentWidget(), &t.window);
        const QList<QObject *> &stack = t.window.children();
        QVERIFY2(stack.indexOf(frame) > stack.indexOf(t.window.SSTab1()),
                 qPrintable(frame->objectName() + QStringLiteral(" lies under the tabs")));
    }
}

void TestMainWindow::startVisibility_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("visible");
    for (const char *hidden :
         {"SSTab1", "frameSW1m", "frameSW2m", "frameSW3m", "frameLanguageInfo", "frameTCPIP"})
        QTest::newRow(hidden) << QString::fromLatin1(hidden) << false;
    for (const char *shown : {"Image1", "lblPORT", "Combo1", "frameCOMm", "cmdCommunicate", "cmd0",
                              "cmd1", "cmd2", "cmdEXIT", "cmdHELP"})
        QTest::newRow(shown) << QString::fromLatin1(shown) << true;
}

void TestMainWindow::startVisibility()
{
    QFETCH(QString, name);
    QFETCH(bool, visible);
    TestWindow t;
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    QCOMPARE(t.control<QWidget>(name)->isVisible(), visible);
}

void TestMainWindow::startEnabled_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enabled");
    for (const char *off : {"cmd0", "cmd1", "cmd2", "comboCodePageName"})
        QTest::newRow(off) << QString::fromLatin1(off) << false;
    for (const char *on : {"cmdCommunicate", "cmdEXIT", "cmdHELP", "Combo1", "lblPORT",
                           "optSW3ON_0", "optSW3OFF_0", "optSW1ON_7", "optSW2OFF_7"})
        QTest::newRow(on) << QString::fromLatin1(on) << true;
    // Of the additional switch only the first pair can be changed.
    for (int i = 1; i < 8; ++i) {
        for (const char *kind : {"ON", "OFF"}) {
            const QString name = QStringLiteral("optSW3%1_%2").arg(QLatin1String(kind)).arg(i);
            QTest::newRow(qPrintable(name)) << name << false;
        }
        const QString frame = QStringLiteral("frameSW3_%1").arg(i - 1);
        QTest::newRow(qPrintable(frame)) << frame << false;
    }
}

void TestMainWindow::startEnabled()
{
    QFETCH(QString, name);
    QFETCH(bool, enabled);
    TestWindow t;
    QCOMPARE(t.control<QWidget>(name)->isEnabled(), enabled);
}

void TestMainWindow::startSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checked");
    QTest::newRow("115200") << QStringLiteral("com_BR_115200") << true;
    QTest::newRow("38400") << QStringLiteral("com_BR_38400") << false;
    QTest::newRow("19200") << QStringLiteral("com_BR_19200") << false;
    QTest::newRow("9600") << QStringLiteral("com_BR_9600") << false;
    QTest::newRow("DTR/DSR") << QStringLiteral("com_HS_HW") << true;
    QTest::newRow("XON/XOFF") << QStringLiteral("com_HS_SW") << false;
    QTest::newRow("NONE") << QStringLiteral("com_PK_NONE") << true;
    QTest::newRow("EVEN") << QStringLiteral("com_PK_EVEN") << false;
    for (int sw = 1; sw <= 3; ++sw) {
        for (int i = 0; i < 8; ++i) {
            const QString off = QStringLiteral("optSW%1OFF_%2").arg(sw).arg(i);
            const QString on = QStringLiteral("optSW%1ON_%2").arg(sw).arg(i);
            QTest::newRow(qPrintable(off)) << off << true;
            QTest::newRow(qPrintable(on)) << on << false;
        }
    }
}

void TestMainWindow::startSelection()
{
    QFETCH(QString, name);
    QFETCH(bool, checked);
    TestWindow t;
    QCOMPARE(t.control<QRadioButton>(name)->isChecked(), checked);
}

void TestMainWindow::startsWithThePortListOnCom1()
{
    TestWindow t;
    QComboBox *combo = t.window.Combo1();
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    QStringList expected{QStringLiteral("TCP/IP"), QStringLiteral("LPT1")};
    for (int n = 1; n <= 16; ++n)
        expected.append(QStringLiteral("COM%1").arg(n));
    QCOMPARE(entries, expected);
    QCOMPARE(combo->currentText(), QStringLiteral("COM1"));
    QCOMPARE(t.window.link().PortName(), QStringLiteral("COM1"));
    QCOMPARE(t.window.link().PortType(), QStringLiteral("COM"));
    QCOMPARE(t.window.interCharsText(), QStringLiteral("0 - U.S.A."));
    QCOMPARE(t.window.codePageText(), QString());
}

void TestMainWindow::startsWithoutLinkOrLog()
{
    TestWindow t;
    auto *status = t.control<QLineEdit>(QStringLiteral("txtSTATUS"));
    QCOMPARE(status->text(), QString());
    QCOMPARE(t.window.link().LastLinkState(), 0);
    QVERIFY(!t.window.link().isStatusTimerActive());
    QCOMPARE(t.control<QLineEdit>(QStringLiteral("tcpListenPort"))->text(), QStringLiteral("9100"));
    QVERIFY(!t.control<QLineEdit>(QStringLiteral("tcpIP"))->text().isEmpty());
    QVERIFY(!t.window.bDataChanged);
    QCOMPARE(t.window.logText(), QString());
    QCOMPARE(t.control<QPlainTextEdit>(QStringLiteral("txtLOG"))->toPlainText(), QString());
    QCOMPARE(t.window.modelName(), QStringLiteral(" "));
    QCOMPARE(t.window.commands().MakerName(), QStringLiteral("**"));
    QVERIFY(t.prompter.shown.isEmpty());

    // "STATUS" right after start finds no change and leaves the box empty.
    QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdSTATUS")), Qt::LeftButton);
    QCOMPARE(status->text(), QString());
}

void TestMainWindow::portChoiceShowsItsFrame_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("portType");
    QTest::addColumn<bool>("serialShown");
    QTest::addColumn<bool>("tcpShown");
    QTest::newRow("TCP/IP") << 0 << QStringLiteral("TCP/IP") << QStringLiteral("TCP") << false
                            << true;
    QTest::newRow("LPT1") << 1 << QStringLiteral("LPT1") << QStringLiteral("LPT") << false << false;
    QTest::newRow("COM1") << 2 << QStringLiteral("COM1") << QStringLiteral("COM") << true << false;
    QTest::newRow("COM12") << 13 << QStringLiteral("COM12") << QStringLiteral("COM") << true
                           << false;
    QTest::newRow("COM16") << 17 << QStringLiteral("COM16") << QStringLiteral("COM") << true
                           << false;
}

void TestMainWindow::portChoiceShowsItsFrame()
{
    QFETCH(int, entry);
    QFETCH(QString, portName);
    QFETCH(QString, portType);
    QFETCH(bool, serialShown);
    QFETCH(bool, tcpShown);
    auto counting = std::make_unique<CountingTcpClient>(std::make_unique<QtTcpClient>());
    CountingTcpClient *tcp = counting.get();
    TestWindow t(std::make_unique<FixedDeviceResolver>(), std::move(counting));
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));

    // Through TCP/IP first, so that every row also leaves another kind of port.
    chooseEntry(t.window.Combo1(), 0);
    chooseEntry(t.window.Combo1(), entry);

    QCOMPARE(t.window.Combo1()->currentText(), portName);
    QCOMPARE(t.window.link().PortName(), portName);
    QCOMPARE(t.window.link().PortType(), portType);
    QCOMPARE(t.window.frameCOMm()->isVisible(), serialShown);
    QCOMPARE(t.window.frameTCPIP()->isVisible(), tcpShown);
    // Choosing a port opens nothing.
    QCOMPARE(tcp->connects, 0);
    QVERIFY(!t.window.link().isStatusTimerActive());
    QVERIFY(t.prompter.shown.isEmpty());
}

void TestMainWindow::serialOptionsReachTheLink_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("handshake");
    QTest::newRow("start options")
        << QStringList() << QStringLiteral("115200,N,8,1") << QStringLiteral("2");
    QTest::newRow("9600 EVEN") << QStringList{QStringLiteral("com_BR_9600"),
                                              QStringLiteral("com_PK_EVEN")}
                               << QStringLiteral("9600,E,8,1") << QStringLiteral("2");
    QTest::newRow("38400 XON/XOFF")
        << QStringList{QStringLiteral("com_BR_38400"), QStringLiteral("com_HS_SW")}
        << QStringLiteral("38400,N,8,1") << QStringLiteral("1");
    QTest::newRow("the selected ones again")
        << QStringList{QStringLiteral("com_BR_115200"), QStringLiteral("com_PK_NONE"),
                       QStringLiteral("com_HS_HW")}
        << QStringLiteral("115200,N,8,1") << QStringLiteral("2");
    QTest::newRow("19200 and back to NONE")
        << QStringList{QStringLiteral("com_BR_19200"), QStringLiteral("com_PK_EVEN"),
                       QStringLiteral("com_PK_NONE")}
        << QStringLiteral("19200,N,8,1") << QStringLiteral("2");
}

void TestMainWindow::serialOptionsReachTheLink()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, settings);
    QFETCH(QString, handshake);
    PseudoTerminal pty;
    QVERIFY(!pty.slave().isEmpty());
    auto resolver = std::make_unique<FixedDeviceResolver>();
    resolver->serialPorts.insert(3, pty.slave());
    TestWindow t(std::move(resolver));
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    chooseEntry(t.window.Combo1(), 4);
    QCOMPARE(t.window.link().PortName(), QStringLiteral("COM3"));
    for (const QString &name : clicks)
        QTest::mouseClick(t.control<QRadioButton>(name), Qt::LeftButton);

    QVERIFY(t.window.link().OpenPort(t.window.link().PortName(), true));
    QCOMPARE(t.window.link().settingsText(), settings);
    QCOMPARE(t.window.link().comSettings().Handshake, handshake);
    // Every group keeps exactly one selection.
    for (const char *group : {"frameCOM_0", "frameCOM_1", "frameCOM_2"}) {
        int selected = 0;
        const QList<QRadioButton *> buttons =
            t.control<QGroupBox>(QString::fromLatin1(group))->findChildren<QRadioButton *>();
        for (const QRadioButton *button : buttons)
            selected += button->isChecked() ? 1 : 0;
        QCOMPARE(selected, 1);
    }
    t.window.close();
    QVERIFY(t.prompter.shown.isEmpty());
}

void TestMainWindow::statusBoxFollowsTheConnection()
{
    QTcpServer printer;
    QVERIFY(printer.listen(QHostAddress::LocalHost));
    TestWindow t;
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    chooseEntry(t.window.Combo1(), 0);
    auto *address = t.control<QLineEdit>(QStringLiteral("tcpIP"));
    address->setText(QStringLiteral("127.0.0.1"));
    auto *port = t.control<QLineEdit>(QStringLiteral("tcpListenPort"));
    port->setText(QString::number(printer.serverPort()));
    auto *status = t.control<QLineEdit>(QStringLiteral("txtSTATUS"));

    t.window.link().OpenPort(t.window.link().PortName(), true);
    QVERIFY(t.window.link().isStatusTimerActive());
    QTRY_COMPARE(status->text(), QStringLiteral("Connected"));
    QCOMPARE(status->palette().color(QPalette::Text), QColor(0, 0, 192));

    t.window.Form_Unload();
    QCOMPARE(status->text(), QStringLiteral("Disconnect"));
    QCOMPARE(status->palette().color(QPalette::Text), QColor(255, 0, 0));
    QVERIFY(!t.window.link().isStatusTimerActive());
}

void TestMainWindow::leavingClosesThePortOnce_data()
{
    QTest::addColumn<bool>("exitButton");
    QTest::newRow("EXIT") << true;
    QTest::newRow("close box") << false;
}

void TestMainWindow::leavingClosesThePortOnce()
{
    QFETCH(bool, exitButton);
    QTcpServer printer;
    QVERIFY(printer.listen(QHostAddress::LocalHost));
    auto counting = std::make_unique<CountingTcpClient>(std::make_unique<QtTcpClient>());
    CountingTcpClient *tcp = counting.get();
    TestWindow t(std::make_unique<FixedDeviceResolver>(), std::move(counting));
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    chooseEntry(t.window.Combo1(), 0);
    t.control<QLineEdit>(QStringLiteral("tcpIP"))->setText(QStringLiteral("127.0.0.1"));
    t.control<QLineEdit>(QStringLiteral("tcpListenPort"))
        ->setText(QString::number(printer.serverPort()));
    t.window.link().OpenPort(t.window.link().PortName(), true);
    QTRY_VERIFY(printer.hasPendingConnections());
    QTcpSocket *peer = printer.nextPendingConnection();
    QTRY_COMPARE(tcp->state(), int(TcpClient::Connected));
    const int closesBefore = tcp->closes;
    QSignalSpy peerClosed(peer, &QTcpSocket::disconnected);

    if (exitButton)
        QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdEXIT")), Qt::LeftButton);
    else
        t.window.close();

    QCOMPARE(tcp->closes - closesBefore, 1);
    QCOMPARE(tcp->state(), int(TcpClient::Closed));
    QVERIFY(!t.window.link().isStatusTimerActive());
    QVERIFY(!t.window.isVisible());
    QCOMPARE(t.shell.quitCount, exitButton ? 1 : 0);
    QVERIFY(t.prompter.shown.isEmpty());
    QVERIFY(peerClosed.count() > 0 || peerClosed.wait(5000));
}

void TestMainWindow::leavingWithoutPortShowsNothing_data()
{
    QTest::addColumn<int>("entry");
    QTest::newRow("COM1 without a device") << 2;
    QTest::newRow("LPT1 without a device") << 1;
    QTest::newRow("TCP/IP never connected") << 0;
}

void TestMainWindow::leavingWithoutPortShowsNothing()
{
    QFETCH(int, entry);
    TestWindow t;
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    chooseEntry(t.window.Combo1(), entry);
    QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdEXIT")), Qt::LeftButton);
    QVERIFY(t.prompter.shown.isEmpty());
    QCOMPARE(t.shell.quitCount, 1);
    QVERIFY(!t.window.isVisible());
    QVERIFY(!t.window.link().isStatusTimerActive());
}

void TestMainWindow::helpLookupOrder_data()
{
    QTest::addColumn<QList<int>>("holding"); // folders that hold the help file
    QTest::addColumn<int>("decoy");          // folder with a folder of the file's name, -1: none
    QTest::addColumn<int>("found");          // -1: none
    QTest::newRow("working directory first") << QList<int>{0, 1, 2} << -1 << 0;
    QTest::newRow("then beside the executable") << QList<int>{1, 2} << -1 << 1;
    QTest::newRow("then the data folder") << QList<int>{2} << -1 << 2;
    QTest::newRow("first and last") << QList<int>{0, 2} << -1 << 0;
    QTest::newRow("a folder of that name is passed over") << QList<int>{2} << 0 << 2;
    QTest::newRow("nowhere") << QList<int>{} << 1 << -1;
}

void TestMainWindow::helpLookupOrder()
{
    QFETCH(QList<int>, holding);
    QFETCH(int, decoy);
    QFETCH(int, found);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QStringList folders;
    for (int i = 0; i < 3; ++i) {
        folders.append(root.filePath(QString::number(i)));
        QVERIFY(QDir().mkpath(folders.last()));
    }
    for (int i : holding) {
        QFile file(QDir(folders.at(i)).filePath(HelpLocator::helpFileName()));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (decoy >= 0)
        QVERIFY(QDir(folders.at(decoy)).mkdir(HelpLocator::helpFileName()));
    const QString expected =
        found < 0 ? QString() : QDir(folders.at(found)).filePath(HelpLocator::helpFileName());
    QCOMPARE(HelpLocator(folders).find(), expected);
}

void TestMainWindow::helpFoldersOfThisProgram()
{
    const QStringList folders = HelpLocator::forThisProgram().folders();
    QVERIFY(folders.size() >= 3);
    QCOMPARE(folders.at(0), QDir::currentPath());
    QCOMPARE(folders.at(1), QCoreApplication::applicationDirPath());
    QVERIFY2(folders.at(2).endsWith(QStringLiteral("/share/printer-switch-utility")),
             qPrintable(folders.at(2)));
}

void TestMainWindow::helpButtonOpensTheFoundFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("help file in the working directory") << true;
    QTest::newRow("no help file") << false;
}

void TestMainWindow::helpButtonOpensTheFoundFile()
{
    QFETCH(bool, present);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString path = QDir(work.path()).filePath(HelpLocator::helpFileName());
    if (present) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    TestWindow t;
    auto *help = t.control<QPushButton>(QStringLiteral("cmdHELP"));
    QTest::mouseClick(help, Qt::LeftButton);
    QDir::setCurrent(previous);

    QCOMPARE(t.shell.openedHelp, present ? QStringList{path} : QStringList());
    QVERIFY(t.prompter.shown.isEmpty());
    QVERIFY(help->isEnabled());
    QCOMPARE(t.shell.quitCount, 0);
}

namespace {

// What a message box showed, read while it is open.
struct ShownBox
{
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons;
};

// Waits for the modal message box, notes what it shows and answers it with `answer`.
void answerMessageBox(ShownBox &shown, QMessageBox::StandardButton answer)
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (box == nullptr) {
        QTimer::singleShot(0, [&shown, answer] { answerMessageBox(shown, answer); });
        return;
    }
    shown = {box->windowTitle(), box->text(), box->textFormat(), box->icon(),
             box->standardButtons()};
    box->button(answer)->click();
}

} // namespace

void TestMainWindow::messageBoxes_data()
{
    QTest::addColumn<bool>("question");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("shownText");
    QTest::newRow("notice with CR LF")
        << false << QStringLiteral("Read printer information1 error!!\r\n\r\nPlease check.")
        << QStringLiteral("KV_SW_Utility") << int(QMessageBox::Ok)
        << QStringLiteral("Read printer information1 error!!\n\nPlease check.");
    QTest::newRow("notice with CR and angle brackets")
        << false << QStringLiteral("The COM3 can not OPEN !!\r\rwhether <printer driver> occupy it")
        << QStringLiteral("KV_SW_Utility") << int(QMessageBox::Ok)
        << QStringLiteral("The COM3 can not OPEN !!\n\nwhether <printer driver> occupy it");
    QTest::newRow("question answered Yes")
        << true << QStringLiteral("Are you sure to ignore <SW2> settings?")
        << QStringLiteral("Switch Change confirm") << int(QMessageBox::Yes)
        << QStringLiteral("Are you sure to ignore <SW2> settings?");
    QTest::newRow("question answered No")
        << true << QStringLiteral("Are you sure to ignore <Additional Switch> settings?")
        << QStringLiteral("Switch Change confirm") << int(QMessageBox::No)
        << QStringLiteral("Are you sure to ignore <Additional Switch> settings?");
}

void TestMainWindow::messageBoxes()
{
    QFETCH(bool, question);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, answer);
    QFETCH(QString, shownText);
    MessageBoxPrompter prompter;
    ShownBox shown;
    QTimer::singleShot(
        0, [&shown, answer] { answerMessageBox(shown, QMessageBox::StandardButton(answer)); });
    if (question)
        QCOMPARE(prompter.ask(text, title), answer == QMessageBox::Yes);
    else
        prompter.inform(text, title);
    QCOMPARE(shown.title, title);
    QCOMPARE(shown.text, shownText);
    QCOMPARE(shown.format, Qt::PlainText);
    QCOMPARE(shown.icon, QMessageBox::NoIcon);
    QCOMPARE(shown.buttons, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
}

void TestMainWindow::screenReaderFindsEveryControl()
{
    TestWindow t;
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&t.window);
    QVERIFY(root != nullptr);
    const QList<QWidget *> controls = formControls(t.window);
    QVERIFY(controls.size() > 150);
    for (QWidget *control : controls) {
        const QString name = control->objectName();
        // Plain containers without a caption carry nothing to read.
        if (qstrcmp(control->metaObject()->className(), "QWidget") == 0 ||
            qstrcmp(control->metaObject()->className(), "QFrame") == 0 ||
            (qobject_cast<QGroupBox *>(control) &&
             qobject_cast<QGroupBox *>(control)->title().isEmpty()))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(iface != nullptr, qPrintable(name));
        QAccessibleInterface *up = iface;
        while (up != nullptr && up != root)
            up = up->parent();
        QVERIFY2(up == root, qPrintable(name + QStringLiteral(" is not in the window's tree")));
        const QString spoken = iface->text(QAccessible::Name).trimmed() +
                               iface->text(QAccessible::Description).trimmed();
        QVERIFY2(!spoken.isEmpty(), qPrintable(name + QStringLiteral(" has nothing to read")));
        // Boxes tell what they hold, whatever their text is.
        if (qobject_cast<QComboBox *>(control) || qobject_cast<QLineEdit *>(control))
            QVERIFY2(!iface->text(QAccessible::Description).isEmpty(), qPrintable(name));
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(iface->text(QAccessible::Name), button->text());
        if (auto *label = qobject_cast<QLabel *>(control)) {
            if (label->pixmap().isNull())
                QCOMPARE(iface->text(QAccessible::Name), label->text());
            // Replies and meaning texts are shown as they are, never as markup.
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
    }
}

void TestMainWindow::accessibleDescriptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("caption"); // the label that names the box, if any
    QTest::newRow("model") << QStringLiteral("lblKV_INFO_0") << QStringLiteral("Model Name")
                           << QString();
    QTest::newRow("cut count") << QStringLiteral("lblKV_INFO_3")
                               << QStringLiteral("Cut Paper Count") << QString();
    QTest::newRow("code page") << QStringLiteral("lblLANG_INFO_2") << QStringLiteral("Code Page")
                               << QString();
    QTest::newRow("SW2 switch 3") << QStringLiteral("lblSW2Function_2")
                                  << QStringLiteral("SW2 switch 3 meaning") << QString();
    QTest::newRow("SW1 baud rate") << QStringLiteral("lblSW1Function_0")
                                   << QStringLiteral("SW1 switch 1 meaning") << QString();
    QTest::newRow("SW3 switch 1") << QStringLiteral("lblSW3Function_0")
                                  << QStringLiteral("SW3 switch 1 meaning") << QString();
    QTest::newRow("SW3 switch 8") << QStringLiteral("lblSW3Function_6")
                                  << QStringLiteral("SW3 switch 8 meaning") << QString();
    QTest::newRow("port") << QStringLiteral("Combo1") << QStringLiteral("Printer port selection")
                          << QStringLiteral("lblPORT");
    QTest::newRow("address") << QStringLiteral("tcpIP") << QStringLiteral("IP Address")
                             << QStringLiteral("tcpLBL1");
    QTest::newRow("listen port") << QStringLiteral("tcpListenPort") << QStringLiteral("Listen Port")
                                 << QStringLiteral("tcpLBL2");
    QTest::newRow("code page list")
        << QStringLiteral("comboCodePage") << QStringLiteral("Select Code Page")
        << QStringLiteral("Text4");
    QTest::newRow("character set")
        << QStringLiteral("comboInterChars") << QStringLiteral("International Character Set")
        << QStringLiteral("Text7");
}

void TestMainWindow::accessibleDescriptions()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, caption);
    TestWindow t;
    QWidget *control = t.control<QWidget>(name);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
    QVERIFY(iface != nullptr);
    QCOMPARE(iface->text(QAccessible::Description), description);
    // Value labels are read by what they show now.
    if (auto *label = qobject_cast<QLabel *>(control)) {
        label->setText(QStringLiteral("KV-4100"));
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("KV-4100"));
    }
    // A box with a caption is labelled by it.
    if (!caption.isEmpty()) {
        const auto relations = iface->relations(QAccessible::Label);
        const bool labelled =
            std::any_of(relations.cbegin(), relations.cend(), [&](const auto &relation) {
                return relation.first->object() == t.control<QLabel>(caption);
            });
        QVERIFY(labelled);
    }
}

void TestMainWindow::rendersEveryBand_data()
{
    QTest::addColumn<int>("page");  // -1: the window as it starts
    QTest::addColumn<int>("frame"); // switch frame laid over the page, -1: none
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("file");
    QTest::newRow("start") << -1 << -1 << QString() << 0 << 2 << QStringLiteral("start.png");
    QTest::newRow("printer information, TCP/IP")
        << 0 << -1 << QStringLiteral("KV-4100") << 0 << 0 << QStringLiteral("page0-tcp.png");
    QTest::newRow("SW1 all ON") << 1 << 0 << QStringLiteral("ZEPHYR-550") << 0 << 2
                                << QStringLiteral("sw1-0.png");
    QTest::newRow("SW1 all OFF") << 1 << 0 << QStringLiteral("ZEPHYR-550") << 255 << 2
                                 << QStringLiteral("sw1-255.png");
    QTest::newRow("SW2 KV-4100") << 1 << 1 << QStringLiteral("KV-4100") << 0 << 2
                                 << QStringLiteral("sw2-kv4100.png");
    QTest::newRow("SW2 ZEPHYR-550 switch 1 ON")
        << 2 << 1 << QStringLiteral("ZEPHYR-550") << 0 << 2 << QStringLiteral("sw2-zephyr.png");
    QTest::newRow("SW2 ZEPHYR-550 all OFF") << 2 << 1 << QStringLiteral("ZEPHYR-550") << 255 << 2
                                            << QStringLiteral("sw2-zephyr-255.png");
    QTest::newRow("SW3") << 2 << 2 << QStringLiteral("KV-4100") << 0 << 2
                         << QStringLiteral("sw3.png");
    QTest::newRow("language") << 3 << -1 << QStringLiteral("KV-4100") << 0 << 1
                              << QStringLiteral("page3.png");
    QTest::newRow("log") << 4 << -1 << QStringLiteral("KV-4100") << 0 << 2
                         << QStringLiteral("page4.png");
}

void TestMainWindow::rendersEveryBand()
{
    QFETCH(int, page);
    QFETCH(int, frame);
    QFETCH(QString, model);
    QFETCH(int, value);
    QFETCH(int, port);
    QFETCH(QString, file);
    TestWindow t;
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    chooseEntry(t.window.Combo1(), port);
    if (page >= 0) {
        const QStringList info{model, QStringLiteral("1.02.3"), QStringLiteral("12345"),
                               QStringLiteral("678")};
        const QStringList language{QStringLiteral("PC437 Standard"), QStringLiteral("ANK"),
                                   QStringLiteral("25"), QStringLiteral("15")};
        for (int i = 0; i < 4; ++i) {
            t.window.setPrinterInfo(i, info.at(i));
            t.window.setLanguageInfo(i, language.at(i));
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
        if (page == 0 || page == 3)
            t.window.frameLanguageInfo()->show();
    }
    QVERIFY(t.window.grab().save(screenshotPath(file)));
    QCOMPARE(clippedTexts(t.window), QStringList());
    QCOMPARE(overlaps(t.window, t.window.SSTab1()), QStringList());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

#include "HelpLocator.h"
#include "QtTcpClient.h"
#include "Screenshot.h"
#include "TestWindow.h"
#include "WrappingPushButton.h"

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
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// Counts the program's closes of its TCP connection.
struct CountingTcpClient : QtTcpClient
{
    void close() override
    {
        ++closes;
        QtTcpClient::close();
    }
    int closes = 0;
};

// Saves a picture of the window named by the test row; lists the visible labels and buttons whose
// text needs more room than they have (push buttons by their caption, not the style's minimum).
QStringList savedAndClipped(QWidget &window)
{
    QStringList clipped;
    if (!window.grab().save(
            screenshotPath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"))))
        clipped.append(QStringLiteral("(picture not saved)"));
    const QList<QWidget *> all = window.findChildren<QWidget *>();
    for (const QWidget *a : all) {
        QSize needed;
        if (auto *wrapping = qobject_cast<const WrappingPushButton *>(a))
            needed = a->fontMetrics()
                         .boundingRect(a->rect().adjusted(4, 4, -4, -4),
                                       Qt::AlignCenter | Qt::TextWordWrap, wrapping->text())
                         .size();
        else if (auto *push = qobject_cast<const QPushButton *>(a))
            needed = a->fontMetrics().size(Qt::TextSingleLine, push->text()) + QSize(8, 4);
        else if (qobject_cast<const QLabel *>(a) || qobject_cast<const QRadioButton *>(a))
            needed = a->sizeHint();
        if (a->isVisibleTo(&window) && needed.boundedTo(a->size()) != needed)
            clipped.append(a->objectName());
    }
    return clipped;
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

using namespace Qt::StringLiterals;

// A port picked from the list, maybe opened, then the window left.
struct PortRow
{
    int entry = 0; // in the list, "TCP/IP" first
    QString portName{};
    bool exitButton = false; // leave by EXIT, else by the close box
    // What a real open shows: the serial settings with the handshake, or the status of TCP/IP;
    // empty: the port is not opened.
    QString opened{};
};
Q_DECLARE_METATYPE(PortRow)

// Where copies of the help file lie, and which one is found.
struct HelpRow
{
    enum Place { Nowhere, WorkDir, DataHome };
    enum Entry { Nothing, File, Folder }; // what the working directory holds by the file's name
    Entry inWorkDir = Nothing;
    bool inDataHome = false;
    Place found = Nowhere;
};
Q_DECLARE_METATYPE(HelpRow)

// A switch byte shown, then the buttons of one pair clicked.
struct PanelRow
{
    SwitchByte sw = SwitchByte::SW1;
    int value = 0;
    QString offPattern{}; // switches 1 to 8, '1' for OFF
    int click = 0;        // the pair whose buttons are clicked afterwards
};
Q_DECLARE_METATYPE(PanelRow)

// A log of some length, maybe with a selection, and one line appended.
struct LogRow
{
    int before = 0;   // characters in the log before the append
    int keptFrom = 0; // first character of the old log that stays
    int anchor = 0;   // selected from here back to 3; 0: cursor at the start
};
Q_DECLARE_METATYPE(LogRow)

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Leaving the window must not end the test run.
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void startState_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("names");
        const char *const rows[][3] = {
            {"visible", "false",
             "SSTab1 frameSW1m frameSW2m frameSW3m frameLanguageInfo frameTCPIP"},
            {"visible", "true", "frameCOMm"},
            {"enabled", "false", "cmd0 cmd1 cmd2 comboCodePageName optSW3ON_1 optSW3OFF_7"},
            {"checked", "true", "com_BR_115200 com_HS_HW com_PK_NONE optSW1OFF_0 optSW3OFF_7"},
            {"currentText", "COM1", "Combo1"},
            {"currentText", "0 - U.S.A.", "comboInterChars"},
            {"currentText", "", "comboCodePage comboCodePageName"},
            {"text", "", "txtSTATUS"},
        };
        for (const auto &row : rows)
            QTest::addRow("%s %s", row[0], row[1])
                << QByteArray(row[0]) << QString::fromLatin1(row[1]) << QString::fromLatin1(row[2]);
    }

    void startState()
    {
        QFETCH(QByteArray, property);
        QFETCH(QString, value);
        QFETCH(QString, names);
        TestWindow t;
        t.window.show();
        for (const QString &name : names.split(QLatin1Char(' ')))
            QCOMPARE(t.control<QWidget>(name)->property(property.constData()).toString(), value);
    }

    void portChoiceAndLeaving_data()
    {
        QTest::addColumn<PortRow>("row");
        QTest::newRow("COM1 chosen, left by the close box")
            << PortRow{.entry = 2, .portName = u"COM1"_s};
        QTest::newRow("LPT1 chosen, left by EXIT")
            << PortRow{.entry = 1, .portName = u"LPT1"_s, .exitButton = true};
        QTest::newRow("COM16 chosen") << PortRow{.entry = 17, .portName = u"COM16"_s};
        QTest::newRow("TCP-IP opened, left by EXIT: one close") << PortRow{
            .entry = 0, .portName = u"TCP/IP"_s, .exitButton = true, .opened = u"Connected"_s};
        QTest::newRow("TCP-IP opened, left by the close box: one close")
            << PortRow{.entry = 0, .portName = u"TCP/IP"_s, .opened = u"Connected"_s};
        QTest::newRow("COM3 opened with 9600, EVEN, XON-XOFF picked")
            << PortRow{.entry = 4, .portName = u"COM3"_s, .opened = u"9600,E,8,1 XON/XOFF"_s};
    }

    void portChoiceAndLeaving()
    {
        QFETCH(PortRow, row);
        const int entry = row.entry;
        const QString &portName = row.portName;
        const bool exitButton = row.exitButton;
        const QString &opened = row.opened;
        // A pseudo-terminal stands in for COM3, a local server for the printer on TCP/IP.
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        const auto closeMaster = qScopeGuard([master] { ::close(master); });
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        QTcpServer printer;
        QVERIFY(printer.listen(QHostAddress::LocalHost));
        auto resolver = std::make_unique<FixedDeviceResolver>();
        resolver->serialPorts.insert(3, QString::fromLocal8Bit(ptsname(master)));
        auto counting = std::make_unique<CountingTcpClient>();
        const CountingTcpClient *tcp = counting.get();
        TestWindow t(std::move(resolver), std::move(counting));
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        // Through another kind of port first, so that every row also leaves one.
        auto *combo = t.control<QComboBox>(QStringLiteral("Combo1"));
        chooseEntry(combo, entry == 1 ? 0 : 1);
        chooseEntry(combo, entry);
        PrinterLink &link = t.window.link();
        auto *serialFrame = t.control<QWidget>(QStringLiteral("frameCOMm"));
        QCOMPARE(link.PortName(), portName);
        QCOMPARE(serialFrame->isVisible(), portName.startsWith(u"COM"));
        QCOMPARE(t.control<QWidget>(QStringLiteral("frameTCPIP"))->isVisible(),
                 portName == QStringLiteral("TCP/IP"));
        QVERIFY(!link.isStatusTimerActive()); // choosing a port opens nothing

        // The serial options a user picks reach a real open.
        for (const char *name : {"com_BR_9600", "com_HS_SW", "com_PK_EVEN"})
            if (serialFrame->isVisible())
                QTest::mouseClick(t.control<QRadioButton>(QLatin1String(name)), Qt::LeftButton);
        t.control<QLineEdit>(QStringLiteral("tcpIP"))->setText(QStringLiteral("127.0.0.1"));
        t.control<QLineEdit>(QStringLiteral("tcpListenPort"))
            ->setText(QString::number(printer.serverPort()));
        auto *status = t.control<QLineEdit>(QStringLiteral("txtSTATUS"));
        QVERIFY(opened.isEmpty() || link.OpenPort(true));
        QTRY_COMPARE(printer.hasPendingConnections(), opened == QStringLiteral("Connected"));
        QTcpSocket *peer = printer.nextPendingConnection();
        if (peer != nullptr)
            QTRY_COMPARE(status->text(), opened);
        else if (!opened.isEmpty())
            QCOMPARE(settingsText(link.serialSettings()) +
                         (link.serialSettings().handshake == Handshake::XonXoff
                              ? QStringLiteral(" XON/XOFF")
                              : QStringLiteral(" DTR/DSR")),
                     opened);
        QCOMPARE(savedAndClipped(t.window), QStringList());
        const int closesBefore = tcp->closes;

        if (exitButton)
            QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdEXIT")), Qt::LeftButton);
        else
            t.window.close();

        QCOMPARE(tcp->closes - closesBefore, peer != nullptr ? 1 : 0);
        if (peer != nullptr)
            QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(status->text(), peer != nullptr ? QStringLiteral("Disconnect") : QString());
        QVERIFY(!link.isStatusTimerActive());
        QCOMPARE(t.shell.quitCount, exitButton ? 1 : 0);
        QVERIFY(t.prompter.shown.isEmpty());
    }

    void helpLookupOrder_data()
    {
        QTest::addColumn<HelpRow>("row");
        QTest::newRow("working directory first")
            << HelpRow{.inWorkDir = HelpRow::File, .inDataHome = true, .found = HelpRow::WorkDir};
        QTest::newRow("a folder of that name is passed over") << HelpRow{
            .inWorkDir = HelpRow::Folder, .inDataHome = true, .found = HelpRow::DataHome};
        QTest::newRow("nowhere") << HelpRow{
            .inWorkDir = HelpRow::Folder, .inDataHome = false, .found = HelpRow::Nowhere};
    }

    void helpLookupOrder()
    {
        QFETCH(HelpRow, row);
        const int inWorkDir = row.inWorkDir;
        const bool inDataHome = row.inDataHome;
        const int found = row.found;
        QTemporaryDir work;
        const auto restore = qScopeGuard([was = QDir::currentPath()] { QDir::setCurrent(was); });
        QVERIFY(work.isValid() && QDir::setCurrent(work.path()));
        // Installed copies of the help file on this machine must not answer.
        qputenv("XDG_DATA_HOME", work.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_DATA_DIRS", work.filePath(QStringLiteral("none")).toLocal8Bit());
        const QString name = HelpLocator::helpFileName();
        const QStringList paths{
            QString(), QDir::current().filePath(name),
            work.filePath(QStringLiteral("data/printer-switch-utility/") + name)};
        QVERIFY(inWorkDir != 1 || QFile(paths[1]).open(QIODevice::WriteOnly));
        QVERIFY(inWorkDir != 2 || QDir().mkpath(paths[1]));
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("data/printer-switch-utility")));
        QVERIFY(!inDataHome || QFile(paths[2]).open(QIODevice::WriteOnly));

        TestWindow t;
        QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdHELP")), Qt::LeftButton);
        QCOMPARE(t.shell.openedHelp, found > 0 ? QStringList{paths[found]} : QStringList());
    }

    void accessibleTexts()
    {
        TestWindow t;
        // Printer data on labels is read as it is, never as markup.
        auto *label = t.control<QLabel>(QStringLiteral("lblKV_INFO_3"));
        label->setText(QStringLiteral("<b>KV-4100</b>"));
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 label->text());
        // Lists and fields, whose names are what they hold, say what they are for.
        const QList<QWidget *> all = t.window.findChildren<QWidget *>();
        for (QWidget *w : all) {
            const QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            if (a->role() == QAccessible::ComboBox || a->role() == QAccessible::EditableText)
                QVERIFY2(!a->text(QAccessible::Description).isEmpty(), qPrintable(w->objectName()));
        }
    }

    void switchPanel_data()
    {
        QTest::addColumn<PanelRow>("row");
        const SwitchByte sw1 = SwitchByte::SW1, sw2 = SwitchByte::SW2, sw3 = SwitchByte::SW3;
        QTest::newRow("SW1 0: all ON, switch 1 clicked")
            << PanelRow{.sw = sw1, .value = 0x00, .offPattern = u"00000000"_s, .click = 0};
        QTest::newRow("SW1 37, switch 8 clicked")
            << PanelRow{.sw = sw1, .value = 0x25, .offPattern = u"10100100"_s, .click = 7};
        QTest::newRow("SW2 1, switch 4 clicked")
            << PanelRow{.sw = sw2, .value = 0x01, .offPattern = u"10000000"_s, .click = 3};
        QTest::newRow("SW2 128, switch 8 clicked")
            << PanelRow{.sw = sw2, .value = 0x80, .offPattern = u"00000001"_s, .click = 7};
        QTest::newRow("SW3 37, fixed switch 5 cannot be clicked")
            << PanelRow{.sw = sw3, .value = 0x25, .offPattern = u"10100100"_s, .click = 4};
        QTest::newRow("SW3 255, switch 1 clicked")
            << PanelRow{.sw = sw3, .value = 0xFF, .offPattern = u"11111111"_s, .click = 0};
    }

    void switchPanel()
    {
        QFETCH(PanelRow, row);
        const SwitchByte sw = row.sw;
        const int value = row.value;
        const QString &offPattern = row.offPattern;
        const int click = row.click;
        TestWindow t;
        t.control<QWidget>(QStringLiteral("frameSW%1m").arg(int(sw) + 1))->show();
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        // From the opposite value, so that every pair has to move; every byte shows the value.
        PrinterView &view = t.window;
        for (const auto show :
             {&PrinterView::ShowSW1Value, &PrinterView::ShowSW2Value, &PrinterView::ShowSW3Value}) {
            (view.*show)(255 - value);
            (view.*show)(value);
        }
        // The value goes out as the codes of its decimal digits, the places after them zero.
        const auto digits = std::array{&PrinterView::GetSW1Digits, &PrinterView::GetSW2Digits,
                                       &PrinterView::GetSW3Digits}[std::size_t(sw)];
        const std::array<quint8, 3> codes = (view.*digits)();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(codes.data()), 3),
                 QByteArray::number(value).leftJustified(3, '\0'));
        // A value shown by the program is no change of the user's.
        QVERIFY(!t.window.dataChanged());

        // The other button of the pair, then the selected one again, which leaves it selected.
        const bool clickable = sw != SwitchByte::SW3 || click == 0;
        const bool clickOn = offPattern.at(click) == u'1';
        QString expected = offPattern;
        if (clickable)
            expected[click] = clickOn ? u'0' : u'1';
        QTest::mouseClick(option(t, sw, clickOn, click), Qt::LeftButton);
        QTest::mouseClick(option(t, sw, clickOn, click), Qt::LeftButton);
        for (const SwitchByte each : kBytes)
            QCOMPARE(pattern(t, each), each == sw ? expected : offPattern);
        QCOMPARE(t.window.dataChanged(), clickable);
        QCOMPARE(savedAndClipped(t.window), QStringList());
        // The selected button of a pair with a meaning stands out; of SW3 only switch 1 has one
        // and only it can be changed.
        for (int i = 0; i < 8; ++i) {
            for (const bool on : {false, true})
                QCOMPARE(option(t, sw, on, i)->font().bold(),
                         option(t, sw, on, i)->isChecked() && (sw != SwitchByte::SW3 || i == 0));
        }
    }

    void reportedLanguage_data()
    {
        QTest::addColumn<int>("info"); // 2: the reported code page, 3: the reported character set
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("shown"); // code page|character set
        QTest::addColumn<bool>("changed");  // bDataChanged afterwards, from true
        const char *const rows[][4] = {
            {"2", "25", "25 - 1254 Windows Turkish|0 - U.S.A.", "same"},
            {"2", "250", "250-LITHUANIA|0 - U.S.A.", "same"},
            {"2", "1", "1  - Katakana Japanese|8 - Japan", "same"},
            // Blanks around the number still find the entry, which then differs from the report.
            {"2", " 25", "25 - 1254 Windows Turkish|0 - U.S.A.", "changed"},
            {"2", "6", "1  - Katakana Japanese|8 - Japan", "changed"},
            {"2", "", "1  - Katakana Japanese|8 - Japan", "changed"},
            {"3", "15", "1  - Katakana Japanese|15- Ex-Yugoslavia", "same"},
            {"3", "14", "1  - Katakana Japanese|8 - Japan", "changed"},
        };
        for (const auto &row : rows)
            QTest::addRow("%s '%s'", *row[0] == '2' ? "code page" : "character set", row[1])
                << QByteArray(row[0]).toInt() << QString::fromLatin1(row[1])
                << QString::fromLatin1(row[2]) << (QByteArray(row[3]) == "changed");
    }

    void reportedLanguage()
    {
        QFETCH(int, info);
        QFETCH(QString, reported);
        QFETCH(QString, shown);
        QFETCH(bool, changed);
        TestWindow t;
        // Code page 1 was reported before; it brings the Japanese character set.
        t.window.setLanguageInfo(2, QStringLiteral("1"));
        t.window.ShowCodePage();
        t.window.setDataChanged(true);
        t.window.setLanguageInfo(info, reported);
        info == 2 ? t.window.ShowCodePage() : t.window.ShowInterChars();
        QCOMPARE(t.window.codePageText() + u'|' + t.window.interCharsText(), shown);
        QCOMPARE(t.control<QComboBox>(QStringLiteral("comboCodePageName"))->currentIndex(),
                 t.control<QComboBox>(QStringLiteral("comboCodePage"))->currentIndex());
        QCOMPARE(t.window.dataChanged(), changed);
    }

    void logAppend_data()
    {
        QTest::addColumn<LogRow>("row");
        QTest::newRow("8191 characters stay whole") << LogRow{.before = 8191};
        QTest::newRow("8192 characters lose their first 4096")
            << LogRow{.before = 8192, .keptFrom = 4096};
        QTest::newRow("12000 characters lose 4096 only")
            << LogRow{.before = 12000, .keptFrom = 4096};
        QTest::newRow("part selected: the line still goes to the end")
            << LogRow{.before = 100, .anchor = 12};
    }

    void logAppend()
    {
        QFETCH(LogRow, row);
        const int before = row.before;
        const int keptFrom = row.keptFrom;
        const int anchor = row.anchor;
        TestWindow t;
        auto *box = t.control<QPlainTextEdit>(QStringLiteral("txtLOG"));
        // Each character tells where it stood.
        const QString old = QStringLiteral("0123456789").repeated(before / 10 + 1).left(before);
        t.window.AppendLog(old);
        QTextCursor selection = box->textCursor();
        selection.setPosition(anchor);
        selection.setPosition(anchor > 0 ? 3 : 0, QTextCursor::KeepAnchor);
        box->setTextCursor(selection);

        t.window.AppendLog(QStringLiteral("getSW2-->37\r\n"));
        QCOMPARE(t.window.logText(), old.mid(keptFrom) + QStringLiteral("getSW2-->37\r\n"));
        QCOMPARE(box->toPlainText(), old.mid(keptFrom) + QStringLiteral("getSW2-->37\n"));
        QVERIFY(!box->textCursor().hasSelection());
        QVERIFY(box->textCursor().atEnd());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

#include "LogHistory.h"
#include "QtTcpClient.h"
#include "SwitchPanel.h"
#include "TestWindow.h"
#include "WrappingPushButton.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace {

// Counts the program's closes of its TCP connection.
struct CountingTcpClient : QtTcpClient
{
    void connectToHost(const QString &host, quint16 port) override
    {
        ++connects;
        QtTcpClient::connectToHost(host, port);
    }
    void close() override
    {
        ++closes;
        QtTcpClient::close();
    }
    int connects = 0;
    int closes = 0;
};

// Saves a picture of the window named by the test row; lists the visible labels and buttons whose
// text needs more room than they have (push buttons by their caption, not the style's minimum).
QStringList savedAndClipped(QWidget &window)
{
    QStringList clipped;
    if (!window.grab().save(
            screenshotPath(QString::fromLatin1(QTest::currentDataTag()) + u".png"_s)))
        clipped.append(u"(picture not saved)"_s);
    const QList<QWidget *> all = window.findChildren<QWidget *>();
    for (const QWidget *a : all) {
        QSize needed;
        if (auto *wrapping = qobject_cast<const WrappingPushButton *>(a))
            needed = QFontMetrics(wrapping->captionFont())
                         .boundingRect(wrapping->captionRect(), Qt::AlignCenter | Qt::TextWordWrap,
                                       wrapping->text())
                         .size() +
                     wrapping->size() - wrapping->captionRect().size();
        else if (auto *push = qobject_cast<const QPushButton *>(a))
            needed = a->fontMetrics().size(Qt::TextSingleLine, push->text()) + QSize(8, 4);
        else if (qobject_cast<const QLabel *>(a) || qobject_cast<const QRadioButton *>(a))
            needed = a->sizeHint();
        if (a->isVisibleTo(&window) && needed.boundedTo(a->size()) != needed)
            clipped.append(a->objectName());
    }
    return clipped;
}

QRadioButton *option(const TestWindow &t, SwitchByte sw, bool on, int index)
{
    return t.control<QRadioButton>(
        QString::asprintf("optSW%d%s_%d", int(sw) + 1, on ? "ON" : "OFF", index));
}

} // namespace

// A port picked from the list, maybe opened (TCP/IP to a local server), then the window left.
// (The serial options a user picks reach a real open: see the port-list tests.)
struct PortRow
{
    int entry = 0; // in the list, "TCP/IP" first
    QString portName{};
    bool exitButton = false; // leave by EXIT, else by the close box
    bool opened = false;
};
Q_DECLARE_METATYPE(PortRow)

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
        QTest::newRow("LPT1 chosen, left by EXIT")
            << PortRow{.entry = 1, .portName = u"LPT1"_s, .exitButton = true};
        QTest::newRow("COM16 chosen, left by the close box")
            << PortRow{.entry = 17, .portName = u"COM16"_s};
        QTest::newRow("TCP-IP opened, left by EXIT: one close")
            << PortRow{.entry = 0, .portName = u"TCP/IP"_s, .exitButton = true, .opened = true};
    }

    void portChoiceAndLeaving()
    {
        QFETCH(PortRow, row);
        QTcpServer printer;
        QVERIFY(printer.listen(QHostAddress::LocalHost));
        auto counting = std::make_unique<CountingTcpClient>();
        const CountingTcpClient *tcp = counting.get();
        TestWindow t(std::make_unique<FixedDeviceResolver>(), std::move(counting));
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        // Through another kind of port first, so that every row also leaves one.
        auto *combo = t.control<QComboBox>(u"Combo1"_s);
        chooseEntry(combo, row.entry == 1 ? 0 : 1);
        chooseEntry(combo, row.entry);
        QCOMPARE(combo->currentText(), row.portName);
        QCOMPARE(t.control<QWidget>(u"frameCOMm"_s)->isVisible(), row.portName.startsWith(u"COM"));
        QCOMPARE(t.control<QWidget>(u"frameTCPIP"_s)->isVisible(), row.portName == u"TCP/IP"_s);
        QCOMPARE(tcp->connects, 0); // choosing a port opens nothing

        t.control<QLineEdit>(u"tcpIP"_s)->setText(u"127.0.0.1"_s);
        t.control<QLineEdit>(u"tcpListenPort"_s)->setText(QString::number(printer.serverPort()));
        auto *status = t.control<QLineEdit>(u"txtSTATUS"_s);
        // The communication test opens the port; this printer does not answer, and the port
        // stays open.
        if (row.opened)
            t.control<QPushButton>(u"cmdCommunicate"_s)->click();
        QTRY_COMPARE(printer.hasPendingConnections(), row.opened);
        QTcpSocket *peer = printer.nextPendingConnection();
        if (peer != nullptr)
            QTRY_COMPARE(status->text(), u"Connected"_s);
        QCOMPARE(savedAndClipped(t.window), QStringList());
        const int closesBefore = tcp->closes;

        if (row.exitButton)
            QTest::mouseClick(t.control<QPushButton>(u"cmdEXIT"_s), Qt::LeftButton);
        else
            t.window.close();

        QCOMPARE(tcp->closes - closesBefore, peer != nullptr ? 1 : 0);
        if (peer != nullptr)
            QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(status->text(), peer != nullptr ? u"Disconnect"_s : QString());
        QCOMPARE(t.shell.quitCount, row.exitButton ? 1 : 0);
        QCOMPARE(t.prompter.texts(), row.opened ? QStringList{kWrongMaker} : QStringList());
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
        QTest::newRow("SW3 37, fixed switch 5 cannot be clicked")
            << PanelRow{.sw = sw3, .value = 0x25, .offPattern = u"10100100"_s, .click = 4};
        QTest::newRow("SW3 255, switch 1 clicked")
            << PanelRow{.sw = sw3, .value = 0xFF, .offPattern = u"11111111"_s, .click = 0};
    }

    void switchPanel()
    {
        QFETCH(PanelRow, row);
        const SwitchByte sw = row.sw;
        TestWindow t;
        t.control<QWidget>(u"frameSW%1m"_s.arg(int(sw) + 1))->show();
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        // From the opposite value, so that every pair has to move; every byte shows the value.
        PrinterDisplay &view = displayOf(t.window);
        for (const auto show : {&PrinterDisplay::ShowSW1Value, &PrinterDisplay::ShowSW2Value,
                                &PrinterDisplay::ShowSW3Value}) {
            (view.*show)(255 - row.value);
            (view.*show)(row.value);
        }
        // (What the switch pages give back to be written, the end-to-end tests see on the printer.)
        // A value shown by the program is no change of the user's.
        QVERIFY(!view.dataChanged());

        // The other button of the pair, then the selected one again, which leaves it selected.
        const bool clickable = sw != SwitchByte::SW3 || row.click == 0;
        const bool clickOn = row.offPattern.at(row.click) == u'1';
        QString expected = row.offPattern;
        if (clickable)
            expected[row.click] = clickOn ? u'0' : u'1';
        QTest::mouseClick(option(t, sw, clickOn, row.click), Qt::LeftButton);
        QTest::mouseClick(option(t, sw, clickOn, row.click), Qt::LeftButton);
        // The pairs of each byte, switch 1 first: '1' for OFF, '0' for ON, '-' for neither.
        for (const SwitchByte each : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
            QString shown;
            for (int i = 0; i < 8; ++i)
                shown.append(option(t, each, false, i)->isChecked()  ? u'1'
                             : option(t, each, true, i)->isChecked() ? u'0'
                                                                     : u'-');
            QCOMPARE(shown, each == sw ? expected : row.offPattern);
        }
        QCOMPARE(view.dataChanged(), clickable);
        // The value the user chose is the one the next write of the byte sends.
        if (clickable)
            QCOMPARE(view.settings().switchesToWrite[std::size_t(sw)],
                     view.switchPanel(sw).value());
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
        // (Which replies stand for which number, LanguageTables::reportedNumber's rows decide.)
        const char *const rows[][4] = {
            {"2", "25", "25 - 1254 Windows Turkish|0 - U.S.A.", "same"},
            {"2", "1", "1  - Katakana Japanese|8 - Japan", "same"},
            // Blanks around the number still find the entry, which then differs from the report.
            {"2", " 25", "25 - 1254 Windows Turkish|0 - U.S.A.", "changed"},
            // A number without an entry changes nothing, the character set included.
            {"2", "6", "1  - Katakana Japanese|15- Ex-Yugoslavia", "changed"},
            {"3", "15", "1  - Katakana Japanese|15- Ex-Yugoslavia", "same"},
            {"3", "14", "1  - Katakana Japanese|15- Ex-Yugoslavia", "changed"},
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
        PrinterDisplay &view = displayOf(t.window);
        auto *codePage = t.control<QComboBox>(u"comboCodePage"_s);
        auto *charset = t.control<QComboBox>(u"comboInterChars"_s);
        // Code page 1 and character set 15 were reported before.
        view.settings().languageInfo[2] = u"1"_s;
        view.settings().languageInfo[3] = u"15"_s;
        view.ShowCodePage();
        view.ShowInterChars();
        view.setDataChanged(true);
        view.settings().languageInfo[std::size_t(info)] = reported;
        info == 2 ? view.ShowCodePage() : view.ShowInterChars();
        QCOMPARE(codePage->currentText() + u'|' + charset->currentText(), shown);
        QCOMPARE(t.control<QComboBox>(u"comboCodePageName"_s)->currentIndex(),
                 codePage->currentIndex());
        QCOMPARE(view.dataChanged(), changed);
        // What the lists show is what the next language write sends.
        QCOMPARE(view.settings().codePageToWrite, codePage->currentData().toInt());
        QCOMPARE(view.settings().charsetToWrite, charset->currentData().toInt());
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
        QPlainTextEdit box;
        LogHistory log(box);
        // Each character tells where it stood.
        const QString old = u"0123456789"_s.repeated(row.before / 10 + 1).left(row.before);
        log.AppendLog(old);
        QTextCursor selection = box.textCursor();
        selection.setPosition(row.anchor);
        selection.setPosition(row.anchor > 0 ? 3 : 0, QTextCursor::KeepAnchor);
        box.setTextCursor(selection);

        log.AppendLog(u"getSW2-->37\r\n"_s);
        QCOMPARE(log.text(), old.mid(row.keptFrom) + u"getSW2-->37\r\n"_s);
        QCOMPARE(box.toPlainText(), old.mid(row.keptFrom) + u"getSW2-->37\n"_s);
        QVERIFY(!box.textCursor().hasSelection());
        QVERIFY(box.textCursor().atEnd());
    }

    // A caption with a word wider than its button is drawn smaller, down to where it fits; one
    // that fits keeps the button's font.
    void captionFits_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("smaller");
        QTest::newRow("the window's 119 pixels: the button's own font") << 119 << false;
        QTest::newRow("80 pixels: \"Communication\" drawn smaller") << 80 << true;
    }

    void captionFits()
    {
        QFETCH(int, width);
        QFETCH(bool, smaller);
        WrappingPushButton button(u"Communication Test"_s);
        QFont font = button.font();
        font.setPointSize(10);
        button.setFont(font);
        button.resize(width, 49);
        const QFont caption = button.captionFont();
        QCOMPARE(caption.pointSizeF() < 10, smaller);
        const QRect needed = QFontMetrics(caption).boundingRect(
            button.captionRect(), Qt::AlignCenter | Qt::TextWordWrap, button.text());
        QVERIFY(needed.width() <= button.captionRect().width());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

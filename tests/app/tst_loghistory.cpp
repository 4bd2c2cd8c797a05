#include "TestWindow.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>

namespace {

// A text of `length` characters that shows where each character stood: "0123456789012...".
QString numbered(qsizetype length)
{
    QString text;
    text.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        text.append(QLatin1Char(char('0' + i % 10)));
    return text;
}

// The text box shows a line end wherever the log holds CR LF.
QString shown(const QString &log)
{
    QString text = log;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

bool showLogPage(TestWindow &t)
{
    t.window.show();
    t.window.SSTab1()->show();
    t.window.SSTab1()->setCurrentIndex(4);
    return QTest::qWaitForWindowExposed(&t.window);
}

} // namespace

class TestLogHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void trimsBeforeAnAppend_data();
    void trimsBeforeAnAppend();
    void appendsAtTheEndWhateverIsSelected_data();
    void appendsAtTheEndWhateverIsSelected();
    void keepsTheEndInView();
    void clearStartsAFreshLog_data();
    void clearStartsAFreshLog();
};

void TestLogHistory::trimsBeforeAnAppend_data()
{
    QTest::addColumn<int>("before");   // characters in the log before the append
    QTest::addColumn<int>("keptFrom"); // first character of the old log that stays
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("short") << 100 << 0;
    QTest::newRow("8191 stays whole") << 8191 << 0;
    QTest::newRow("8192 loses its first 4096") << 8192 << 4096;
    QTest::newRow("8193") << 8193 << 4096;
    QTest::newRow("12000 loses 4096 only") << 12000 << 4096;
}

void TestLogHistory::trimsBeforeAnAppend()
{
    QFETCH(int, before);
    QFETCH(int, keptFrom);
    TestWindow t;
    const QString old = numbered(before);
    if (before > 0)
        t.window.AppendLog(old);
    QCOMPARE(t.window.logText(), old);

    const QString line = QStringLiteral("getSW2-->37\r\n");
    t.window.AppendLog(line);

    const QString expected = old.mid(keptFrom) + line;
    QCOMPARE(t.window.logText().size(), expected.size());
    QCOMPARE(t.window.logText(), expected);
    QCOMPARE(t.control<QPlainTextEdit>(QStringLiteral("txtLOG"))->toPlainText(), shown(expected));
}

void TestLogHistory::appendsAtTheEndWhateverIsSelected_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::newRow("caret at the start") << 0 << 0;
    QTest::newRow("caret in the middle") << 7 << 7;
    QTest::newRow("part selected") << 3 << 12;
    QTest::newRow("all selected, backwards") << 20 << 0;
}

void TestLogHistory::appendsAtTheEndWhateverIsSelected()
{
    QFETCH(int, anchor);
    QFETCH(int, position);
    TestWindow t;
    QVERIFY(showLogPage(t));
    auto *box = t.control<QPlainTextEdit>(QStringLiteral("txtLOG"));
    const QString first = QStringLiteral("getSW1-->5\r\ngetSW2-->37\r\n");
    t.window.AppendLog(first);
    QTextCursor selection = box->textCursor();
    selection.setPosition(anchor);
    selection.setPosition(position, QTextCursor::KeepAnchor);
    box->setTextCursor(selection);

    const QString line = QStringLiteral("getSW3-->1\r\n");
    t.window.AppendLog(line);

    QCOMPARE(t.window.logText(), first + line);
    QCOMPARE(box->toPlainText(), shown(first + line));
    QVERIFY(!box->textCursor().hasSelection());
    QVERIFY(box->textCursor().atEnd());
}

void TestLogHistory::keepsTheEndInView()
{
    TestWindow t;
    QVERIFY(showLogPage(t));
    auto *box = t.control<QPlainTextEdit>(QStringLiteral("txtLOG"));
    for (int i = 0; i < 100; ++i)
        t.window.AppendLog(QStringLiteral("getPrinterInfo3-->%1\r\n").arg(i));
    // The user scrolls up and looks at the start ...
    box->verticalScrollBar()->setValue(0);
    QVERIFY(!box->viewport()->rect().contains(box->cursorRect()));
    t.window.AppendLog(QStringLiteral("getPrinterInfo4-->last\r\n"));
    // ... and the next reply brings the end back into view.
    QTRY_VERIFY(box->viewport()->rect().contains(box->cursorRect()));
    QVERIFY(box->verticalScrollBar()->value() > 0);
}

void TestLogHistory::clearStartsAFreshLog_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("empty log") << QString();
    QTest::newRow("one line") << QStringLiteral("getMakerInfo-->NORVANTA\r\n");
    QTest::newRow("long log") << numbered(9000);
}

void TestLogHistory::clearStartsAFreshLog()
{
    QFETCH(QString, before);
    TestWindow t;
    QVERIFY(showLogPage(t));
    auto *box = t.control<QPlainTextEdit>(QStringLiteral("txtLOG"));
    if (!before.isEmpty())
        t.window.AppendLog(before);
    QTest::mouseClick(t.control<QPushButton>(QStringLiteral("cmdCLEARlst")), Qt::LeftButton);
    QCOMPARE(t.window.logText(), QString());
    QCOMPARE(box->toPlainText(), QString());
    QVERIFY(t.prompter.shown.isEmpty());

    const QString line = QStringLiteral("getLanguageInfo1-->PC437\r\n");
    t.window.AppendLog(line);
    QCOMPARE(t.window.logText(), line);
    QCOMPARE(box->toPlainText(), shown(line));
}

QTEST_MAIN(TestLogHistory)
#include "tst_loghistory.moc"

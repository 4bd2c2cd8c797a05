#include "TestWindow.h"

#include <QComboBox>
#include <QDir>
#include <QTabWidget>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rendersEveryBand_data();
    void rendersEveryBand();
};

void TestMainWindow::rendersEveryBand_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("file");
    QTest::newRow("start") << -1 << QStringLiteral("window-start.png");
    QTest::newRow("printer information") << 0 << QStringLiteral("window-page0.png");
    QTest::newRow("sw1") << 11 << QStringLiteral("window-sw1.png");
    QTest::newRow("sw2") << 12 << QStringLiteral("window-sw2.png");
    QTest::newRow("sw3") << 13 << QStringLiteral("window-sw3.png");
    QTest::newRow("language") << 3 << QStringLiteral("window-page3.png");
    QTest::newRow("log") << 4 << QStringLiteral("window-page4.png");
}

void TestMainWindow::rendersEveryBand()
{
    QFETCH(int, page);
    QFETCH(QString, file);
    TestWindow t;
    t.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    if (page >= 0) {
        t.window.SSTab1()->show();
        t.window.setPrinterInfo(0, QStringLiteral("ZEPHYR-550"));
        t.window.ShowSW1Value(0);
        t.window.ShowSW2Value(0);
        t.window.ShowSW3Value(1);
        t.window.setLanguageInfo(0, QStringLiteral("ANK"));
        t.window.AppendLog(QStringLiteral("getSW2-->37\r\n"));
        if (page >= 11) {
            t.window.SSTab1()->setCurrentIndex(1);
            t.window.switchFrame(SwitchByte(page - 11))->show();
        } else {
            t.window.SSTab1()->setCurrentIndex(page);
            if (page == 0 || page == 3)
                t.window.frameLanguageInfo()->show();
        }
        t.window.Combo1()->setCurrentIndex(0);
        t.window.Combo1_Click();
    }
    const QString folder = QDir(qEnvironmentVariable("PSU_BINARY_DIR", QDir::currentPath()))
                               .filePath(QStringLiteral("screenshots"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(t.window.grab().save(QDir(folder).filePath(file)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

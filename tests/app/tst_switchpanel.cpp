#include "SwitchPanel.h"
#include "TestWindow.h"

#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <functional>

namespace {

QString switchName(SwitchByte sw)
{
    return QStringLiteral("SW%1").arg(int(sw) + 1);
}

QString button(SwitchByte sw, bool on, int index)
{
    return QStringLiteral("opt%1%2_%3")
        .arg(switchName(sw), on ? QStringLiteral("ON") : QStringLiteral("OFF"))
        .arg(index);
}

// The pairs as a pattern, switch 1 first: '1' for OFF, '0' for ON, '-' for neither.
QString pattern(const TestWindow &t, SwitchByte sw)
{
    QString shown;
    for (int i = 0; i < 8; ++i) {
        const bool off = t.control<QRadioButton>(button(sw, false, i))->isChecked();
        const bool on = t.control<QRadioButton>(button(sw, true, i))->isChecked();
        shown.append(off ? QLatin1Char('1') : on ? QLatin1Char('0') : QLatin1Char('-'));
    }
    return shown;
}

// The labels a panel writes, by index.
QList<QLabel *> meaningLabels(const TestWindow &t, SwitchByte sw)
{
    QList<QLabel *> labels;
    const int count = sw == SwitchByte::SW3 ? 7 : 8;
    for (int i = 0; i < count; ++i)
        labels.append(
            t.control<QLabel>(QStringLiteral("lbl%1Function_%2").arg(switchName(sw)).arg(i)));
    return labels;
}

// Records, in order, the buttons whose font changes.
class FontChangeRecorder : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FontChange)
            changed.append(watched->objectName());
        return false;
    }

    QStringList changed;
};

void showFrame(TestWindow &t, SwitchByte sw)
{
    t.window.show();
    t.window.switchFrame(sw)->show();
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
}

void addSwitchRows(const char *what, const std::function<void(SwitchByte, const QString &)> &add)
{
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3})
        add(sw, switchName(sw) + QLatin1Char(' ') + QLatin1String(what));
}

} // namespace

class TestSwitchPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueRoundTrip_data();
    void valueRoundTrip();
    void showValueRefreshesEveryPairInOrder_data();
    void showValueRefreshesEveryPairInOrder();
    void showValueLeavesTheChangedFlag_data();
    void showValueLeavesTheChangedFlag();
    void shownTexts_data();
    void shownTexts();
    void clickChangesItsPairOnly_data();
    void clickChangesItsPairOnly();
    void baudRateFollowsEitherSwitch_data();
    void baudRateFollowsEitherSwitch();
    void additionalSwitchFollowsTheByteOnly();
};

void TestSwitchPanel::valueRoundTrip_data()
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
        {128, "00000001", QByteArray("128", 3)}, {129, "10000001", QByteArray("129", 3)},
        {255, "11111111", QByteArray("255", 3)}, {37, "10100100", QByteArray("37\0", 3)},
    };
    addSwitchRows("", [&](SwitchByte sw, const QString &name) {
        for (const auto &row : rows)
            QTest::newRow(qPrintable(name + QString::number(row.value)))
                << sw << row.value << QString::fromLatin1(row.pattern) << row.digits;
    });
}

void TestSwitchPanel::valueRoundTrip()
{
    QFETCH(SwitchByte, sw);
    QFETCH(int, value);
    QFETCH(QString, offPattern);
    QFETCH(QByteArray, digits);
    TestWindow t;
    // From the opposite state, so that every pair has to move.
    t.window.ShowSwitchValue(sw, 255 - value);
    t.window.ShowSwitchValue(sw, value);
    QCOMPARE(pattern(t, sw), offPattern);
    const std::array<quint8, 3> codes = t.window.GetSwitchDigits(sw);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(codes.data()), 3), digits);
    // The three named entry points reach the same pairs.
    const std::array<quint8, 3> named = sw == SwitchByte::SW1   ? t.window.GetSW1Digits()
                                        : sw == SwitchByte::SW2 ? t.window.GetSW2Digits()
                                                                : t.window.GetSW3Digits();
    QCOMPARE(named, codes);
}

void TestSwitchPanel::showValueRefreshesEveryPairInOrder_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QList<int>>("refreshed"); // pairs whose emphasis is refreshed
    QTest::addColumn<QList<int>>("written");   // labels that get a new text
    const QList<int> all{0, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("SW1") << SwitchByte::SW1 << QStringLiteral("ZEPHYR-550") << all
                         << QList<int>{0, 2, 3, 4, 5, 6, 7};
    QTest::newRow("SW2 KV-4100") << SwitchByte::SW2 << QStringLiteral("KV-4100") << all
                                 << QList<int>{0, 2, 3, 4, 5, 6, 7};
    QTest::newRow("SW2 ZEPHYR-550")
        << SwitchByte::SW2 << QStringLiteral("ZEPHYR-550") << all << all;
    QTest::newRow("SW2 other model")
        << SwitchByte::SW2 << QStringLiteral("KV-4100 ") << all << QList<int>{4, 5, 6, 7};
    QTest::newRow("SW3") << SwitchByte::SW3 << QStringLiteral("KV-4100") << QList<int>{0}
                         << QList<int>{0};
}

void TestSwitchPanel::showValueRefreshesEveryPairInOrder()
{
    QFETCH(SwitchByte, sw);
    QFETCH(QString, model);
    QFETCH(QList<int>, refreshed);
    QFETCH(QList<int>, written);
    TestWindow t;
    t.window.setPrinterInfo(0, model);
    const int value = 0x5A;
    t.window.ShowSwitchValue(sw, value);

    // Emphasis and texts out of step with the pairs, which the same value again must repair,
    // although no option changes.
    const QList<QLabel *> labels = meaningLabels(t, sw);
    for (QLabel *label : labels)
        label->setText(QStringLiteral("stale"));
    FontChangeRecorder recorder;
    for (int i = 0; i < 8; ++i) {
        for (const bool on : {true, false}) {
            auto *option = t.control<QRadioButton>(button(sw, on, i));
            QFont font = option->font();
            font.setBold(!option->isChecked());
            option->setFont(font);
            option->installEventFilter(&recorder);
        }
    }
    t.window.ShowSwitchValue(sw, value);

    QStringList expected;
    for (int i : refreshed)
        expected << button(sw, false, i) << button(sw, true, i);
    QCOMPARE(recorder.changed, expected);
    for (int i = 0; i < 8; ++i) {
        for (const bool on : {true, false}) {
            const auto *option = t.control<QRadioButton>(button(sw, on, i));
            if (refreshed.contains(i))
                QCOMPARE(option->font().bold(), option->isChecked());
        }
    }
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(labels.at(i)->text() != QStringLiteral("stale"), written.contains(i));
}

void TestSwitchPanel::showValueLeavesTheChangedFlag_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<bool>("changedBefore");
    addSwitchRows("", [](SwitchByte sw, const QString &name) {
        QTest::newRow(qPrintable(name + QStringLiteral("unchanged"))) << sw << false;
        QTest::newRow(qPrintable(name + QStringLiteral("changed"))) << sw << true;
    });
}

void TestSwitchPanel::showValueLeavesTheChangedFlag()
{
    // The click handling runs on clicks only; a value shown by the program is no change.
    QFETCH(SwitchByte, sw);
    QFETCH(bool, changedBefore);
    TestWindow t;
    t.window.bDataChanged = changedBefore;
    t.window.ShowSwitchValue(sw, 0);
    t.window.ShowSwitchValue(sw, 170);
    QCOMPARE(t.window.bDataChanged, changedBefore);
    QVERIFY(t.prompter.shown.isEmpty());
}

void TestSwitchPanel::shownTexts_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("SW1 255 baud rate")
        << SwitchByte::SW1 << QStringLiteral("KV-4100") << 255 << QStringLiteral("lblSW1Function_0")
        << QStringLiteral("Baud Rate = 19200 ");
    QTest::newRow("SW1 label 1 stays empty") << SwitchByte::SW1 << QStringLiteral("KV-4100") << 255
                                             << QStringLiteral("lblSW1Function_1") << QString();
    QTest::newRow("SW1 0 switch 8")
        << SwitchByte::SW1 << QString() << 0 << QStringLiteral("lblSW1Function_7")
        << QStringLiteral("Paper Feed Backward before print = Disabled");
    QTest::newRow("SW2 KV-4100 2")
        << SwitchByte::SW2 << QStringLiteral("KV-4100") << 2 << QStringLiteral("lblSW2Function_0")
        << QStringLiteral("Print Density =HIGH QUALITY");
    QTest::newRow("SW2 ZEPHYR-550 switch 1 ON")
        << SwitchByte::SW2 << QStringLiteral("ZEPHYR-550") << 254
        << QStringLiteral("lblSW2Function_0")
        << QStringLiteral("Hardware Switch1 = Invalid\r\n(Software switch instead of hardware "
                          "switch)");
    QTest::newRow("SW2 switch 8 ON")
        << SwitchByte::SW2 << QStringLiteral("KV-4100") << 0 << QStringLiteral("lblSW2Function_7")
        << QStringLiteral("<CR> Valid");
    QTest::newRow("SW2 other model keeps switch 1")
        << SwitchByte::SW2 << QStringLiteral("kv-4100") << 0 << QStringLiteral("lblSW2Function_0")
        << QStringLiteral("=");
    QTest::newRow("SW3 odd") << SwitchByte::SW3 << QStringLiteral("KV-4100") << 1
                             << QStringLiteral("lblSW3Function_0")
                             << QStringLiteral("Paper Feed Backward before print = Enabled");
    QTest::newRow("SW3 even") << SwitchByte::SW3 << QStringLiteral("KV-4100") << 254
                              << QStringLiteral("lblSW3Function_0")
                              << QStringLiteral("Paper Feed Backward before print = Disabled");
    QTest::newRow("SW3 beside pair 2 is never written")
        << SwitchByte::SW3 << QStringLiteral("KV-4100") << 255
        << QStringLiteral("lblSW2Function_14") << QString();
}

void TestSwitchPanel::shownTexts()
{
    QFETCH(SwitchByte, sw);
    QFETCH(QString, model);
    QFETCH(int, value);
    QFETCH(QString, label);
    QFETCH(QString, text);
    TestWindow t;
    t.window.setPrinterInfo(0, model);
    switch (sw) {
    case SwitchByte::SW1:
        t.window.ShowSW1Value(value);
        break;
    case SwitchByte::SW2:
        t.window.ShowSW2Value(value);
        break;
    case SwitchByte::SW3:
        t.window.ShowSW3Value(value);
        break;
    }
    QCOMPARE(t.control<QLabel>(label)->text(), text);
}

void TestSwitchPanel::clickChangesItsPairOnly_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("selectedOne"); // click the button that is already selected
    addSwitchRows("switch", [](SwitchByte sw, const QString &name) {
        for (int i = 0; i < 8; ++i) {
            QTest::newRow(qPrintable(name + QString::number(i + 1))) << sw << i << false;
            QTest::newRow(qPrintable(name + QString::number(i + 1) + QStringLiteral(" again")))
                << sw << i << true;
        }
    });
}

void TestSwitchPanel::clickChangesItsPairOnly()
{
    QFETCH(SwitchByte, sw);
    QFETCH(int, index);
    QFETCH(bool, selectedOne);
    TestWindow t;
    t.window.setPrinterInfo(0, QStringLiteral("ZEPHYR-550"));
    showFrame(t, sw);
    for (const SwitchByte each : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3})
        t.window.ShowSwitchValue(each, 0xA5);
    const QString before[] = {pattern(t, SwitchByte::SW1), pattern(t, SwitchByte::SW2),
                              pattern(t, SwitchByte::SW3)};
    // No emphasis anywhere, so that the click shows which pairs it refreshes.
    for (int i = 0; i < 8; ++i) {
        for (const bool on : {true, false}) {
            auto *option = t.control<QRadioButton>(button(sw, on, i));
            QFont font = option->font();
            font.setBold(false);
            option->setFont(font);
        }
    }

    const bool off = before[int(sw)].at(index) == QLatin1Char('1');
    const bool clickOn = selectedOne ? !off : off;
    QTest::mouseClick(t.control<QRadioButton>(button(sw, clickOn, index)), Qt::LeftButton);

    // Of the additional switch only the first pair can be clicked, and only it has emphasis.
    const bool clickable = sw != SwitchByte::SW3 || index == 0;
    QString expected = before[int(sw)];
    if (clickable)
        expected[index] = clickOn ? QLatin1Char('0') : QLatin1Char('1');
    QCOMPARE(pattern(t, sw), expected);
    for (const SwitchByte other : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        if (other != sw)
            QCOMPARE(pattern(t, other), before[int(other)]);
    }
    QCOMPARE(t.window.bDataChanged, clickable);
    for (int i = 0; i < 8; ++i) {
        const bool refreshed = clickable && i == index;
        QCOMPARE(t.control<QRadioButton>(button(sw, clickOn, i))->font().bold(), refreshed);
        QVERIFY(!t.control<QRadioButton>(button(sw, !clickOn, i))->font().bold());
    }
    // A click brings no message box.
    QVERIFY(t.prompter.shown.isEmpty());
}

void TestSwitchPanel::baudRateFollowsEitherSwitch_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("text");
    QTest::newRow("switch 2 ON while 1 is OFF")
        << QStringList{QStringLiteral("optSW1ON_1")} << QStringLiteral("Baud Rate = 115200");
    QTest::newRow("switch 1 ON while 2 is OFF")
        << QStringList{QStringLiteral("optSW1ON_0")} << QStringLiteral("Baud Rate = 9600  ");
    QTest::newRow("both ON, 1 first")
        << QStringList{QStringLiteral("optSW1ON_0"), QStringLiteral("optSW1ON_1")}
        << QStringLiteral("Baud Rate = 38400 ");
    QTest::newRow("both ON, 2 first")
        << QStringList{QStringLiteral("optSW1ON_1"), QStringLiteral("optSW1ON_0")}
        << QStringLiteral("Baud Rate = 38400 ");
}

void TestSwitchPanel::baudRateFollowsEitherSwitch()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, text);
    TestWindow t;
    showFrame(t, SwitchByte::SW1);
    t.window.ShowSW1Value(255);
    for (const QString &name : clicks)
        QTest::mouseClick(t.control<QRadioButton>(name), Qt::LeftButton);
    QCOMPARE(t.control<QLabel>(QStringLiteral("lblSW1Function_0"))->text(), text);
    QCOMPARE(t.control<QLabel>(QStringLiteral("lblSW1Function_1"))->text(), QString());
}

void TestSwitchPanel::additionalSwitchFollowsTheByteOnly()
{
    TestWindow t;
    showFrame(t, SwitchByte::SW3);
    t.window.ShowSW3Value(1);
    const QString emphasisBefore =
        t.control<QRadioButton>(QStringLiteral("optSW3ON_4"))->font().toString();
    // A byte that differs only in switches 2 to 8 moves those pairs and nothing else.
    t.window.ShowSW3Value(255);
    QCOMPARE(pattern(t, SwitchByte::SW3), QStringLiteral("11111111"));
    QCOMPARE(t.control<QLabel>(QStringLiteral("lblSW3Function_0"))->text(),
             QStringLiteral("Paper Feed Backward before print = Enabled"));
    QCOMPARE(t.control<QRadioButton>(QStringLiteral("optSW3ON_4"))->font().toString(),
             emphasisBefore);
    QCOMPARE(t.control<QLabel>(QStringLiteral("lblSW3Function_3"))->text(), QStringLiteral("="));
    // The user cannot move them.
    QTest::mouseClick(t.control<QRadioButton>(QStringLiteral("optSW3ON_4")), Qt::LeftButton);
    QCOMPARE(pattern(t, SwitchByte::SW3), QStringLiteral("11111111"));
    QVERIFY(!t.window.bDataChanged);
    // Switch 1 can, and its debug notice is not shown.
    QTest::mouseClick(t.control<QRadioButton>(QStringLiteral("optSW3ON_0")), Qt::LeftButton);
    QCOMPARE(pattern(t, SwitchByte::SW3), QStringLiteral("01111111"));
    QCOMPARE(t.control<QLabel>(QStringLiteral("lblSW3Function_0"))->text(),
             QStringLiteral("Paper Feed Backward before print = Disabled"));
    QVERIFY(t.window.bDataChanged);
    QVERIFY(t.prompter.shown.isEmpty());
}

QTEST_MAIN(TestSwitchPanel)
#include "tst_switchpanel.moc"

#include "TestWindow.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTest>

namespace {

// Picks entry `index` of a combo box with the keyboard, as a user would.
void chooseEntry(QComboBox *combo, int index)
{
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

struct Lists
{
    QComboBox *codePage;
    QComboBox *codePageName;
    QComboBox *interChars;
};

Lists lists(const TestWindow &t)
{
    return {t.control<QComboBox>(QStringLiteral("comboCodePage")),
            t.control<QComboBox>(QStringLiteral("comboCodePageName")),
            t.control<QComboBox>(QStringLiteral("comboInterChars"))};
}

} // namespace

class TestLanguagePanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportedCodePageIsSelected_data();
    void reportedCodePageIsSelected();
    void unknownCodePageChangesNothing_data();
    void unknownCodePageChangesNothing();
    void reportedCharacterSetIsSelected_data();
    void reportedCharacterSetIsSelected();
    void japaneseCodePageThenReportedCharacterSet();
    void userChoicesAssignTheFlag_data();
    void userChoicesAssignTheFlag();
    void nameListOnlyFollows();
};

void TestLanguagePanel::reportedCodePageIsSelected_data()
{
    QTest::addColumn<QString>("reported");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("interChars");
    QTest::addColumn<bool>("changed");
    QTest::newRow("25") << QStringLiteral("25") << 12 << QStringLiteral("25 - 1254 Windows Turkish")
                        << QStringLiteral("25 - Windows Turkish") << QStringLiteral("0 - U.S.A.")
                        << false;
    QTest::newRow("250") << QStringLiteral("250") << 22 << QStringLiteral("250-LITHUANIA")
                         << QStringLiteral("250-LITHUANIA") << QStringLiteral("0 - U.S.A.")
                         << false;
    QTest::newRow("1") << QStringLiteral("1") << 1 << QStringLiteral("1  - Katakana Japanese")
                       << QStringLiteral("1  - Japanese") << QStringLiteral("8 - Japan") << false;
    QTest::newRow("0") << QStringLiteral("0") << 0 << QStringLiteral("0  - 437 Standard")
                       << QStringLiteral("0  - Standard") << QStringLiteral("0 - U.S.A.") << false;
    // Blanks around the reported number still find the entry, which then differs from the
    // caption as it stands.
    QTest::newRow(" 25") << QStringLiteral(" 25") << 12
                         << QStringLiteral("25 - 1254 Windows Turkish")
                         << QStringLiteral("25 - Windows Turkish") << QStringLiteral("0 - U.S.A.")
                         << true;
    QTest::newRow("17 ") << QStringLiteral("17 ") << 6 << QStringLiteral("17 - 866 Cyrillic")
                         << QStringLiteral("17 - Cyrillic") << QStringLiteral("0 - U.S.A.") << true;
}

void TestLanguagePanel::reportedCodePageIsSelected()
{
    QFETCH(QString, reported);
    QFETCH(int, index);
    QFETCH(QString, codePage);
    QFETCH(QString, name);
    QFETCH(QString, interChars);
    QFETCH(bool, changed);
    TestWindow t;
    const Lists l = lists(t);
    // A character set chosen before is reset by the code page.
    l.interChars->setCurrentIndex(5);
    t.window.bDataChanged = !changed;
    t.window.setLanguageInfo(2, reported);
    t.window.ShowCodePage();
    QCOMPARE(l.codePage->currentIndex(), index);
    QCOMPARE(t.window.codePageText(), codePage);
    QCOMPARE(t.window.codePageNameText(), name);
    QCOMPARE(l.codePageName->currentIndex(), index);
    QCOMPARE(t.window.interCharsText(), interChars);
    QCOMPARE(t.window.bDataChanged, changed);
}

void TestLanguagePanel::unknownCodePageChangesNothing_data()
{
    QTest::addColumn<QString>("reported");
    QTest::addColumn<bool>("changed");
    QTest::newRow("6") << QStringLiteral("6") << true;
    QTest::newRow("30") << QStringLiteral("30") << false;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("blank") << QStringLiteral(" ") << false;
    QTest::newRow("25 with a line end") << QStringLiteral("25\r\n") << true;
    QTest::newRow("2500") << QStringLiteral("2500") << false;
}

void TestLanguagePanel::unknownCodePageChangesNothing()
{
    QFETCH(QString, reported);
    QFETCH(bool, changed);
    TestWindow t;
    const Lists l = lists(t);
    l.codePage->setCurrentIndex(3);
    l.codePageName->setCurrentIndex(3);
    l.interChars->setCurrentIndex(4);
    t.window.bDataChanged = changed;
    t.window.setLanguageInfo(2, reported);
    t.window.ShowCodePage();
    QCOMPARE(l.codePage->currentIndex(), 3);
    QCOMPARE(l.codePageName->currentIndex(), 3);
    QCOMPARE(l.interChars->currentIndex(), 4);
    QCOMPARE(t.window.bDataChanged, changed);
}

void TestLanguagePanel::reportedCharacterSetIsSelected_data()
{
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("interChars"); // empty: the selection stays
    QTest::addColumn<bool>("changed");
    QTest::newRow("15") << QStringLiteral("15") << QStringLiteral("15- Ex-Yugoslavia") << false;
    QTest::newRow("10") << QStringLiteral("10") << QStringLiteral("10- Denmark II") << false;
    QTest::newRow("0") << QStringLiteral("0") << QStringLiteral("0 - U.S.A.") << false;
    QTest::newRow(" 3") << QStringLiteral(" 3") << QStringLiteral("3 - U.K.") << true;
    QTest::newRow("14 has no entry") << QStringLiteral("14") << QString() << true;
    QTest::newRow("16 has no entry") << QStringLiteral("16") << QString() << true;
    QTest::newRow("empty") << QString() << QString() << true;
}

void TestLanguagePanel::reportedCharacterSetIsSelected()
{
    QFETCH(QString, reported);
    QFETCH(QString, interChars);
    QFETCH(bool, changed);
    TestWindow t;
    const Lists l = lists(t);
    l.interChars->setCurrentIndex(7);
    const QString before = t.window.interCharsText();
    t.window.bDataChanged = true;
    t.window.setLanguageInfo(3, reported);
    t.window.ShowInterChars();
    QCOMPARE(t.window.interCharsText(), interChars.isEmpty() ? before : interChars);
    QCOMPARE(t.window.bDataChanged, changed);
}

void TestLanguagePanel::japaneseCodePageThenReportedCharacterSet()
{
    TestWindow t;
    t.window.setLanguageInfo(2, QStringLiteral("1"));
    t.window.setLanguageInfo(3, QStringLiteral("2"));
    t.window.ShowCodePage();
    QCOMPARE(t.window.interCharsText(), QStringLiteral("8 - Japan"));
    t.window.ShowInterChars();
    QCOMPARE(t.window.codePageText(), QStringLiteral("1  - Katakana Japanese"));
    QCOMPARE(t.window.interCharsText(), QStringLiteral("2 - Germany"));
    QVERIFY(!t.window.bDataChanged);
}

void TestLanguagePanel::userChoicesAssignTheFlag_data()
{
    QTest::addColumn<QList<int>>("codePageEntries"); // chosen one after the other
    QTest::addColumn<int>("interCharsEntry");        // -1: no choice
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("interChars");
    QTest::addColumn<bool>("changed");
    // The printer reported code page 0 and character set 3.
    QTest::newRow("Cyrillic") << QList<int>{6} << -1 << QStringLiteral("17 - Cyrillic")
                              << QStringLiteral("0 - U.S.A.") << true;
    QTest::newRow("Cyrillic, then back to Standard")
        << QList<int>{6, 0} << -1 << QStringLiteral("0  - Standard") << QStringLiteral("0 - U.S.A.")
        << false;
    QTest::newRow("Katakana") << QList<int>{1} << -1 << QStringLiteral("1  - Japanese")
                              << QStringLiteral("8 - Japan") << true;
    QTest::newRow("Katakana, then Standard")
        << QList<int>{1, 0} << -1 << QStringLiteral("0  - Standard") << QStringLiteral("0 - U.S.A.")
        << false;
    QTest::newRow("Standard, then the reported set")
        << QList<int>{0} << 3 << QStringLiteral("0  - Standard") << QStringLiteral("3 - U.K.")
        << false;
    QTest::newRow("Standard, then another set")
        << QList<int>{0} << 14 << QStringLiteral("0  - Standard")
        << QStringLiteral("15- Ex-Yugoslavia") << true;
    QTest::newRow("Cyrillic, then the reported set")
        << QList<int>{6} << 3 << QStringLiteral("17 - Cyrillic") << QStringLiteral("3 - U.K.")
        << false;
    QTest::newRow("only the set") << QList<int>{} << 9 << QString() << QStringLiteral("9 - Norway")
                                  << true;
}

void TestLanguagePanel::userChoicesAssignTheFlag()
{
    QFETCH(QList<int>, codePageEntries);
    QFETCH(int, interCharsEntry);
    QFETCH(QString, name);
    QFETCH(QString, interChars);
    QFETCH(bool, changed);
    TestWindow t;
    t.window.show();
    t.window.SSTab1()->show();
    t.window.SSTab1()->setCurrentIndex(3);
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    const Lists l = lists(t);
    t.window.setLanguageInfo(2, QStringLiteral("0"));
    t.window.setLanguageInfo(3, QStringLiteral("3"));
    // A switch click elsewhere does not outlast a language choice.
    t.window.bDataChanged = true;
    for (int entry : codePageEntries)
        chooseEntry(l.codePage, entry);
    if (interCharsEntry >= 0)
        chooseEntry(l.interChars, interCharsEntry);
    QCOMPARE(t.window.codePageNameText(), name);
    QCOMPARE(t.window.interCharsText(), interChars);
    QCOMPARE(t.window.bDataChanged, changed);
}

void TestLanguagePanel::nameListOnlyFollows()
{
    TestWindow t;
    t.window.show();
    t.window.SSTab1()->show();
    t.window.SSTab1()->setCurrentIndex(3);
    QVERIFY(QTest::qWaitForWindowExposed(&t.window));
    const Lists l = lists(t);
    QCOMPARE(l.codePage->count(), 23);
    QCOMPARE(l.codePageName->count(), 23);
    QCOMPARE(l.interChars->count(), 15);
    QVERIFY(!l.codePageName->isEnabled());
    chooseEntry(l.codePage, 22);
    QCOMPARE(t.window.codePageNameText(), QStringLiteral("250-LITHUANIA"));
    // The user cannot choose a name of their own.
    QTest::keyClick(l.codePageName, Qt::Key_Home);
    QCOMPARE(l.codePageName->currentIndex(), 22);
    QCOMPARE(t.window.codePageText(), QStringLiteral("250-LITHUANIA"));
}

QTEST_MAIN(TestLanguagePanel)
#include "tst_languagepanel.moc"

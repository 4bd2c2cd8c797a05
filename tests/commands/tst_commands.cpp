#include "FakePrinterView.h"
#include "PrinterCommands.h"
#include "RecordingLink.h"
#include "RecordingPrompter.h"

#include <QTest>

using Query = bool (PrinterCommands::*)();
using Write = WriteResult (PrinterCommands::*)();
Q_DECLARE_METATYPE(Query)
Q_DECLARE_METATYPE(Write)

namespace {

QString l(const char *text)
{
    return QString::fromLatin1(text);
}

// One transcript line: the mode and the command bytes written in hex with blanks between.
QString line(const char *mode, const char *hexBytes)
{
    return l(mode) + u' ' + QString::fromLatin1(QByteArray::fromHex(hexBytes).toHex());
}

const QString kUnlock = line("W", "1D 67 75 6E 6C 00");
const QString kLock = line("W", "1D 67 6C 63 6B 00");

const QString kLanguageFieldMissing =
    l("Please select a code page and an international character "
      "set before writing.\r\nNothing was written to the printer.");

// The command set wired to its three doubles.
struct Bench
{
    RecordingLink link;
    FakePrinterView view;
    RecordingPrompter prompter;
    PrinterCommands commands{link, view, prompter};
};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void switchQuery_data();
    void switchQuery();
    void infoQuery_data();
    void infoQuery();
    void makerQuery_data();
    void makerQuery();
    void selfTest_data();
    void selfTest();
    void switchWrite_data();
    void switchWrite();
    void languageWrite_data();
    void languageWrite();
    void undeliveredWrite_data();
    void undeliveredWrite();
};

void TestCommands::switchQuery_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("journal");

    const QString sw1 = line("R", "1D 67 34 27 00");
    const QString sw2 = line("R", "1D 67 34 28 00");
    const QString sw3 = line("R", "1D 67 34 29 00");
    const QString unchanged = l("data changed false");
    const QStringList rejected{unchanged};

    QTest::newRow("SW1 255") << &PrinterCommands::getSW1 << l("255") << sw1 << true
                             << QStringList{l("log getSW1-->255\r\n"), l("show SW1 255"),
                                            unchanged};
    QTest::newRow("SW2 0") << &PrinterCommands::getSW2 << l("0") << sw2 << true
                           << QStringList{l("log getSW2-->0\r\n"), l("show SW2 0"), unchanged};
    QTest::newRow("SW3 37") << &PrinterCommands::getSW3 << l("37") << sw3 << true
                            << QStringList{l("log getSW3-->37\r\n"), l("show SW3 37"), unchanged};
    QTest::newRow("SW1 256") << &PrinterCommands::getSW1 << l("256") << sw1 << false << rejected;
    QTest::newRow("SW2 -1") << &PrinterCommands::getSW2 << l("-1") << sw2 << false << rejected;
    QTest::newRow("SW3 255.5") << &PrinterCommands::getSW3 << l("255.5") << sw3 << false
                               << rejected;
    QTest::newRow("SW1 -0.4") << &PrinterCommands::getSW1 << l("-0.4") << sw1 << false << rejected;
    // Nothing or no number is no switch byte, not a byte with every switch ON.
    QTest::newRow("SW1 empty") << &PrinterCommands::getSW1 << l("") << sw1 << false << rejected;
    QTest::newRow("SW2 letters") << &PrinterCommands::getSW2 << l("abc") << sw2 << false
                                 << rejected;
    QTest::newRow("SW3 line end only")
        << &PrinterCommands::getSW3 << l("\r\n") << sw3 << false << rejected;
    QTest::newRow("SW1 12.5") << &PrinterCommands::getSW1 << l("12.5") << sw1 << true
                              << QStringList{l("log getSW1-->12.5\r\n"), l("show SW1 12"),
                                             unchanged};
    QTest::newRow("SW2 2.5") << &PrinterCommands::getSW2 << l("2.5") << sw2 << true
                             << QStringList{l("log getSW2-->2.5\r\n"), l("show SW2 2"), unchanged};
    QTest::newRow("SW3 3.5") << &PrinterCommands::getSW3 << l("3.5") << sw3 << true
                             << QStringList{l("log getSW3-->3.5\r\n"), l("show SW3 4"), unchanged};
    QTest::newRow("SW1 254.5") << &PrinterCommands::getSW1 << l("254.5") << sw1 << true
                               << QStringList{l("log getSW1-->254.5\r\n"), l("show SW1 254"),
                                              unchanged};
    QTest::newRow("SW2 37abc") << &PrinterCommands::getSW2 << l("37abc") << sw2 << true
                               << QStringList{l("log getSW2-->37abc\r\n"), l("show SW2 37"),
                                              unchanged};
    QTest::newRow("SW3 blanks inside")
        << &PrinterCommands::getSW3 << l(" 2 55\r\n") << sw3 << true
        << QStringList{l("log getSW3--> 2 55\r\n\r\n"), l("show SW3 255"), unchanged};
}

void TestCommands::switchQuery()
{
    QFETCH(Query, query);
    QFETCH(QString, reply);
    QFETCH(QString, command);
    QFETCH(bool, accepted);
    QFETCH(QStringList, journal);

    Bench b;
    b.link.replies = {reply};
    QCOMPARE((b.commands.*query)(), accepted);
    QCOMPARE(b.link.transcript(), QStringList{command});
    QCOMPARE(b.view.journal, journal);
    QVERIFY(b.prompter.shown.isEmpty());
}

void TestCommands::infoQuery_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("journal"); // empty: the reply was refused

    struct Row
    {
        const char *name;
        Query query;
        const char *bytes;
        const char *tag;
        const char *target;
    };
    const Row rows[] = {
        {"language 1", &PrinterCommands::getLanguageInfo1, "1D 67 34 24", "getLanguageInfo1-->",
         "language info 0 "},
        {"language 2", &PrinterCommands::getLanguageInfo2, "1D 49 45", "getLanguageInfo2-->",
         "language info 1 "},
        {"language 3", &PrinterCommands::getLanguageInfo3, "1D 67 34 21", "getLanguageInfo3-->",
         "language info 2 "},
        {"language 4", &PrinterCommands::getLanguageInfo4, "1D 67 34 22", "getLanguageInfo4-->",
         "language info 3 "},
        {"printer 1", &PrinterCommands::getPrinterInfo1, "1D 49 43", "getPrinterInfo1-->",
         "printer info 0 "},
        {"printer 2", &PrinterCommands::getPrinterInfo2, "1D 49 41", "getPrinterInfo2-->",
         "printer info 1 "},
        {"printer 3", &PrinterCommands::getPrinterInfo3, "1D 67 34 10", "getPrinterInfo3-->",
         "printer info 2 "},
        {"printer 4", &PrinterCommands::getPrinterInfo4, "1D 67 34 16", "getPrinterInfo4-->",
         "printer info 3 "},
    };
    for (const Row &row : rows) {
        const QString command = line("R", row.bytes);
        // The reply is shown as it came, blanks and line ends included.
        const QString reply = l(" KV-4100 \r\n");
        QTest::addRow("%s answered", row.name)
            << row.query << reply << command
            << QStringList{l("log ") + l(row.tag) + reply + l("\r\n"), l(row.target) + reply};
        QTest::addRow("%s silent", row.name) << row.query << QString() << command << QStringList();
    }
}

void TestCommands::infoQuery()
{
    QFETCH(Query, query);
    QFETCH(QString, reply);
    QFETCH(QString, command);
    QFETCH(QStringList, journal);

    Bench b;
    b.link.replies = {reply};
    QCOMPARE((b.commands.*query)(), !journal.isEmpty());
    QCOMPARE(b.link.transcript(), QStringList{command});
    QCOMPARE(b.view.journal, journal);
    QVERIFY(b.prompter.shown.isEmpty());
}

void TestCommands::makerQuery_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("maker") << l("NORVANTA") << true;
    QTest::newRow("lower case") << l("norvanta") << false;
    QTest::newRow("trailing blank") << l("NORVANTA ") << false;
    QTest::newRow("line end") << l("NORVANTA\r\n") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("other maker") << l("OTHER") << false;
}

void TestCommands::makerQuery()
{
    QFETCH(QString, reply);
    QFETCH(bool, accepted);

    Bench b;
    b.link.replies = {reply};
    QCOMPARE(b.commands.getMakerInfo(), accepted);
    QCOMPARE(b.link.transcript(), QStringList{line("R", "1D 49 42")});
    QCOMPARE(b.view.journal, QStringList{l("log getMakerInfo-->") + reply + l("\r\n")});
    QCOMPARE(b.commands.MakerName(), reply);
    if (!accepted) {
        QVERIFY(b.prompter.shown.isEmpty());
        return;
    }
    QCOMPARE(b.prompter.shown.size(), 1);
    QCOMPARE(b.prompter.shown.at(0).text,
             l("Welcome to NORVANTA world.\r\n\r\nCommunication test finished."));
    QCOMPARE(b.prompter.shown.at(0).title, l("KV_SW_Utility"));
    QVERIFY(!b.prompter.shown.at(0).question);
}

void TestCommands::selfTest_data()
{
    QTest::addColumn<QString>("reply");

    QTest::newRow("silent") << QString();
    QTest::newRow("number") << l("255");
    QTest::newRow("text") << l("NORVANTA\r\n");
}

void TestCommands::selfTest()
{
    QFETCH(QString, reply);

    Bench b;
    b.link.replies = {reply};
    QList<bool> enabledWhileSending;
    b.link.onSend = [&] { enabledWhileSending.append(b.view.selfTestEnabled); };
    b.commands.cmd0_Click();
    QCOMPARE(b.link.transcript(), QStringList{line("R", "1D 28 41 02 00 00 02")});
    QCOMPARE(enabledWhileSending, QList<bool>{false});
    QCOMPARE(b.view.journal,
             (QStringList{l("self test enabled false"), l("self test enabled true")}));
    QVERIFY(b.prompter.shown.isEmpty());
}

void TestCommands::switchWrite_data()
{
    QTest::addColumn<Write>("write");
    QTest::addColumn<int>("sw");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("command");

    QTest::newRow("SW1 all ON") << &PrinterCommands::setSW1 << 0 << 0
                                << line("W", "1D 67 38 27 30 00 00 00");
    QTest::newRow("SW1 all OFF") << &PrinterCommands::setSW1 << 0 << 255
                                 << line("W", "1D 67 38 27 32 35 35 00");
    QTest::newRow("SW2 129") << &PrinterCommands::setSW2 << 1 << 129
                             << line("W", "1D 67 38 28 31 32 39 00");
    QTest::newRow("SW2 5") << &PrinterCommands::setSW2 << 1 << 5
                           << line("W", "1D 67 38 28 35 00 00 00");
    QTest::newRow("SW3 37") << &PrinterCommands::setSW3 << 2 << 37
                            << line("W", "1D 67 38 29 33 37 00 00");
    QTest::newRow("SW3 200") << &PrinterCommands::setSW3 << 2 << 200
                             << line("W", "1D 67 38 29 32 30 30 00");
}

void TestCommands::switchWrite()
{
    QFETCH(Write, write);
    QFETCH(int, sw);
    QFETCH(int, value);
    QFETCH(QString, command);

    Bench b;
    b.view.switchValues.fill(77); // the other bytes must not leak into the write
    b.view.switchValues[std::size_t(sw)] = value;
    // Replies a printer might have left behind are not looked at.
    b.link.replies = {l("0"), l("0"), l("0")};
    QCOMPARE((b.commands.*write)(), WriteResult::Written);
    QCOMPARE(b.link.transcript(), (QStringList{kUnlock, command, kLock}));
    qsizetype total = 0;
    for (const RecordingLink::Sent &sent : b.link.sent)
        total += sent.command.size();
    QCOMPARE(total, 20);
    QVERIFY(b.view.journal.isEmpty());
    QVERIFY(b.prompter.shown.isEmpty());
}

void TestCommands::languageWrite_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("interChars");
    QTest::addColumn<QStringList>("transcript"); // empty: refused

    QTest::newRow("Cyrillic")
        << l("17 - 866 Cyrillic") << l("17 - Cyrillic") << l("0 - U.S.A.")
        << QStringList{kUnlock, line("W", "1D 67 38 21 31 37 00 00"),
                       line("W", "1D 67 38 24 43 59 52 49 4C 4C 49 43 00 00 00 00 00 00 00 00 00 "
                                 "00 00 00 00"),
                       line("W", "1D 67 38 22 30 00 00"), kLock};
    QTest::newRow("Lithuania")
        << l("250-LITHUANIA") << l("250-LITHUANIA") << l("12- Latin America")
        << QStringList{kUnlock, line("W", "1D 67 38 21 32 35 30 00"),
                       line("W", "1D 67 38 24 4C 49 54 48 55 41 4E 49 41 00 00 00 00 00 00 00 00 "
                                 "00 00 00 00"),
                       line("W", "1D 67 38 22 31 32 00"), kLock};
    QTest::newRow("Nordic")
        << l("5  - 865 Nordic") << l("5  - Nordic") << l("4 - Denmark I")
        << QStringList{kUnlock, line("W", "1D 67 38 21 35 00 00 00"),
                       line("W", "1D 67 38 24 4E 4F 52 44 49 43 00 00 00 00 00 00 00 00 00 00 00 "
                                 "00 00 00 00"),
                       line("W", "1D 67 38 22 34 00 00"), kLock};
    QTest::newRow("name of 20")
        << l("2  - 850 Multilingual (LatinI)") << l("2  - Multilingual(LatinI)")
        << l("15- Ex-Yugoslavia")
        << QStringList{kUnlock, line("W", "1D 67 38 21 32 00 00 00"),
                       line("W", "1D 67 38 24 4D 55 4C 54 49 4C 49 4E 47 55 41 4C 28 4C 41 54 49 "
                                 "4E 49 29 00"),
                       line("W", "1D 67 38 22 31 35 00"), kLock};

    QTest::newRow("no code page") << QString() << QString() << l("0 - U.S.A.") << QStringList();
    QTest::newRow("no name") << l("0  - 437 Standard") << QString() << l("0 - U.S.A.")
                             << QStringList();
    QTest::newRow("no character set")
        << l("0  - 437 Standard") << l("0  - Standard") << QString() << QStringList();
    QTest::newRow("blank character set")
        << l("0  - 437 Standard") << l("0  - Standard") << l("  ") << QStringList();
    QTest::newRow("blank name") << l("0  - 437 Standard") << l("0  -   ") << l("0 - U.S.A.")
                                << QStringList();
    QTest::newRow("nothing") << QString() << QString() << QString() << QStringList();
}

void TestCommands::languageWrite()
{
    QFETCH(QString, codePage);
    QFETCH(QString, name);
    QFETCH(QString, interChars);
    QFETCH(QStringList, transcript);

    Bench b;
    b.view.codePage = codePage;
    b.view.codePageName = name;
    b.view.interChars = interChars;
    const bool sent = !transcript.isEmpty();
    QCOMPARE(b.commands.setLanguage(), sent ? WriteResult::Written : WriteResult::Refused);
    QCOMPARE(b.link.transcript(), transcript);
    QVERIFY(b.view.journal.isEmpty());
    if (sent) {
        qsizetype total = 0;
        for (const RecordingLink::Sent &command : b.link.sent)
            total += command.command.size();
        QCOMPARE(total, 52);
        QVERIFY(b.prompter.shown.isEmpty());
        return;
    }
    QCOMPARE(b.prompter.shown.size(), 1);
    QCOMPARE(b.prompter.shown.at(0).text, kLanguageFieldMissing);
    QCOMPARE(b.prompter.shown.at(0).title, l("KV_SW_Utility"));
    QVERIFY(!b.prompter.shown.at(0).question);
}

void TestCommands::undeliveredWrite_data()
{
    QTest::addColumn<Write>("write");
    QTest::addColumn<qsizetype>("undeliverable");
    QTest::addColumn<int>("commands");

    QTest::newRow("SW1 unlock") << &PrinterCommands::setSW1 << qsizetype(0) << 3;
    QTest::newRow("SW2 value") << &PrinterCommands::setSW2 << qsizetype(1) << 3;
    QTest::newRow("SW3 lock") << &PrinterCommands::setSW3 << qsizetype(2) << 3;
    QTest::newRow("language unlock") << &PrinterCommands::setLanguage << qsizetype(0) << 5;
    QTest::newRow("language name") << &PrinterCommands::setLanguage << qsizetype(2) << 5;
    QTest::newRow("language lock") << &PrinterCommands::setLanguage << qsizetype(4) << 5;
}

void TestCommands::undeliveredWrite()
{
    QFETCH(Write, write);
    QFETCH(qsizetype, undeliverable);
    QFETCH(int, commands);

    Bench b;
    b.view.codePage = l("17 - 866 Cyrillic");
    b.view.codePageName = l("17 - Cyrillic");
    b.view.interChars = l("0 - U.S.A.");
    b.link.undeliverable = {undeliverable};
    QCOMPARE((b.commands.*write)(), WriteResult::Failed);
    // Every command is still tried in its order, so that the printer ends up locked.
    const QStringList transcript = b.link.transcript();
    QCOMPARE(transcript.size(), commands);
    QCOMPARE(transcript.first(), kUnlock);
    QCOMPARE(transcript.last(), kLock);
    QVERIFY(b.prompter.shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"

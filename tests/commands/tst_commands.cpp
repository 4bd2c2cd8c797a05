// The printer's command set against a stand-in for the link, the window and the message boxes:
// the bytes of every command, how each reply is judged and shown, and the writes under the lock.

#include "CommandLink.h"
#include "PrinterCommands.h"
#include "PrinterView.h"
#include "Prompter.h"
#include "SwitchBits.h"

#include <QTest>

using Query = bool (PrinterCommands::*)();
using Write = WriteResult (PrinterCommands::*)();
Q_DECLARE_METATYPE(Query)
Q_DECLARE_METATYPE(Write)
Q_DECLARE_METATYPE(WriteResult)

namespace {

QString l(const char *text)
{
    return QString::fromLatin1(text);
}

// The link, the window and the message boxes in one: every command (its mode and its bytes in
// hex), everything shown and every message box go into one journal, in order. "R" commands are
// answered from `replies`; the commands at the positions in `undeliverable` are not sent.
class Bench : public CommandLink, public PrinterView, public Prompter
{
public:
    bool SendCommand(const QByteArray &command, QString &reply) override
    {
        const bool delivered = !undeliverable.contains(sent++);
        journal.append(reply + u' ' + QString::fromLatin1(command.toHex(' ')));
        const bool answered = delivered && reply == u"R" && !replies.isEmpty();
        reply = answered ? replies.takeFirst() : QString();
        return delivered;
    }
    void ShowSwitchValue(SwitchByte sw, int value) override
    {
        journal.append(QStringLiteral("show SW%1 %2").arg(int(sw) + 1).arg(value));
    }
    std::array<quint8, 3> GetSwitchDigits(SwitchByte sw) const override
    {
        return SwitchBits::digitCodes(switchValues[std::size_t(sw)]);
    }
    void setPrinterInfo(int index, const QString &text) override
    {
        journal.append(QStringLiteral("printer info %1 ").arg(index) + text);
    }
    void setLanguageInfo(int index, const QString &text) override
    {
        journal.append(QStringLiteral("language info %1 ").arg(index) + text);
    }
    QString codePageText() const override { return fields.value(0); }
    QString codePageNameText() const override { return fields.value(1); }
    QString interCharsText() const override { return fields.value(2); }
    void setDataChanged(bool changed) override
    {
        journal.append(changed ? l("changed") : l("unchanged"));
    }
    void setSelfTestEnabled(bool enabled) override
    {
        journal.append(enabled ? l("self test on") : l("self test off"));
    }
    void AppendLog(const QString &text) override { journal.append(l("log ") + text); }
    void inform(const QString &text, const QString &title) override
    {
        journal.append(title + l(": ") + text);
    }
    bool ask(const QString &, const QString &) override { return false; }

    QStringList journal;
    QStringList replies;
    QList<int> undeliverable;
    int sent = 0;
    // Each byte differs from the others, so that none can leak into another's write.
    std::array<int, 3> switchValues{0, 129, 37};
    QStringList fields; // code page, code-page name, character set
    PrinterCommands commands{*this, *this, *this};
};

const QString kUnlock = l("W 1d 67 75 6e 6c 00");
const QString kLock = l("W 1d 67 6c 63 6b 00");

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
    void selfTest();
    void writes_data();
    void writes();
};

void TestCommands::switchQuery_data()
{
    QTest::addColumn<int>("sw"); // 0 to 2
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("shown"); // -1: refused

    QTest::newRow("SW1 255") << 0 << l("255") << 255;
    QTest::newRow("SW2 0") << 1 << l("0") << 0;
    QTest::newRow("SW3 256") << 2 << l("256") << -1;
    QTest::newRow("SW1 -1") << 0 << l("-1") << -1;
    QTest::newRow("SW2 -0.4") << 1 << l("-0.4") << -1;
    QTest::newRow("SW3 255.5") << 2 << l("255.5") << -1;
    // Nothing or no number is no switch byte, not a byte with every switch ON.
    QTest::newRow("SW1 empty") << 0 << l("") << -1;
    QTest::newRow("SW2 letters") << 1 << l("abc") << -1;
    QTest::newRow("SW3 12.5") << 2 << l("12.5") << 12;
    QTest::newRow("SW1 2.5 to even") << 0 << l("2.5") << 2;
    QTest::newRow("SW2 3.5 to even") << 1 << l("3.5") << 4;
    QTest::newRow("SW3 blanks and line end") << 2 << l(" 2 55\r\n") << 255;
}

void TestCommands::switchQuery()
{
    QFETCH(int, sw);
    QFETCH(QString, reply);
    QFETCH(int, shown);

    const Query queries[] = {&PrinterCommands::getSW1, &PrinterCommands::getSW2,
                             &PrinterCommands::getSW3};
    Bench b;
    b.replies = {reply};
    QCOMPARE((b.commands.*queries[sw])(), shown >= 0);
    QStringList journal{QStringLiteral("R 1d 67 34 %1 00").arg(0x27 + sw, 0, 16)};
    if (shown >= 0) // the reply is logged as it came
        journal << QStringLiteral("log getSW%1-->").arg(sw + 1) + reply + l("\r\n")
                << QStringLiteral("show SW%1 %2").arg(sw + 1).arg(shown);
    journal << l("unchanged");
    QCOMPARE(b.journal, journal);
}

void TestCommands::infoQuery_data()
{
    QTest::addColumn<Query>("query"); // the data tag is the tag of its log line
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("label");

    const auto row = [](const char *name, Query query, const char *command, const char *label) {
        QTest::newRow(name) << query << l(command) << l(label);
    };
    row("getLanguageInfo1", &PrinterCommands::getLanguageInfo1, "1d 67 34 24", "language info 0");
    row("getLanguageInfo2", &PrinterCommands::getLanguageInfo2, "1d 49 45", "language info 1");
    row("getLanguageInfo3", &PrinterCommands::getLanguageInfo3, "1d 67 34 21", "language info 2");
    row("getLanguageInfo4", &PrinterCommands::getLanguageInfo4, "1d 67 34 22", "language info 3");
    row("getPrinterInfo1", &PrinterCommands::getPrinterInfo1, "1d 49 43", "printer info 0");
    row("getPrinterInfo2", &PrinterCommands::getPrinterInfo2, "1d 49 41", "printer info 1");
    row("getPrinterInfo3", &PrinterCommands::getPrinterInfo3, "1d 67 34 10", "printer info 2");
    row("getPrinterInfo4", &PrinterCommands::getPrinterInfo4, "1d 67 34 16", "printer info 3");
}

void TestCommands::infoQuery()
{
    QFETCH(Query, query);
    QFETCH(QString, command);
    QFETCH(QString, label);

    // The reply is shown as it came, blanks and line ends included; no reply is refused.
    const QString reply = l(" KV-4100 \r\n");
    const QString log = l("log ") + l(QTest::currentDataTag()) + l("-->") + reply + l("\r\n");
    Bench b;
    b.replies = {reply, QString()};
    QVERIFY((b.commands.*query)());
    QVERIFY(!(b.commands.*query)());
    QCOMPARE(b.journal,
             (QStringList{l("R ") + command, log, label + u' ' + reply, l("R ") + command}));
}

void TestCommands::makerQuery_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("maker") << l("NORVANTA") << true;
    QTest::newRow("lower case") << l("norvanta") << false;
    QTest::newRow("line end") << l("NORVANTA\r\n") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestCommands::makerQuery()
{
    QFETCH(QString, reply);
    QFETCH(bool, accepted);

    Bench b;
    b.replies = {reply};
    QCOMPARE(b.commands.getMakerInfo(), accepted);
    QCOMPARE(b.commands.MakerName(), reply);
    QStringList journal{l("R 1d 49 42"), l("log getMakerInfo-->") + reply + l("\r\n")};
    if (accepted)
        journal << l(
            "KV_SW_Utility: Welcome to NORVANTA world.\r\n\r\nCommunication test finished.");
    QCOMPARE(b.journal, journal);
}

void TestCommands::selfTest()
{
    Bench b;
    b.replies = {l("255")}; // whatever the printer answers is not looked at
    b.commands.cmd0_Click();
    QCOMPARE(b.journal,
             (QStringList{l("self test off"), l("R 1d 28 41 02 00 00 02"), l("self test on")}));
}

void TestCommands::writes_data()
{
    QTest::addColumn<Write>("write");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("undeliverable"); // -1: every command is sent
    QTest::addColumn<WriteResult>("result");
    QTest::addColumn<QStringList>("journal");

    const auto sw = [](const char *bytes) { return QStringList{kUnlock, l(bytes), kLock}; };
    const Write sw1 = &PrinterCommands::setSW1, sw2 = &PrinterCommands::setSW2,
                sw3 = &PrinterCommands::setSW3, language = &PrinterCommands::setLanguage;
    const QStringList none;
    const WriteResult written = WriteResult::Written, failed = WriteResult::Failed;
    QTest::newRow("SW1 0") << sw1 << none << -1 << written << sw("W 1d 67 38 27 30 00 00 00");
    QTest::newRow("SW2 129") << sw2 << none << -1 << written << sw("W 1d 67 38 28 31 32 39 00");
    QTest::newRow("SW3 37") << sw3 << none << -1 << written << sw("W 1d 67 38 29 33 37 00 00");

    const QStringList cyrillic{l("17 - 866 Cyrillic"), l("17 - Cyrillic"), l("0 - U.S.A.")};
    const QStringList cyrillicWrite{
        kUnlock, l("W 1d 67 38 21 31 37 00 00"),
        l("W 1d 67 38 24 43 59 52 49 4c 4c 49 43 00 00 00 00 00 00 00 00 00 00 00 00 00"),
        l("W 1d 67 38 22 30 00 00"), kLock};
    QTest::newRow("Cyrillic") << language << cyrillic << -1 << written << cyrillicWrite;
    // A name is cut at 20 characters, then trimmed.
    QTest::newRow("long name")
        << language
        << QStringList{l("250-LITHUANIA"), l("1  - abcdefghijklmnopqrs uvw"),
                       l("12- Latin America")}
        << -1 << written
        << QStringList{kUnlock, l("W 1d 67 38 21 32 35 30 00"),
                       l("W 1d 67 38 24 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53 "
                         "00 00"),
                       l("W 1d 67 38 22 31 32 00"), kLock};

    // A field that is empty once trimmed: nothing is sent, and the user is told.
    const QStringList refused{l("KV_SW_Utility: Please select a code page and an international "
                                "character set before writing.\r\nNothing was written to the "
                                "printer.")};
    QTest::newRow("blank code page")
        << language << QStringList{l("   - 437"), cyrillic[1], cyrillic[2]} << -1
        << WriteResult::Refused << refused;
    QTest::newRow("blank name") << language << QStringList{cyrillic[0], l("17 -   "), cyrillic[2]}
                                << -1 << WriteResult::Refused << refused;
    QTest::newRow("no character set") << language << QStringList{cyrillic[0], cyrillic[1]} << -1
                                      << WriteResult::Refused << refused;

    // A command that could not be sent fails the write; the ones after it, the lock above all,
    // are still sent.
    QTest::newRow("SW2 value not sent")
        << sw2 << none << 1 << failed << sw("W 1d 67 38 28 31 32 39 00");
    QTest::newRow("language name not sent") << language << cyrillic << 2 << failed << cyrillicWrite;
    QTest::newRow("language lock not sent") << language << cyrillic << 4 << failed << cyrillicWrite;
}

void TestCommands::writes()
{
    QFETCH(Write, write);
    QFETCH(QStringList, fields);
    QFETCH(int, undeliverable);
    QFETCH(WriteResult, result);
    QFETCH(QStringList, journal);

    Bench b;
    b.fields = fields;
    b.undeliverable = {undeliverable};
    QCOMPARE((b.commands.*write)(), result);
    QCOMPARE(b.journal, journal);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"

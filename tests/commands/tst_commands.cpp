// The printer's command set against a stand-in for the link, the window and the message boxes:
// the bytes of every command, how each reply is judged and shown, and the writes under the lock.

#include "CommandLink.h"
#include "PrinterCommands.h"
#include "PrinterView.h"
#include "Prompter.h"
#include "SwitchBits.h"

#include <QTest>

using Query = bool (PrinterCommands::*)();
Q_DECLARE_METATYPE(Query)
Q_DECLARE_METATYPE(WriteResult)

namespace {

const auto l = [](const char *text) { return QString::fromLatin1(text); };

// Link, window and message boxes in one journal: commands (mode, bytes in hex), all that is shown,
// message boxes. "R" commands get `replies`; the command at `undeliverable` is not sent.
class Bench : public CommandLink, public PrinterView, public Prompter
{
public:
    bool SendCommand(const QByteArray &command, QString &reply) override
    {
        const bool delivered = sent++ != undeliverable;
        journal << reply + u' ' + QString::fromLatin1(command.toHex(' '));
        reply = delivered && reply == u"R" && !replies.isEmpty() ? replies.takeFirst() : QString();
        return delivered;
    }
    void ShowSwitchValue(SwitchByte sw, int v) override
    {
        journal << l("show SW%1 %2").arg(int(sw) + 1).arg(v);
    }
    std::array<quint8, 3> GetSwitchDigits(SwitchByte sw) const override
    {
        return SwitchBits::digitCodes(switchValues[std::size_t(sw)]);
    }
    void setPrinterInfo(int i, const QString &s) override { journal << l("kv %1 ").arg(i) + s; }
    void setLanguageInfo(int i, const QString &s) override { journal << l("lang %1 ").arg(i) + s; }
    QString codePageText() const override { return fields.value(0); }
    QString codePageNameText() const override { return fields.value(1); }
    QString interCharsText() const override { return fields.value(2); }
    void setDataChanged(bool changed) override { journal << l(changed ? "changed" : "unchanged"); }
    void setSelfTestEnabled(bool on) override { journal << l(on ? "test on" : "test off"); }
    void AppendLog(const QString &text) override { journal << l("log ") + text; }
    void inform(const QString &s, const QString &title) override { journal << title + l(": ") + s; }
    bool ask(const QString &, const QString &) override { return false; }

    QStringList journal, replies;
    int sent = 0, undeliverable = -1;
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
    void switchQuery_data()
    {
        QTest::addColumn<int>("sw"); // 0 to 2
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("shown"); // -1: refused

        QTest::newRow("SW1 255") << 0 << l("255") << 255;
        QTest::newRow("SW3 256") << 2 << l("256") << -1;
        QTest::newRow("SW1 -1") << 0 << l("-1") << -1;
        // Nothing or no number is no switch byte, not a byte with every switch ON.
        QTest::newRow("SW1 empty") << 0 << l("") << -1;
        QTest::newRow("SW2 letters") << 1 << l("abc") << -1;
        QTest::newRow("SW3 12.5 to even") << 2 << l("12.5") << 12;
        QTest::newRow("SW3 blanks and line end") << 2 << l(" 2 55\r\n") << 255;
    }

    void switchQuery()
    {
        QFETCH(int, sw);
        QFETCH(QString, reply);
        QFETCH(int, shown);

        Bench b;
        b.replies = {reply};
        QCOMPARE(b.commands.getSwitch(SwitchByte(sw)), shown >= 0);
        QStringList journal{QStringLiteral("R 1d 67 34 %1 00").arg(0x27 + sw, 0, 16)};
        if (shown >= 0) // the reply is logged as it came
            journal << QStringLiteral("log getSW%1-->").arg(sw + 1) + reply + l("\r\n")
                    << QStringLiteral("show SW%1 %2").arg(sw + 1).arg(shown);
        QCOMPARE(b.journal, journal << l("unchanged"));
    }

    void infoQuery_data()
    {
        QTest::addColumn<Query>("query"); // the data tag is the tag of its log line
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("label");

        const auto row = [](const char *name, Query query, const char *command, const char *label) {
            QTest::newRow(name) << query << l(command) << l(label);
        };
        row("getLanguageInfo1", &PrinterCommands::getLanguageInfo1, "1d 67 34 24", "lang 0");
        row("getLanguageInfo2", &PrinterCommands::getLanguageInfo2, "1d 49 45", "lang 1");
        row("getLanguageInfo3", &PrinterCommands::getLanguageInfo3, "1d 67 34 21", "lang 2");
        row("getLanguageInfo4", &PrinterCommands::getLanguageInfo4, "1d 67 34 22", "lang 3");
        row("getPrinterInfo1", &PrinterCommands::getPrinterInfo1, "1d 49 43", "kv 0");
        row("getPrinterInfo2", &PrinterCommands::getPrinterInfo2, "1d 49 41", "kv 1");
        row("getPrinterInfo3", &PrinterCommands::getPrinterInfo3, "1d 67 34 10", "kv 2");
        row("getPrinterInfo4", &PrinterCommands::getPrinterInfo4, "1d 67 34 16", "kv 3");
    }

    void infoQuery()
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

    void makerQuery()
    {
        // Only the maker's name in capitals is taken; each reply becomes the maker name.
        Bench b;
        b.replies = {l("norvanta"), l("NORVANTA")};
        QVERIFY(!b.commands.getMakerInfo());
        QCOMPARE(b.commands.MakerName(), l("norvanta"));
        QVERIFY(b.commands.getMakerInfo());
        QCOMPARE(b.commands.MakerName(), l("NORVANTA"));
        QCOMPARE(b.journal, (QStringList{l("R 1d 49 42"), l("log getMakerInfo-->norvanta\r\n"),
                                         l("R 1d 49 42"), l("log getMakerInfo-->NORVANTA\r\n"),
                                         l("KV_SW_Utility: Welcome to NORVANTA world.\r\n\r\n"
                                           "Communication test finished.")}));
    }

    void selfTest()
    {
        Bench b;
        b.replies = {l("255")}; // whatever the printer answers is not looked at
        b.commands.cmd0_Click();
        QCOMPARE(b.journal.join(u'|'), l("test off|R 1d 28 41 02 00 00 02|test on"));
    }

    void writes_data()
    {
        QTest::addColumn<int>("sw"); // 0 to 2; -1: the language write
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("undeliverable"); // -1: every command is sent
        QTest::addColumn<WriteResult>("result");
        QTest::addColumn<QStringList>("journal");

        const auto sw = [](const char *bytes) { return QStringList{kUnlock, l(bytes), kLock}; };
        const QStringList none;
        const WriteResult written = WriteResult::Written, failed = WriteResult::Failed;
        QTest::newRow("SW1 0") << 0 << none << -1 << written << sw("W 1d 67 38 27 30 00 00 00");
        QTest::newRow("SW2 129") << 1 << none << -1 << written << sw("W 1d 67 38 28 31 32 39 00");
        QTest::newRow("SW3 37") << 2 << none << -1 << written << sw("W 1d 67 38 29 33 37 00 00");

        // Unlock, code page, name (its text in 21 bytes), character set, lock.
        const auto language = [](const char *page, const char *name, const char *set) {
            const QByteArray nameBytes = QByteArray(name).leftJustified(21, '\0');
            return QStringList{kUnlock, l("W 1d 67 38 21 ") + l(page),
                               l("W 1d 67 38 24 ") + QString::fromLatin1(nameBytes.toHex(' ')),
                               l("W 1d 67 38 22 ") + l(set), kLock};
        };
        // The name is cut at 20 characters, then trimmed.
        const QStringList fields{l("17 - 866 Cyrillic"), l("1  - abcdefghijklmnopqrs uvw"),
                                 l("0 - U.S.A.")};
        const QStringList sent = language("31 37 00 00", "ABCDEFGHIJKLMNOPQRS", "30 00 00");
        QTest::newRow("language") << -1 << fields << -1 << written << sent;
        // A field that is empty once trimmed: nothing is sent, and the user is told.
        QTest::newRow("blank code page")
            << -1 << QStringList{l("   - 437"), l("17 - Cyrillic"), l("0 - U.S.A.")} << -1
            << WriteResult::Refused
            << QStringList{l("KV_SW_Utility: Please select a code page and an international "
                             "character set before writing.\r\nNothing was written to the "
                             "printer.")};
        // A command not sent fails the write; the ones after it, the lock above all, are sent.
        QTest::newRow("language, unlock lost") << -1 << fields << 0 << failed << sent;
    }

    void writes()
    {
        QFETCH(int, sw);
        QFETCH(QStringList, fields);
        QFETCH(int, undeliverable);
        QFETCH(WriteResult, result);
        QFETCH(QStringList, journal);

        Bench b;
        b.fields = fields;
        b.undeliverable = undeliverable;
        QCOMPARE(sw < 0 ? b.commands.setLanguage() : b.commands.setSwitch(SwitchByte(sw)), result);
        QCOMPARE(b.journal, journal);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"

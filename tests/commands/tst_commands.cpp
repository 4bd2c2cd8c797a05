// The printer's command set against a stand-in for the channel and a plain settings model: the
// bytes of every command, how each reply is judged and put into the model, and the writes under
// the lock that take their bytes from it.

#include "CommandChannel.h"
#include "CommandReport.h"
#include "PrinterCommands.h"
#include "SettingsModel.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

using Query = bool (PrinterCommands::*)();
using Write = WriteResult (PrinterCommands::*)();

namespace {

// Channel and report in one journal, in order: commands (mode, bytes in hex), proofs of the
// link being in step, log lines and message boxes. Queries get `replies`, those in `mixed` as
// replies with foreign bytes inside; proofs get `proofs`, else they succeed; the command
// numbered `undeliverable` is not sent.
class Journal : public CommandChannel, public CommandReport
{
public:
    bool SendCommand(const QByteArray &command, QString &reply) override
    {
        const bool delivered = sent++ != undeliverable;
        entries << reply + u' ' + QString::fromLatin1(command.toHex(' '));
        reply = delivered && reply == u"R" && !replies.isEmpty() ? replies.takeFirst() : QString();
        whole = !mixed.contains(reply);
        return delivered;
    }
    bool replyWasWhole() const override { return whole; }
    InStepProof proveInStep() override
    {
        entries << u"prove"_s;
        return proofs.isEmpty() ? InStepProof::Proven : proofs.takeFirst();
    }
    bool SendClosingCommand(const QByteArray &command) override
    {
        entries << u"closing "_s + QString::fromLatin1(command.toHex(' '));
        return sent++ != undeliverable;
    }
    void AppendLog(const QString &text) override { entries << u"log "_s + text; }
    void showMessage(const QString &text) override { entries << u"message: "_s + text; }
    void switchQueried(SwitchByte sw, bool read) override
    {
        entries << u"queried %1 %2"_s.arg(switchName(sw), read ? u"read"_s : u"unread"_s);
    }
    void infoFilled(InfoGroup, int index) override { entries << u"filled %1"_s.arg(index); }

    QStringList entries, replies, mixed;
    QList<InStepProof> proofs;
    bool whole = true;
    int sent = 0, undeliverable = -1;
    SettingsModel model;
    PrinterCommands commands{*this, model, *this};
};

const QString kUnlock = u"W 1d 67 75 6e 6c 00"_s;
// The lock after an unlock the printer took must reach it however late; after an unlock that did
// not go, it is an ordinary write.
const QString kLock = u"closing 1d 67 6c 63 6b 00"_s;
const QString kPlainLock = u"W 1d 67 6c 63 6b 00"_s;

// Before a language write: the proof, then the code page and character set read again (the
// printer holds 0 and 0, as the model was read).
const QStringList kLanguageChecked{u"prove"_s, u"R 1d 67 34 21"_s,
                                   u"log getLanguageInfo3-->0\r\n"_s, u"R 1d 67 34 22"_s,
                                   u"log getLanguageInfo4-->0\r\n"_s};

// The commands of a language write: proof and reading again, unlock, code page, name (its text in
// 21 bytes), character set, lock.
QStringList languageWrite(const char *codePage, const char *name, const char *charset)
{
    const QByteArray nameBytes = QByteArray(name).leftJustified(21, '\0');
    return kLanguageChecked +
           QStringList{kUnlock, u"W 1d 67 38 21 "_s + QString::fromLatin1(codePage),
                       u"W 1d 67 38 24 "_s + QString::fromLatin1(nameBytes.toHex(' ')),
                       u"W 1d 67 38 22 "_s + QString::fromLatin1(charset), kLock};
}

// Before a write of SW2, held as 37: the proof, then SW2 read again.
const QStringList kSW2Checked{u"prove"_s, u"R 1d 67 34 28 00"_s, u"log getSW2-->37\r\n"_s};

} // namespace

struct SwitchReply
{
    Query query = nullptr;
    QString command{};
    QString name{}; // of the switch byte
    QString reply{};
    std::optional<int> shown{}; // none: refused
    bool mixed = false;         // foreign bytes came inside the reply
};
Q_DECLARE_METATYPE(SwitchReply)

struct SettingWrite
{
    Write write = nullptr;
    std::optional<int> codePage{}; // to write
    std::optional<int> charset = 0;
    bool swRead = false;                 // SW2 was read as 37; 45 is to be written
    QStringList replies{u"0"_s, u"0"_s}; // to the queries that read again before the write
    QStringList mixed{};                 // replies with foreign bytes inside
    QList<InStepProof> proofs{};
    int undeliverable = -1; // the command not sent, counted from 0
    WriteResult result = WriteResult::Written;
    QStringList journal{};
};
Q_DECLARE_METATYPE(SettingWrite)

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void switchQuery_data();
    void switchQuery();
    void textReplies();
    void writes_data();
    void writes();
};

void TestCommands::switchQuery_data()
{
    QTest::addColumn<SwitchReply>("row");

    const auto row = [](const char *name, int sw, const QString &reply, std::optional<int> shown) {
        constexpr Query kQueries[] = {&PrinterCommands::getSW1, &PrinterCommands::getSW2,
                                      &PrinterCommands::getSW3};
        QTest::newRow(name) << SwitchReply{kQueries[sw - 1],
                                           u"R 1d 67 34 %1 00"_s.arg(0x26 + sw, 0, 16),
                                           u"SW%1"_s.arg(sw), reply, shown};
    };
    row("SW1 255: all OFF", 1, u"255"_s, 255);
    row("SW3 256: refused", 3, u"256"_s, std::nullopt);
    row("SW1 -1: refused", 1, u"-1"_s, std::nullopt);
    // Nothing or no number is no switch byte, not a byte with every switch ON.
    row("SW1 no reply: refused", 1, u""_s, std::nullopt);
    // A number is all digits: whatever number a reply begins with, anything else makes it none.
    row("SW3 12.5: refused", 3, u"12.5"_s, std::nullopt);
    row("SW2 233 with a blank: refused", 2, u"233 "_s, std::nullopt);
    const QString xoffInside = QString::fromLatin1("2\x13"
                                                   "33");
    QTest::newRow("SW2 XOFF inside 233: logged as it came, refused") << SwitchReply{
        &PrinterCommands::getSW2, u"R 1d 67 34 28 00"_s, u"SW2"_s, xoffInside, std::nullopt, true};
}

void TestCommands::switchQuery()
{
    QFETCH(SwitchReply, row);

    Journal journal;
    journal.replies = {row.reply};
    if (row.mixed)
        journal.mixed = {row.reply};
    QCOMPARE((journal.commands.*row.query)(), row.shown.has_value());
    QStringList expected{row.command};
    if (row.shown || row.mixed) // the reply is logged as it came
        expected << u"log get"_s + row.name + u"-->"_s + row.reply + u"\r\n"_s;
    QCOMPARE(journal.entries,
             expected << u"queried %1 %2"_s.arg(row.name, row.shown ? u"read"_s : u"unread"_s));
    const std::optional<quint8> held =
        journal.model.switches.at(std::size_t(row.name.back().digitValue() - 1));
    QCOMPARE(held.has_value(), row.shown.has_value());
    if (row.shown) {
        QCOMPARE(int(*held), *row.shown);
        // A byte read is what the next write of it sends, until the user changes it.
        QCOMPARE(
            int(journal.model.switchesToWrite.at(std::size_t(row.name.back().digitValue() - 1))),
            *row.shown);
    }
}

void TestCommands::textReplies()
{
    // The model name is shown as it came, blanks and line ends included; no reply is refused and
    // leaves the label as it was. (Which command, log tag and label each query has, the
    // end-to-end tests see in the printer's bytes, the log and the labels.) Of the maker's name
    // only capitals are taken, yet each reply becomes the maker name. What the printer answers to
    // the self-test is not looked at.
    const QString model = u" KV-4100 \r\n"_s;
    Journal journal;
    journal.replies = {model, QString(), u"norvanta"_s, u"NORVANTA"_s, u"255"_s};
    QVERIFY(journal.commands.getPrinterInfo1());
    QVERIFY(!journal.commands.getPrinterInfo1());
    QCOMPARE(journal.model.modelName(), model);
    QVERIFY(!journal.commands.getMakerInfo());
    QCOMPARE(journal.model.makerName, u"norvanta"_s);
    QVERIFY(journal.commands.getMakerInfo());
    QCOMPARE(journal.model.makerName, u"NORVANTA"_s);
    journal.commands.startSelfTest();
    QCOMPARE(journal.entries,
             (QStringList{u"R 1d 49 43"_s, u"log getPrinterInfo1-->"_s + model + u"\r\n"_s,
                          u"filled 0"_s, u"R 1d 49 43"_s, u"R 1d 49 42"_s,
                          u"log getMakerInfo-->norvanta\r\n"_s, u"R 1d 49 42"_s,
                          u"log getMakerInfo-->NORVANTA\r\n"_s,
                          u"message: Welcome to NORVANTA world.\r\n\r\n"
                          "Communication test finished."_s,
                          u"R 1d 28 41 02 00 00 02"_s}));
}

void TestCommands::writes_data()
{
    QTest::addColumn<SettingWrite>("row");

    // (A switch byte read and written: the end-to-end tests compare the printer's bytes.)
    // A byte never read shows no value of the printer's: nothing of it is written.
    QTest::newRow("SW2 never read: nothing sent")
        << SettingWrite{.write = &PrinterCommands::setSW2, .result = WriteResult::NotRead};

    // A write of SW2 read as 37, now to be 45.
    const auto sw2 = [](const char *name, SettingWrite row) {
        row.write = &PrinterCommands::setSW2;
        row.swRead = true;
        QTest::newRow(name) << row;
    };
    // SW2 is written only once the link proved in step and SW2, read again, is still 37.
    const QStringList sw2Write =
        kSW2Checked + QStringList{kUnlock, u"W 1d 67 38 28 34 35 00 00"_s, kLock};
    sw2("SW2 in step and unchanged: 45 written",
        SettingWrite{.replies = {u"37"_s}, .journal = sw2Write});
    // The printer answered a query twice: the proof gets another answer. Nothing is sent, and SW2,
    // read since the last proof, is unread.
    sw2("SW2 after an answer given twice: nothing sent, SW2 unread",
        SettingWrite{.proofs = {InStepProof::OutOfStep},
                     .result = WriteResult::OutOfStep,
                     .journal = {u"prove"_s, u"queried SW2 unread"_s}});
    sw2("SW2 with the link gone before the proof: nothing sent",
        SettingWrite{.proofs = {InStepProof::NotSent},
                     .result = WriteResult::Failed,
                     .journal = {u"prove"_s}});
    sw2("SW2 read again as 36: nothing sent",
        SettingWrite{.replies = {u"36"_s},
                     .result = WriteResult::Changed,
                     .journal = {u"prove"_s, u"R 1d 67 34 28 00"_s, u"log getSW2-->36\r\n"_s}});
    const QString xoffInside = QString::fromLatin1("3\x13"
                                                   "7");
    sw2("SW2 read again with XOFF inside 37: logged, nothing sent",
        SettingWrite{.replies = {xoffInside},
                     .mixed = {xoffInside},
                     .result = WriteResult::Changed,
                     .journal = {u"prove"_s, u"R 1d 67 34 28 00"_s,
                                 u"log getSW2-->"_s + xoffInside + u"\r\n"_s}});
    // The link ends once the bytes went out: what the printer holds is unknown.
    sw2("SW2 link ended after the write: lock lost, unknown",
        SettingWrite{.replies = {u"37"_s},
                     .undeliverable = 3,
                     .result = WriteResult::Unknown,
                     .journal = sw2Write});
    sw2("SW2 printer stalled after the unlock: write lost, lock sent, unknown",
        SettingWrite{.replies = {u"37"_s},
                     .undeliverable = 2,
                     .result = WriteResult::Unknown,
                     .journal = sw2Write});

    const auto language = [](const char *name, SettingWrite row) {
        row.write = &PrinterCommands::setLanguage;
        QTest::newRow(name) << row;
    };
    const QStringList cyrillicWrite = languageWrite("31 37 00 00", "CYRILLIC", "30 00 00");
    QStringList unlockLost = cyrillicWrite;
    unlockLost.last() = kPlainLock;
    // A name of exactly 20 characters fills its field; the number goes as digit characters.
    language(
        "language: code page 2, name of 20 characters",
        SettingWrite{.codePage = 2,
                     .journal = languageWrite("32 00 00 00", "MULTILINGUAL(LATINI)", "30 00 00")});
    // The name after a three-digit number is the whole name.
    language("language: 250-LITHUANIA sends LITHUANIA",
             SettingWrite{.codePage = 250,
                          .charset = 12,
                          .journal = languageWrite("32 35 30 00", "LITHUANIA", "31 32 00")});
    // No code page chosen, or one without an entry: nothing is sent, and the user is told.
    const QStringList refusal{u"message: Please select a code page and an international character "
                              "set before writing.\r\nNothing was written to the printer."_s};
    language("language: no code page, nothing sent",
             SettingWrite{.result = WriteResult::Refused, .journal = refusal});
    language("language: code page 6 has no entry, nothing sent",
             SettingWrite{.codePage = 6, .result = WriteResult::Refused, .journal = refusal});
    // A command not sent fails the write; the ones after it, the lock above all, are sent.
    language("language: unlock lost, the rest still sent",
             SettingWrite{.codePage = 17,
                          .undeliverable = 2,
                          .result = WriteResult::Failed,
                          .journal = unlockLost});
    language("language: name lost, the lock still follows, unknown",
             SettingWrite{.codePage = 17,
                          .undeliverable = 4,
                          .result = WriteResult::Unknown,
                          .journal = cyrillicWrite});
}

void TestCommands::writes()
{
    QFETCH(SettingWrite, row);

    Journal journal;
    journal.model.languageInfo = {u"CP437"_s, u"ANK"_s, u"0"_s, u"0"_s};
    if (row.swRead) {
        journal.replies = {u"37"_s};
        QVERIFY(journal.commands.getSW2());
        journal.model.switchToWrite(SwitchByte::SW2) = 45;
        journal.entries.clear();
    }
    journal.model.codePageToWrite = row.codePage;
    journal.model.charsetToWrite = row.charset;
    journal.replies = row.replies;
    journal.mixed = row.mixed;
    journal.proofs = row.proofs;
    if (row.undeliverable >= 0)
        journal.undeliverable = row.undeliverable + journal.sent;
    QCOMPARE((journal.commands.*row.write)(), row.result);
    QCOMPARE(journal.entries, row.journal);
    // After a failed proof the byte read before it is no value of the printer's.
    QCOMPARE(journal.model.switchByte(SwitchByte::SW2).has_value(),
             row.swRead && row.result != WriteResult::OutOfStep);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"

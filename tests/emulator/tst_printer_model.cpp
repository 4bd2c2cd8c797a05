// The printer model without I/O: the command parser, the printer's answers and setting changes,
// the state file and the command line.

#include "CommandLine.h"
#include "CommandParser.h"
#include "Printer.h"
#include "StateFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A printer whose every value differs, so that a reply shows which value it came from.
PrinterSettings distinctSettings()
{
    PrinterSettings s;
    s.maker = QStringLiteral("MAKER");
    s.model = QStringLiteral("MODEL-9");
    s.firmware = QStringLiteral("FW 3.1");
    s.fontRom = QStringLiteral("ROM A");
    s.languageModel = QStringLiteral("LANG");
    s.sw1 = 11;
    s.sw2 = 22;
    s.sw3 = 33;
    s.codePage = 17;
    s.charset = 5;
    s.hoursPowered = 4444;
    s.cutPaperCount = 5555;
    return s;
}

// What a printer made of a stream fed in the given pieces.
struct Outcome
{
    QByteArray replies;
    QStringList lines;
    PrinterSnapshot snapshot;
    qsizetype pending = 0;
};

Outcome run(const QList<QByteArray> &pieces, const PrinterSettings &settings = distinctSettings())
{
    Printer printer(settings);
    CommandParser parser;
    Outcome outcome;
    for (const QByteArray &piece : pieces) {
        for (const ParsedCommand &command : parser.feed(piece)) {
            const Exchange exchange = printer.execute(command);
            outcome.replies += exchange.reply;
            outcome.lines << exchange.line;
        }
    }
    outcome.snapshot = printer.snapshot();
    outcome.pending = parser.pending();
    return outcome;
}

Outcome run(const QByteArray &stream)
{
    return run(QList<QByteArray>{stream});
}

QList<QByteArray> chunks(const QByteArray &stream, qsizetype size)
{
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < stream.size(); at += size)
        pieces << stream.mid(at, size);
    return pieces;
}

QStringList commandLines(const QStringList &lines)
{
    QStringList commands = lines;
    commands.removeIf(
        [](const QString &line) { return line.startsWith(QStringLiteral("skipped")); });
    return commands;
}

const QByteArray kUnlock = hex("1D 67 75 6E 6C 00");
const QByteArray kLock = hex("1D 67 6C 63 6B 00");
const QByteArray kMakerQuery = hex("1D 49 42");
const QByteArray kMakerReply = QByteArray("_MAKER") + '\0';
const QByteArray kSw2Reply = QByteArray("_22") + '\0';
const QByteArray kLangReply = QByteArray("_LANG") + '\0';

// Every command of the set once, some noise between them, and writes inside an unlock.
QByteArray everyCommand()
{
    return hex("1D 49 41 1D 49 42 1D 49 43 1D 49 45"
               "1D 67 34 27 00 1D 67 34 28 00 1D 67 34 29 00"
               "1D 67 34 21 1D 67 34 22 1D 67 34 24 1D 67 34 10 1D 67 34 16"
               "41 42 1D 1D 67 34 63") +
           kUnlock +
           hex("1D 67 38 27 32 30 30 00 1D 67 38 28 31 32 39 00 1D 67 38 29 35 00 00 00"
               "1D 67 38 21 32 35 30 00 1D 67 38 22 31 32 00") +
           hex("1D 67 38 24") + QByteArray("CYRILLIC").leftJustified(20, '\0') + '\0' + kLock +
           hex("1D 28 41 02 00 00 02 1D 67 34 27 00 1D 67 34 24");
}

} // namespace

class TestPrinterModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void queries_data();
    void queries();
    void splitAnywhere_data();
    void splitAnywhere();
    void splitAtEveryPoint();
    void writes_data();
    void writes();
    void skipsWhatItDoesNotKnow_data();
    void skipsWhatItDoesNotKnow();
    void neverHoldsMoreThanOneCommand();
    void selfTestPrintsWithoutReply();
    void modelDefaults_data();
    void modelDefaults();
    void stateFile_data();
    void stateFile();
    void commandLine_data();
    void commandLine();
    void stateFileSitsBetweenDefaultsAndOptions();
};

void TestPrinterModel::queries_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    const auto block = [](const char *text) { return '_' + QByteArray(text) + '\0'; };
    QTest::newRow("firmware") << hex("1D 49 41") << block("FW 3.1");
    QTest::newRow("maker") << hex("1D 49 42") << block("MAKER");
    QTest::newRow("model") << hex("1D 49 43") << block("MODEL-9");
    QTest::newRow("font ROM") << hex("1D 49 45") << block("ROM A");
    QTest::newRow("SW1") << hex("1D 67 34 27 00") << block("11");
    QTest::newRow("SW2") << hex("1D 67 34 28 00") << block("22");
    QTest::newRow("SW3") << hex("1D 67 34 29 00") << block("33");
    QTest::newRow("code page") << hex("1D 67 34 21") << block("17");
    QTest::newRow("character set") << hex("1D 67 34 22") << block("5");
    QTest::newRow("language model") << hex("1D 67 34 24") << block("LANG");
    QTest::newRow("hours powered") << hex("1D 67 34 10") << block("4444");
    QTest::newRow("cut paper count") << hex("1D 67 34 16") << block("5555");
}

void TestPrinterModel::queries()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);

    const Outcome outcome = run(command);
    QCOMPARE(outcome.replies, reply);
    QCOMPARE(outcome.snapshot.commands, 1);
    QCOMPARE(outcome.snapshot.skippedBytes, 0);
    QCOMPARE(outcome.pending, 0);
    QVERIFY(outcome.lines.constFirst().startsWith(QStringLiteral("read ")));
    QVERIFY(outcome.lines.constFirst().endsWith(QString::fromLatin1(reply.mid(1).chopped(1))));
}

void TestPrinterModel::splitAnywhere_data()
{
    QTest::addColumn<qsizetype>("pieceSize");
    for (const qsizetype size : {1, 2, 3, 5, 7, 11, 24, 25})
        QTest::addRow("pieces of %lld", qlonglong(size)) << size;
}

void TestPrinterModel::splitAnywhere()
{
    QFETCH(qsizetype, pieceSize);

    const Outcome whole = run(everyCommand());
    const Outcome pieces = run(chunks(everyCommand(), pieceSize));
    QCOMPARE(pieces.replies, whole.replies);
    // Skipped bytes are reported per piece; the commands are the same.
    QCOMPARE(commandLines(pieces.lines), commandLines(whole.lines));
    QCOMPARE(pieces.snapshot.settings, whole.snapshot.settings);
    QCOMPARE(pieces.snapshot.skippedBytes, whole.snapshot.skippedBytes);
    QCOMPARE(pieces.pending, 0);
}

void TestPrinterModel::splitAtEveryPoint()
{
    const QByteArray stream = everyCommand();
    const Outcome whole = run(stream);
    // The stream as a whole: the two reads at its end see what the writes stored.
    QCOMPARE(whole.snapshot.commands, 23);
    QCOMPARE(whole.snapshot.skippedBytes, 7);
    QCOMPARE(whole.snapshot.selfTests, 1);
    QVERIFY(whole.snapshot.locked);
    QVERIFY(whole.replies.endsWith(QByteArray("_200", 4) + '\0' + QByteArray("_CYRILLIC") + '\0'));

    for (qsizetype at = 0; at <= stream.size(); ++at) {
        const Outcome split = run({stream.first(at), stream.sliced(at)});
        QVERIFY2(split.replies == whole.replies &&
                     commandLines(split.lines) == commandLines(whole.lines) &&
                     split.snapshot.skippedBytes == whole.snapshot.skippedBytes &&
                     split.snapshot.settings == whole.snapshot.settings,
                 qPrintable(QStringLiteral("split at %1").arg(at)));
    }
}

void TestPrinterModel::writes_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("reply"); // to the read that follows the stream

    // A write between unlock and lock, then a read of the same setting.
    const struct
    {
        const char *name, *write, *read, *stored;
    } rows[] = {
        {"SW1 0", "1D 67 38 27 30 00 00 00", "1D 67 34 27 00", "0"},
        {"SW2 129", "1D 67 38 28 31 32 39 00", "1D 67 34 28 00", "129"},
        {"SW3 255", "1D 67 38 29 32 35 35 00", "1D 67 34 29 00", "255"},
        {"SW2 256", "1D 67 38 28 32 35 36 00", "1D 67 34 28 00", "22"},
        {"SW2 digit after padding", "1D 67 38 28 31 00 39 00", "1D 67 34 28 00", "22"},
        {"SW2 no digit", "1D 67 38 28 00 00 00 00", "1D 67 34 28 00", "22"},
        {"SW2 blank and letter", "1D 67 38 28 20 35 61 00", "1D 67 34 28 00", "22"},
        {"code page 250", "1D 67 38 21 32 35 30 00", "1D 67 34 21", "250"},
        {"code page 6 missing", "1D 67 38 21 36 00 00 00", "1D 67 34 21", "17"},
        {"code page 251 missing", "1D 67 38 21 32 35 31 00", "1D 67 34 21", "17"},
        {"charset 0", "1D 67 38 22 30 00 00", "1D 67 34 22", "0"},
        {"charset 14", "1D 67 38 22 31 34 00", "1D 67 34 22", "14"},
        {"charset 16", "1D 67 38 22 31 36 00", "1D 67 34 22", "5"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << kUnlock + hex(row.write) + kLock + hex(row.read)
                                << '_' + QByteArray(row.stored) + '\0';

    const auto name = [](const QByteArray &field, bool unlock = true) {
        const QByteArray write = hex("1D 67 38 24") + field.leftJustified(20, '\0') + '\0';
        return (unlock ? kUnlock + write + kLock : write) + hex("1D 67 34 24");
    };
    QTest::newRow("name padded") << name("NORDIC") << QByteArray("_NORDIC") + '\0';
    QTest::newRow("name of 20") << name("MULTILINGUAL(LATINI)")
                                << QByteArray("_MULTILINGUAL(LATINI)") + '\0';
    QTest::newRow("name empty") << name("") << kLangReply;
    QTest::newRow("name with a hole") << name(QByteArray("AB\0CD", 5)) << kLangReply;
    QTest::newRow("name with control") << name("AB\x01") << kLangReply;
    QTest::newRow("name while locked") << name("GREEK", false) << kLangReply;

    const QByteArray write = hex("1D 67 38 28 39 00 00 00");
    const QByteArray read = hex("1D 67 34 28 00");
    QTest::newRow("locked") << write + read << kSw2Reply;
    QTest::newRow("after lock") << kUnlock + kLock + write + read << kSw2Reply;
    QTest::newRow("unlocked twice, never locked")
        << kUnlock + kUnlock + write + read << QByteArray("_9") + '\0';
}

void TestPrinterModel::writes()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, reply);

    // Writes get no reply of their own, accepted or not.
    const Outcome outcome = run(stream);
    QCOMPARE(outcome.replies, reply);
    QCOMPARE(outcome.snapshot.skippedBytes, 0);
}

void TestPrinterModel::skipsWhatItDoesNotKnow_data()
{
    QTest::addColumn<QByteArray>("noise");
    QTest::addColumn<qint64>("skipped");

    QTest::newRow("text") << QByteArray("hello") << qint64(5);
    QTest::newRow("NUL bytes") << QByteArray(3, '\0') << qint64(3);
    QTest::newRow("GS twice") << hex("1D") << qint64(1);
    QTest::newRow("GS alone before GS") << hex("1D 1D") << qint64(2);
    QTest::newRow("unknown GS I") << hex("1D 49 44") << qint64(3);
    QTest::newRow("unknown setting") << hex("1D 67 34 63") << qint64(4);
    QTest::newRow("switch read without NUL") << hex("1D 67 34 27 58") << qint64(5);
    QTest::newRow("write of a read-only setting") << hex("1D 67 38 10 31 00") << qint64(6);
    QTest::newRow("write without closing NUL") << hex("1D 67 38 28 31 32 39 58") << qint64(8);
    QTest::newRow("write cut short by a command") << hex("1D 67 38 28") << qint64(4);
    QTest::newRow("other test print") << hex("1D 28 41 02 00 00 03") << qint64(7);
    QTest::newRow("broken unlock") << hex("1D 67 75 6E 58 00") << qint64(6);
    QTest::newRow("broken lock") << hex("1D 67 6C 63 6B 01") << qint64(6);
    QTest::newRow("unknown sub-command") << hex("1D 67 39") << qint64(3);
}

void TestPrinterModel::skipsWhatItDoesNotKnow()
{
    QFETCH(QByteArray, noise);
    QFETCH(qint64, skipped);

    // The query right after the noise is still found and answered; noise after it is skipped.
    const Outcome outcome = run(noise + kMakerQuery + "x");
    QCOMPARE(outcome.replies, kMakerReply);
    QCOMPARE(outcome.snapshot.skippedBytes, skipped + 1);
    QCOMPARE(outcome.snapshot.commands, 1);
    QCOMPARE(outcome.snapshot.settings, distinctSettings());
    QVERIFY(outcome.snapshot.locked);
    QCOMPARE(outcome.pending, 0);
}

void TestPrinterModel::neverHoldsMoreThanOneCommand()
{
    Printer printer(distinctSettings());
    CommandParser parser;
    QRandomGenerator random(20240501);
    for (int round = 0; round < 2000; ++round) {
        QByteArray piece(random.bounded(1, 200), Qt::Uninitialized);
        for (char &byte : piece) // mostly command bytes, so that many partial commands occur
            byte =
                random.bounded(3) == 0 ? char(0x1D) : "gI4u8l(A\x27\x28\x24\0"[random.bounded(12)];
        for (const ParsedCommand &command : parser.feed(piece))
            printer.execute(command);
        QVERIFY(parser.pending() < CommandParser::kLongestCommand);
    }
    // Whatever it held, enough plain bytes flush it and the next query is answered.
    QByteArray replies;
    for (const ParsedCommand &command : parser.feed(QByteArray(25, 'x') + kMakerQuery))
        replies = printer.execute(command).reply;
    QCOMPARE(replies, kMakerReply);
}

void TestPrinterModel::selfTestPrintsWithoutReply()
{
    const Outcome outcome = run(hex("1D 28 41 02 00 00 02 1D 28 41 02 00 00 02"));
    QCOMPARE(outcome.replies, QByteArray());
    QCOMPARE(outcome.snapshot.selfTests, 2);
    // Each page is cut off.
    QCOMPARE(outcome.snapshot.settings.cutPaperCount, distinctSettings().cutPaperCount + 2);
    QCOMPARE(outcome.lines,
             QStringList({QStringLiteral("self-test"), QStringLiteral("self-test")}));

    const QString page = Printer(distinctSettings()).selfTestPage();
    for (const QString &shown :
         {QStringLiteral("self-test page"), QStringLiteral("MAKER MODEL-9"),
          QStringLiteral("FW 3.1"),
          QStringLiteral("SW2  22   switches 1-8: ON OFF OFF ON OFF ON ON ON")})
        QVERIFY2(page.contains(shown), qPrintable(shown));
}

void TestPrinterModel::modelDefaults_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("switchByte");

    QTest::newRow("KV-4100 reads SW2 and SW3") << QStringLiteral("KV-4100") << 2;
    QTest::newRow("ZEPHYR-550 reads SW1 and SW2") << QStringLiteral("ZEPHYR-550") << 1;
    QTest::newRow("other model") << QStringLiteral("KV-4100 ") << 2;
}

void TestPrinterModel::modelDefaults()
{
    QFETCH(QString, model);
    QFETCH(int, switchByte);

    const Outcome outcome =
        run({hex("1D 49 43 1D 49 42 1D 67 34 28 00 1D 67 34 27 00 1D 67 34 24")},
            PrinterSettings::forModel(model));
    const QList<QByteArray> replies = outcome.replies.split('\0');
    QCOMPARE(replies.at(0), '_' + model.toLatin1());
    QCOMPARE(replies.at(1), QByteArray("_NORVANTA"));
    const int sw2 = replies.at(2).mid(1).toInt();
    const int sw1 = replies.at(3).mid(1).toInt();
    // The utility reads SW1 of a ZEPHYR-550 only while switch 1 of SW2 is ON (bit 0 clear).
    QCOMPARE((sw2 & 1) == 0, switchByte == 1);
    // SW1: switch 1 OFF, switch 2 ON, the 115200 baud setting; no parity (SW2 switch 6 OFF).
    QCOMPARE(sw1 & 3, 1);
    QVERIFY(sw2 & 32);
    QCOMPARE(replies.at(4), QByteArray("_STANDARD"));
    QCOMPARE(outcome.snapshot.settings.codePage, 0);
    QCOMPARE(outcome.snapshot.settings.charset, 0);
}

void TestPrinterModel::stateFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<int>("sw2");

    QTest::newRow("some values") << QByteArray(R"({"sw2": 7, "codePage": 250})") << true << 7;
    QTest::newRow("empty object") << QByteArray("{}") << true << 22;
    QTest::newRow("not JSON") << QByteArray("sw2=7") << false << 22;
    QTest::newRow("an array") << QByteArray("[7]") << false << 22;
    QTest::newRow("switch byte too big") << QByteArray(R"({"sw2": 256})") << false << 22;
    QTest::newRow("fraction") << QByteArray(R"({"sw2": 7.5})") << false << 22;
    QTest::newRow("text number") << QByteArray(R"({"sw2": "7"})") << false << 22;
    QTest::newRow("missing code page") << QByteArray(R"({"sw2": 7, "codePage": 6})") << false << 22;
    QTest::newRow("name too long")
        << QByteArray(R"({"languageModel": "ABCDEFGHIJKLMNOPQRSTU"})") << false << 22;
}

void TestPrinterModel::stateFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    QFETCH(int, sw2);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("printer.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    PrinterSettings settings = distinctSettings();
    QString error;
    QCOMPARE(StateFile::load(path, settings, &error), loads);
    QCOMPARE(settings.sw2, sw2);
    QCOMPARE(error.isEmpty(), loads);
    if (!loads) {
        QCOMPARE(settings, distinctSettings());
        return;
    }

    // Saved and loaded again, the stored settings come back; nothing else is left in the folder.
    settings.languageModel = QStringLiteral("WINDOWS ARABIC/FARSI");
    QVERIFY(StateFile::save(path, settings, &error));
    PrinterSettings loaded = PrinterSettings::forModel(QStringLiteral("ZEPHYR-550"));
    QVERIFY(StateFile::load(path, loaded, &error));
    for (int PrinterSettings::*field :
         {&PrinterSettings::sw1, &PrinterSettings::sw2, &PrinterSettings::sw3,
          &PrinterSettings::codePage, &PrinterSettings::charset})
        QCOMPARE(loaded.*field, settings.*field);
    QCOMPARE(loaded.languageModel, settings.languageModel);
    QCOMPARE(loaded.model, QStringLiteral("ZEPHYR-550"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("printer.json")});
}

void TestPrinterModel::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("outcome"); // where it listens, "help", or a part of the error

    const struct
    {
        const char *name, *arguments, *outcome;
    } rows[] = {
        {"nothing", "", "tcp 127.0.0.1:9100"},
        {"port only", "--tcp 0", "tcp 127.0.0.1:0"},
        {"IPv6 loopback", "--tcp=[::1]:9200", "tcp ::1:9200"},
        {"pty link before a flag", "--pty /tmp/printer --silent", "pty /tmp/printer"},
        {"pty without link, and tcp", "--pty --garbage --tcp 0", "tcp 127.0.0.1:0 pty"},
        {"help wins", "--sw1 999 --help", "help"},
        {"switch byte too big", "--sw1 256", "invalid value \"256\" for --sw1"},
        {"plus sign", "--sw3 +5", "--sw3"},
        {"missing code page", "--code-page 6", "--code-page"},
        {"charset 16", "--charset 16", "--charset"},
        {"no value", "--model", "--model needs a value"},
        {"empty text", "--maker=", "--maker"},
        {"name too long", "--language-model ABCDEFGHIJKLMNOPQRSTU", "--language-model"},
        {"unknown", "--colour", "unknown option --colour"},
        {"single dash long", "-help", "unknown option -help"},
        {"stray word", "KV-4100", "unexpected argument"},
        {"flag with value", "--silent=yes", "--silent takes no value"},
        {"delay too long", "--reply-delay 60001", "--reply-delay"},
        {"port too big", "--tcp 65536", "--tcp"},
        {"host name", "--tcp printer:9100", "--tcp"},
        {"empty state path", "--state=", "--state"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name)
            << QString::fromLatin1(row.arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts)
            << QString::fromLatin1(row.outcome);
}

void TestPrinterModel::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, outcome);

    const CommandLine line =
        CommandLine::parse(QStringList{QStringLiteral("printer-emulator")} + arguments);
    if (line.outcome == CommandLine::Outcome::Error) {
        QVERIFY2(line.error.contains(outcome), qPrintable(line.error));
        return;
    }
    QStringList result;
    if (line.outcome == CommandLine::Outcome::Help)
        result << QStringLiteral("help");
    else if (line.options.tcp)
        result << QStringLiteral("tcp %1:%2")
                      .arg(line.options.tcpAddress.toString())
                      .arg(line.options.tcpPort);
    if (line.options.pty)
        result << QStringLiteral("pty %1").arg(line.options.ptyLink).trimmed();
    QCOMPARE(result.join(QLatin1Char(' ')), outcome);
}

void TestPrinterModel::stateFileSitsBetweenDefaultsAndOptions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("printer.json"));
    PrinterSettings stored = PrinterSettings::forModel(QStringLiteral("ZEPHYR-550"));
    stored.sw1 = 1;
    stored.sw2 = 2;
    stored.languageModel = QStringLiteral("SAVED");
    QString error;
    QVERIFY(StateFile::save(path, stored, &error));

    const CommandLine line = CommandLine::parse(
        {QStringLiteral("printer-emulator"), QStringLiteral("--model"),
         QStringLiteral("ZEPHYR-550"), QStringLiteral("--state"), path, QStringLiteral("--sw2"),
         QStringLiteral("200"), QStringLiteral("--code-page"), QStringLiteral("17")});
    QCOMPARE(line.outcome, CommandLine::Outcome::Run);
    const PrinterSettings &settings = line.options.emulator.printer;
    QCOMPARE(settings.sw1, 1);   // from the file
    QCOMPARE(settings.sw2, 200); // the command line wins
    QCOMPARE(settings.codePage, 17);
    QCOMPARE(settings.languageModel, QStringLiteral("CYRILLIC")); // follows the code page given
    QCOMPARE(line.options.emulator.statePath, path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{");
    file.close();
    const CommandLine broken =
        CommandLine::parse({QStringLiteral("printer-emulator"), QStringLiteral("--state"), path});
    QCOMPARE(broken.outcome, CommandLine::Outcome::Error);
    QVERIFY(broken.error.contains(path));
}

QTEST_GUILESS_MAIN(TestPrinterModel)
#include "tst_printer_model.moc"

// The printer emulator: commands, links and their faults, the program and its state file.

#include "CommandParser.h"
#include "EmulatorThread.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;

const auto hex = [](const char *text) { return QByteArray::fromHex(text); };

// Block answers as the printer frames them, "_", the text, NUL: "A|B" gives two of them.
QByteArray blocks(const char *texts)
{
    QByteArray result;
    for (const QByteArray &text : QByteArray(texts).split('|'))
        result += '_' + text + '\0';
    return result;
}

// Replies, settings, skipped and held bytes of a printer with distinct values fed these pieces.
using Outcome = std::tuple<QByteArray, PrinterSettings, qint64, qsizetype>;
Outcome run(const QList<QByteArray> &pieces)
{
    const QStringList t = QStringLiteral("MAKER|MODEL-9|FW 3.1|ROM A|LANG").split(u'|');
    Printer printer({t[0], t[1], t[2], t[3], t[4], 11, 22, 33, 17, 5, 4444, 5555});
    CommandParser parser;
    QByteArray replies;
    for (const QByteArray &piece : pieces)
        for (const ParsedCommand &command : parser.feed(piece))
            replies += printer.execute(command).reply;
    return {replies, printer.settings(), printer.snapshot().skippedBytes, parser.pending()};
}

// GS g "8" n value NUL; switch bytes and code pages take three bytes, charsets two, names 20.
const auto set = [](char n, const QByteArray &value) { return hex("1D 67 38") + n + value + '\0'; };
const auto name = [](const QByteArray &text) { return set(0x24, text.leftJustified(20, '\0')); };
const QByteArray kUnlock = hex("1D 67 75 6E 6C 00");
const auto unlocked = [](const QByteArray &w) { return kUnlock + w + hex("1D 67 6C 63 6B 00"); };

const QByteArray kMaker = hex("1D 49 42");
const QByteArray kModel = hex("1D 49 43");
const QByteArray kSw1 = hex("1D 67 34 27 00");
const QByteArray kSw2 = hex("1D 67 34 28 00");
const QByteArray kName = hex("1D 67 34 24");
const QByteArray kSetSw2 = set(0x28, QByteArray("9\0\0", 3));
const QByteArray kReads = kSw1 + kSw2 + hex("1D 67 34 29 00 1D 67 34 21 1D 67 34 22") + kName;
const QByteArray kQueries = kMaker + kSw1 + kModel;

// A client of TCP `port` on 127.0.0.1, or of the pseudo-terminal at `pty` (kept raw).
struct Client
{
    explicit Client(quint16 port, const QString &pty = QString())
        : fd(pty.isEmpty()
                 ? ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)
                 : ::open(QFile::encodeName(pty).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        const sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        ended = pty.isEmpty() &&
                ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0;
    }
    ~Client() { ::close(fd); }

    bool write(const QByteArray &b) { return ::write(fd, b.data(), size_t(b.size())) == b.size(); }
    // Sends `query`, reads until `tail` (without: until the far end goes) or the wait is over.
    QByteArray ask(const QByteArray &query, const QByteArray &tail = {})
    {
        QByteArray bytes;
        const QDeadlineTimer deadline(kWaitMs);
        pollfd entry{fd, POLLIN, 0};
        const bool sent = write(query);
        while (sent && !ended && (tail.isEmpty() || !bytes.endsWith(tail)) &&
               ::poll(&entry, 1, int(deadline.remainingTime())) > 0) {
            char buffer[256];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            bytes.append(buffer, qMax(got, ssize_t(0)));
            ended = got <= 0; // an end of file, or EIO once a pseudo-terminal hung up
        }
        return bytes;
    }

    const int fd;
    bool ended = false;
};

#define COMPARE_REPLY(client, query, texts)                                                        \
    QCOMPARE((client).ask(query, blocks(texts)), blocks(texts))

// Starts the program and matches its ready line: the TCP port, then the pseudo-terminal.
QRegularExpressionMatch start(QProcess &program, const QString &arguments)
{
    program.start(qEnvironmentVariable("PSU_BINARY_DIR") + QStringLiteral("/bin/printer-emulator"),
                  arguments.split(QLatin1Char(' ')));
    const QDeadlineTimer deadline(kWaitMs);
    while (!program.canReadLine() && program.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    static const QRegularExpression ready(
        QStringLiteral("^tcp 127\\.0\\.0\\.1:(\\d+)(?: pty (/dev/pts/\\d+))?\n$"));
    return ready.match(QString::fromLocal8Bit(program.readLine()));
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exchanges_data();
    void exchanges();
    void neverHoldsMoreThanOneCommand();
    void faults_data();
    void faults();
    void oneTcpClientAtATime();
    void program();
    void badOption_data();
    void badOption();
};

void TestEmulator::exchanges_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<qint64>("skipped");

    const auto row = [](const char *name, const QByteArray &in, const char *out, qint64 skipped) {
        QTest::newRow(name) << in << blocks(out) << skipped;
    };
    row("identify", hex("1D 49 41 1D 49 42 1D 49 43 1D 49 45"), "FW 3.1|MAKER|MODEL-9|ROM A", 0);
    row("read", kReads + hex("1D 67 34 10 1D 67 34 16"), "11|22|33|17|5|LANG|4444|5555", 0);
    row("self-test cuts, no reply", hex("1D 28 41 02 00 00 02 1D 67 34 16"), "5556", 0);
    // Bad values after good ones: 256, a digit after the padding, no digit, a blank and a letter,
    // code page 6, charset 16, an empty name, one with a NUL inside, one with a control character.
    row("writes, bad values ignored",
        unlocked(set(0x27, QByteArray("0\0\0", 3)) + set(0x28, "129") + set(0x29, "255") +
                 set(0x21, "250") + set(0x22, "15") + name("MULTILINGUAL(LATINI)") +
                 hex("1D 67 38 28 32 35 36 00 1D 67 38 28 31 00 39 00 1D 67 38 28 00 00 00 00"
                     "1D 67 38 28 20 35 61 00 1D 67 38 21 36 00 00 00 1D 67 38 22 31 36 00") +
                 name("") + name(QByteArray("AB\0CD", 5)) + name("AB\x01")) +
            kReads,
        "0|129|255|250|15|MULTILINGUAL(LATINI)", 0);
    // Writes refused after a broken unlock and after the lock; a broken lock leaves it open.
    row("writes only while unlocked",
        hex("1D 67 75 6E 58 00") + kSetSw2 + unlocked({}) + kSetSw2 + name("GREEK") + kSw2 + kName +
            kUnlock + hex("1D 67 6C 63 6B 01") + kUnlock + kSetSw2 + kSw2,
        "22|LANG|9", 12);
    // Text, GS twice, unknown identity, setting and sub-command, a read without NUL, a read-only
    // write, writes without NUL or cut short by a command, another test print.
    row("unknown and malformed",
        "hello" + hex("1D 1D 1D 49 44 1D 67 34 63 1D 67 39 1D 67 34 27 58 1D 67 38 10 31 00") +
            hex("1D 67 38 28 31 32 39 58 1D 67 38 28") + kMaker + hex("78 1D 28 41 02 00 00 03") +
            kMaker,
        "MAKER|MAKER", 48);
}

void TestEmulator::exchanges()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, replies);
    QFETCH(qint64, skipped);

    const Outcome outcome = run({stream});
    QCOMPARE(std::get<0>(outcome), replies);
    QCOMPARE(std::get<2>(outcome), skipped);
    // The same stream split anywhere in two pieces, or byte by byte, has the same effect.
    QList<QByteArray> bytes;
    for (qsizetype at = 0; at < stream.size(); ++at) {
        bytes << stream.sliced(at, 1);
        QVERIFY(run({stream.first(at), stream.sliced(at)}) == outcome);
    }
    QVERIFY(run(bytes) == outcome);
}

void TestEmulator::neverHoldsMoreThanOneCommand()
{
    CommandParser parser;
    QRandomGenerator random(20240501);
    for (int round = 0; round < 50000; ++round) { // mostly bytes that start commands
        parser.feed(QByteArray(1, "\x1D\x1D\x1DgI4u8l(A\x27\x28\x24\0"[random.bounded(15)]));
        QVERIFY(parser.pending() < CommandParser::kLongestCommand);
    }
    // Whatever it held, enough plain bytes flush it and the next query is found.
    QCOMPARE(parser.feed(QByteArray(25, 'x') + kMaker).constLast().bytes, kMaker);
}

void TestEmulator::faults_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::newRow("delayed and split") << Faults{.replyDelayMs = 20, .splitReplies = true};
    QTest::newRow("silent") << Faults{.silent = true};
    QTest::newRow("garbage") << Faults{.garbage = true};
    QTest::newRow("drop after two, delayed and split")
        << Faults{.replyDelayMs = 20, .splitReplies = true, .dropAfter = 2};
}

void TestEmulator::faults()
{
    QFETCH(Faults, faults);
    for (const bool pty : {false, true}) {
        QTemporaryDir dir;
        const QString link = pty ? dir.filePath(QStringLiteral("printer")) : QString();
        EmulatorThread emulator({PrinterSettings::forModel(QStringLiteral("KV-4100")), faults, {}});
        const quint16 port = pty ? 0 : emulator.listenTcp();
        const QString path = pty ? emulator.openPty(link) : QString();
        QVERIFY(pty ? !path.isEmpty() && QFileInfo(link).symLinkTarget() == path : port != 0);
        Client client(port, link);
        if (faults.dropAfter > 0) {
            // The link ends after the second reply; the next client (on a new pty) is served.
            QCOMPARE(client.ask(kQueries), blocks("NORVANTA|105"));
            QTRY_VERIFY_WITH_TIMEOUT(!pty || QFileInfo(link).symLinkTarget() != path, kWaitMs);
            Client next(port, link);
            QCOMPARE(next.ask(kQueries), blocks("NORVANTA|105"));
            QVERIFY(client.ended && next.ended);
            continue;
        }
        // Once the three commands are done the faults end; what precedes the next reply shows them.
        QVERIFY(client.write(kQueries));
        QTRY_COMPARE_WITH_TIMEOUT(emulator.snapshot().commands, 3, kWaitMs);
        emulator.setFaults({});
        const QByteArray last = blocks("ANK 12x24 9x17");
        const QByteArray got = client.ask(hex("1D 49 45"), last);
        const qsizetype junk = got.size() - last.size();
        if (faults.garbage)
            QVERIFY(got.endsWith(last) && junk >= 3 && junk <= 3 * Faults::kMaxGarbageLength &&
                    !got.startsWith(blocks("NORVANTA|105|KV-4100")));
        else
            QCOMPARE(got, (faults.silent ? QByteArray() : blocks("NORVANTA|105|KV-4100")) + last);
        QCOMPARE(emulator.received(), kQueries + hex("1D 49 45"));
    }
}

void TestEmulator::oneTcpClientAtATime()
{
    EmulatorThread emulator;
    const quint16 port = emulator.listenTcp();
    Client first(port);
    COMPARE_REPLY(first, kSw1, "105");
    Client second(port);
    QVERIFY(second.write(kModel));
    COMPARE_REPLY(first, kSw1, "105");
    QCOMPARE(emulator.received(), kSw1 + kSw1);
    ::shutdown(first.fd, SHUT_RDWR); // the first client leaves
    COMPARE_REPLY(second, {}, "KV-4100");
}

void TestEmulator::program()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("printer"));
    const QString state = dir.filePath(QStringLiteral("printer.json"));
    QProcess program;
    const QRegularExpressionMatch ready = start(
        program, QStringLiteral("--tcp 0 --pty %1 --state %2 --model ZEPHYR-550 --code-page 17")
                     .arg(link, state));
    QCOMPARE(QFileInfo(link).symLinkTarget(), ready.captured(2));
    // The language model follows the code page; both links and a reopened pty reach one printer.
    Client tcp(ready.captured(1).toUShort());
    COMPARE_REPLY(Client(0, link), kModel + kName, "ZEPHYR-550|CYRILLIC");
    COMPARE_REPLY(Client(0, link),
                  unlocked(set(0x27, "200") + set(0x29, "255") + set(0x21, "250") +
                           set(0x22, "15") + name("GREEK")) +
                      hex("1D 28 41 02 00 00 02") + kSw1,
                  "200");
    COMPARE_REPLY(tcp, kSw1, "200");
    QByteArray errors; // one line per command, and the self-test page
    const char *page = "Language model GREEK\nSW1 200   switches 1-8: ON ON ON OFF ON ON OFF OFF\n";
    QTRY_VERIFY_WITH_TIMEOUT((errors += program.readAllStandardError()).contains(page), kWaitMs);

    program.terminate(); // SIGTERM: a clean stop
    QVERIFY(program.waitForFinished(kWaitMs) && program.exitStatus() == QProcess::NormalExit &&
            program.exitCode() == 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    // The next run starts from the stored settings; the command line wins over them.
    QProcess next;
    const QString arguments = QStringLiteral("--state %1 --sw2 7 --tcp 0").arg(state);
    COMPARE_REPLY(Client(start(next, arguments).captured(1).toUShort()), kReads,
                  "200|7|255|250|15|GREEK");
    next.terminate();
    QVERIFY(next.waitForFinished(kWaitMs));
}

void TestEmulator::badOption_data()
{
    QTest::addColumn<QString>("arguments"); // STATE: a state file with a switch byte of 256
    QTest::addColumn<QString>("error");

    const auto row = [](const char *arguments, const char *error) {
        QTest::newRow(arguments) << QString::fromLatin1(arguments) << QString::fromLatin1(error);
    };
    row("--sw1=256", "invalid value \"256\" for --sw1 (expected 0 to 255)");
    row("--speed", "unknown option --speed");
    row("--drop-after", "--drop-after needs a value N");
    row("--state STATE", "STATE: invalid value for \"sw2\"");
}

void TestEmulator::badOption()
{
    QFETCH(QString, arguments);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("printer.json")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(R"({"sw2": 256})") > 0 && file.flush());
    QProcess program;
    start(program, arguments.replace(QStringLiteral("STATE"), file.fileName()));
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 2);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()),
             QStringLiteral("printer-emulator: %1\nTry printer-emulator --help.\n")
                 .arg(error.replace(QStringLiteral("STATE"), file.fileName())));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"

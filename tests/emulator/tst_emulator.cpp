// The printer emulator: its commands, state file, links (TCP on 127.0.0.1, a pseudo-terminal) with
// the faults it shows on demand, and the printer-emulator program.

#include "CommandParser.h"
#include "EmulatorThread.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Block answers as the printer frames them, "_", the text, NUL: "A|B" gives two of them.
QByteArray blocks(const char *texts)
{
    QByteArray result;
    for (const QByteArray &text : QByteArray(texts).split('|'))
        result += '_' + text + '\0';
    return result;
}

// A printer whose every value differs, so that a reply shows which value it came from.
PrinterSettings distinctSettings()
{
    const QStringList texts = QStringLiteral("MAKER|MODEL-9|FW 3.1|ROM A|LANG").split(u'|');
    return {texts[0], texts[1], texts[2], texts[3], texts[4], 11, 22, 33, 17, 5, 4444, 5555};
}

// What a printer made of a stream fed in the given pieces.
struct Outcome
{
    QByteArray replies;
    PrinterSettings settings;
    qint64 skipped = 0;
    qsizetype pending = 0;
    friend bool operator==(const Outcome &, const Outcome &) = default;
};

Outcome run(const QList<QByteArray> &pieces)
{
    Printer printer(distinctSettings());
    CommandParser parser;
    QByteArray replies;
    for (const QByteArray &piece : pieces)
        for (const ParsedCommand &command : parser.feed(piece))
            replies += printer.execute(command).reply;
    return {replies, printer.settings(), printer.snapshot().skippedBytes, parser.pending()};
}

const QByteArray kUnlock = hex("1D 67 75 6E 6C 00");
const QByteArray kMaker = hex("1D 49 42");
const QByteArray kReadSwitches = hex("1D 67 34 27 00 1D 67 34 28 00 1D 67 34 29 00");
const QByteArray kReadSw2 = hex("1D 67 34 28 00");
const QByteArray kWriteSw2 = hex("1D 67 38 28 39 00 00 00"); // 9
const QByteArray kReadName = hex("1D 67 34 24");

QByteArray unlocked(const QByteArray &writes)
{
    return kUnlock + writes + hex("1D 67 6C 63 6B 00");
}

QByteArray nameWrite(const QByteArray &name)
{
    return hex("1D 67 38 24") + name.leftJustified(20, '\0') + '\0';
}

// A TCP client, or a client on the slave side of a pseudo-terminal (the emulator keeps it raw).
class Client
{
public:
    // The pseudo-terminal at `pty` when given, else TCP `port` on 127.0.0.1.
    explicit Client(quint16 port, const QString &pty = QString())
        : m_fd(pty.isEmpty()
                   ? ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)
                   : ::open(QFile::encodeName(pty).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ended = pty.isEmpty() &&
                  ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0;
    }
    ~Client() { ::close(m_fd); }
    Q_DISABLE_COPY(Client)

    bool write(const QByteArray &bytes) const
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until what came ends with `tail` (no tail: until the far end has gone), or the
    // wait is over.
    QByteArray read(const QByteArray &tail = QByteArray())
    {
        QByteArray bytes;
        const QDeadlineTimer deadline(kWaitMs);
        pollfd entry{m_fd, POLLIN, 0};
        while (!m_ended && (tail.isEmpty() || !bytes.endsWith(tail)) &&
               ::poll(&entry, 1, int(deadline.remainingTime())) > 0) {
            char buffer[256];
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got > 0)
                bytes.append(buffer, got);
            m_ended = got <= 0; // an end of file, or EIO once a pseudo-terminal hung up
        }
        return bytes;
    }
    QByteArray ask(const QByteArray &query, const QByteArray &tail)
    {
        return write(query) ? read(tail) : QByteArray();
    }
    bool ended() const { return m_ended; }

private:
    int m_fd;
    bool m_ended = false;
};

// Sends `query` and compares all that comes back with the block answers `texts`.
#define COMPARE_REPLY(client, query, texts)                                                        \
    QCOMPARE((client).ask(query, blocks(texts)), blocks(texts))

const QByteArray kQueries = hex("1D 49 42 1D 67 34 27 00 1D 49 43"); // maker, SW1, model
const QByteArray kModel = hex("1D 49 43");
const QByteArray kSw1 = hex("1D 67 34 27 00");

// Starts the program and matches the line it prints once it listens: the TCP port, then the
// pseudo-terminal.
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
    void clients();
    void program();
    void cannotRun_data();
    void cannotRun();
};

void TestEmulator::exchanges_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<qint64>("skipped");

    // Every command family, accepted and refused writes, and bytes the printer does not know.
    const auto row = [](const char *name, const QByteArray &stream, const char *replies,
                        qint64 skipped) {
        QTest::newRow(name) << stream << blocks(replies) << skipped;
    };
    row("identify", hex("1D 49 41 1D 49 42 1D 49 43 1D 49 45"), "FW 3.1|MAKER|MODEL-9|ROM A", 0);
    row("read switch bytes", kReadSwitches, "11|22|33", 0);
    row("read the rest",
        hex("1D 67 34 21 1D 67 34 22") + kReadName + hex("1D 67 34 10 1D 67 34 16"),
        "17|5|LANG|4444|5555", 0);
    row("self-test cuts, no reply", hex("1D 28 41 02 00 00 02 1D 67 34 16"), "5556", 0);
    row("write switch bytes",
        unlocked(hex("1D 67 38 27 30 00 00 00 1D 67 38 28 31 32 39 00 1D 67 38 29 32 35 35 00")) +
            kReadSwitches,
        "0|129|255", 0);
    row("write code page, charset, name of 20",
        unlocked(hex("1D 67 38 21 32 35 30 00 1D 67 38 22 31 35 00") +
                 nameWrite("MULTILINGUAL(LATINI)")) +
            hex("1D 67 34 21 1D 67 34 22") + kReadName,
        "250|15|MULTILINGUAL(LATINI)", 0);
    row("bad names ignored",
        unlocked(nameWrite("") + nameWrite(QByteArray("AB\0CD", 5)) + nameWrite("AB\x01")) +
            kReadName,
        "LANG", 0);
    // 256, a digit after the padding, no digit, a blank and a letter, code page 6, charset 16
    row("bad numbers ignored",
        unlocked(hex("1D 67 38 28 32 35 36 00 1D 67 38 28 31 00 39 00 1D 67 38 28 00 00 00 00"
                     "1D 67 38 28 20 35 61 00 1D 67 38 21 36 00 00 00 1D 67 38 22 31 36 00")) +
            kReadSw2 + hex("1D 67 34 21 1D 67 34 22"),
        "22|17|5", 0);
    row("writes while locked",
        kWriteSw2 + unlocked({}) + kWriteSw2 + nameWrite("GREEK") + kReadSw2 + kReadName, "22|LANG",
        0);
    row("unlocked twice, never locked", kUnlock + kUnlock + kWriteSw2 + kReadSw2, "9", 0);
    row("text", QByteArray("hello") + kMaker, "MAKER", 5);
    row("GS twice", hex("1D 1D") + kMaker, "MAKER", 2);
    row("unknown identity", hex("1D 49 44") + kMaker, "MAKER", 3);
    row("unknown setting", hex("1D 67 34 63") + kMaker, "MAKER", 4);
    row("unknown sub-command", hex("1D 67 39") + kMaker, "MAKER", 3);
    row("switch read without NUL", hex("1D 67 34 27 58") + kMaker, "MAKER", 5);
    row("write of a read-only setting", hex("1D 67 38 10 31 00") + kMaker, "MAKER", 6);
    row("write without closing NUL", hex("1D 67 38 28 31 32 39 58") + kMaker, "MAKER", 8);
    row("write cut short by a command", hex("1D 67 38 28") + kMaker + 'x', "MAKER", 5);
    row("other test print", hex("1D 28 41 02 00 00 03") + kMaker, "MAKER", 7);
    row("broken unlock", hex("1D 67 75 6E 58 00") + kWriteSw2 + kReadSw2, "22", 6);
    row("broken lock", kUnlock + hex("1D 67 6C 63 6B 01") + kWriteSw2 + kReadSw2, "9", 6);
}

void TestEmulator::exchanges()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, replies);
    QFETCH(qint64, skipped);

    // Writes, unlock, lock and the self-test get no reply of their own.
    const Outcome outcome = run({stream});
    QCOMPARE(outcome.replies, replies);
    QCOMPARE(outcome.skipped, skipped);
    QCOMPARE(outcome.pending, 0);

    // The same stream split anywhere in two pieces, or byte by byte, has the same effect.
    QList<QByteArray> bytes;
    for (qsizetype at = 0; at < stream.size(); ++at) {
        bytes << stream.sliced(at, 1);
        QVERIFY2(run({stream.first(at), stream.sliced(at)}) == outcome,
                 qPrintable(QString::number(at)));
    }
    QCOMPARE(run(bytes), outcome);
}

void TestEmulator::neverHoldsMoreThanOneCommand()
{
    CommandParser parser;
    QRandomGenerator random(20240501);
    for (int round = 0; round < 50000; ++round) {
        // Mostly bytes that start commands, so that many partial commands occur.
        const int pick = random.bounded(15);
        parser.feed(QByteArray(1, pick < 12 ? "gI4u8l(A\x27\x28\x24\0"[pick] : char(0x1D)));
        QVERIFY(parser.pending() < CommandParser::kLongestCommand);
    }
    // Whatever it held, enough plain bytes flush it and the next query is found.
    QCOMPARE(parser.feed(QByteArray(25, 'x') + kMaker).constLast().bytes, kMaker);
}

void TestEmulator::faults_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<Faults>("faults");

    for (const bool pty : {false, true}) {
        const char *link = pty ? "pty" : "tcp";
        QTest::addRow("%s", link) << pty << Faults();
        QTest::addRow("%s, delayed and split", link)
            << pty << Faults{.replyDelayMs = 20, .splitReplies = true};
        QTest::addRow("%s, silent", link) << pty << Faults{.silent = true};
        QTest::addRow("%s, garbage", link) << pty << Faults{.garbage = true};
        QTest::addRow("%s, drop after two, delayed and split", link)
            << pty << Faults{.replyDelayMs = 20, .splitReplies = true, .dropAfter = 2};
    }
}

void TestEmulator::faults()
{
    QFETCH(bool, pty);
    QFETCH(Faults, faults);

    QTemporaryDir dir;
    const QString link = pty ? dir.filePath(QStringLiteral("printer")) : QString();
    EmulatorThread emulator({PrinterSettings::forModel(QStringLiteral("KV-4100")), faults, {}});
    const quint16 port = pty ? 0 : emulator.listenTcp();
    const QString path = pty ? emulator.openPty(link) : QString();
    QVERIFY(pty ? !path.isEmpty() && QFileInfo(link).symLinkTarget() == path : port != 0);

    Client client(port, link);
    QVERIFY(client.write(kQueries));

    if (faults.dropAfter > 0) {
        // The link ends once the second reply has gone out; the third query is never answered.
        // The next client (on the pseudo-terminal that replaced the first) is served afresh.
        QCOMPARE(client.read(), blocks("NORVANTA|105"));
        QVERIFY(client.ended());
        if (pty)
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).symLinkTarget() != path, kWaitMs);
        QCOMPARE(QFileInfo(link).symLinkTarget(), emulator.ptyPath());
        Client next(port, link);
        QCOMPARE(next.ask(kQueries, {}), blocks("NORVANTA|105"));
        QVERIFY(next.ended());
        return;
    }

    // Once the three commands have been carried out the faults end; what comes before the reply
    // to one more query is what the faults made of the three replies.
    QTRY_COMPARE_WITH_TIMEOUT(emulator.snapshot().commands, 3, kWaitMs);
    emulator.setFaults({});
    const QByteArray last = blocks("ANK 12x24 9x17");
    const QByteArray replies = client.ask(hex("1D 49 45"), last);
    QVERIFY(replies.endsWith(last));
    const QByteArray before = replies.chopped(last.size());
    if (faults.garbage)
        QVERIFY(before.size() >= 3 && before.size() <= 3 * Faults::kMaxGarbageLength &&
                before != blocks("NORVANTA|105|KV-4100"));
    else
        QCOMPARE(before, faults.silent ? QByteArray() : blocks("NORVANTA|105|KV-4100"));
    QCOMPARE(emulator.received(), kQueries + hex("1D 49 45"));
}

void TestEmulator::clients()
{
    EmulatorThread emulator;
    const QString path = emulator.openPty();
    {
        Client client(0, path);
        COMPARE_REPLY(client, kSw1, "105");
    }
    // A client that closed the device and opened it again is served as before.
    Client again(0, path);
    COMPARE_REPLY(again, kModel, "KV-4100");
    QCOMPARE(emulator.received(), kSw1 + kModel);
    emulator.clearReceived();

    // One TCP client at a time: the second waits while the first is still served.
    const quint16 port = emulator.listenTcp();
    auto first = std::make_unique<Client>(port);
    COMPARE_REPLY(*first, kSw1, "105");
    Client second(port);
    QVERIFY(second.write(kModel));
    COMPARE_REPLY(*first, kSw1, "105");
    QCOMPARE(emulator.received(), kSw1 + kSw1);
    first.reset();
    QCOMPARE(second.read(blocks("KV-4100")), blocks("KV-4100"));
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
    QVERIFY(ready.hasMatch());
    QCOMPARE(QFileInfo(link).symLinkTarget(), ready.captured(2));
    // The language model follows the code page given; both links reach the same printer.
    Client tcp(ready.captured(1).toUShort());
    COMPARE_REPLY(tcp, kModel + kReadName, "ZEPHYR-550|CYRILLIC");
    {
        Client pty(0, link);
        COMPARE_REPLY(pty,
                      hex("1D 67 75 6E 6C 00 1D 67 38 27 32 30 30 00 1D 67 38 29 32 35 35 00"
                          "1D 67 38 21 32 35 30 00 1D 67 38 22 31 35 00 1D 67 38 24 47 52 45 45 4B"
                          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 1D 67 6C 63 6B 00"
                          "1D 28 41 02 00 00 02 1D 67 34 27 00"),
                      "200");
    }
    COMPARE_REPLY(tcp, kSw1, "200");

    // One line per command on standard error, the self-test page among them.
    QByteArray errors;
    QTRY_VERIFY_WITH_TIMEOUT((errors += program.readAllStandardError()).contains("SW1 -> 200\n"),
                             kWaitMs);
    QVERIFY(errors.contains("write language model = GREEK\nlock\nself-test\n"));
    QVERIFY(errors.contains("SW1 200   switches 1-8: ON ON ON OFF ON ON OFF OFF\n"));

    program.terminate(); // SIGTERM
    QVERIFY(program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    // The next run starts from the stored settings (written after each change); the command
    // line wins over them.
    QProcess again;
    const QRegularExpressionMatch next =
        start(again, QStringLiteral("--state %1 --sw2 7 --tcp 0").arg(state));
    Client client(next.captured(1).toUShort());
    COMPARE_REPLY(client, kReadSwitches + hex("1D 67 34 21 1D 67 34 22") + kReadName,
                  "200|7|255|250|15|GREEK");
    again.terminate();
    QVERIFY(again.waitForFinished(kWaitMs));
}

void TestEmulator::cannotRun_data()
{
    QTest::addColumn<QString>("arguments"); // PORT: a port already taken; STATE: a state file
    QTest::addColumn<QByteArray>("state");  // what the state file holds
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("status");

    const struct
    {
        const char *name, *arguments, *state, *error;
        int status;
    } rows[] = {
        {"switch byte too big", "--sw1=256", "", "invalid value \"256\" for --sw1", 2},
        {"plus sign", "--sw3 +5", "", "--sw3", 2},
        {"missing code page", "--code-page 6", "", "--code-page", 2},
        {"name too long", "--language-model ABCDEFGHIJKLMNOPQRSTU", "", "--language-model", 2},
        {"unknown option", "--speed", "", "unknown option --speed", 2},
        {"missing value", "--drop-after", "", "--drop-after needs a value", 2},
        {"flag with a value", "--silent=yes", "", "--silent takes no value", 2},
        {"stray word", "KV-4100", "", "unexpected argument", 2},
        {"host name", "--tcp printer:9100", "", "--tcp", 2},
        {"state not JSON", "--state STATE", "sw2=7", "is not a JSON object", 2},
        {"state switch byte too big", "--state STATE", R"({"sw2": 256})", "\"sw2\"", 2},
        {"state fraction", "--state STATE", R"({"sw2": 7.5})", "\"sw2\"", 2},
        {"state missing code page", "--state STATE", R"({"codePage": 6})", "\"codePage\"", 2},
        {"state name too long", "--state STATE", R"({"languageModel": "ABCDEFGHIJKLMNOPQRSTU"})",
         "\"languageModel\"", 2},
        {"port in use", "--tcp PORT", "", "cannot listen", 1},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.arguments) << QByteArray(row.state)
                                << QString::fromLatin1(row.error) << row.status;
}

void TestEmulator::cannotRun()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, state);
    QFETCH(QString, error);
    QFETCH(int, status);

    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("printer.json")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(state) == state.size());
    file.close();
    QProcess program;
    start(program, arguments.replace(QStringLiteral("PORT"), QString::number(taken.serverPort()))
                       .replace(QStringLiteral("STATE"), file.fileName()));
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(errors.startsWith(QStringLiteral("printer-emulator: ")) && errors.contains(error) &&
                 errors.contains(QStringLiteral("--help")) == (status == 2),
             qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"

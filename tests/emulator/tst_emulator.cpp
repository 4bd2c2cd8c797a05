// The printer emulator: commands, status, print-out and self-test page, links and their faults, the
// pseudo-terminal's announcement, the program and its state file.

#include "CommandParser.h"
#include "EmulatorThread.h"
#include "PrintOut.h"
#include "PtyAnnouncement.h"
#include "SelfTestPage.h"
#include "SwitchMeanings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <algorithm>
#include <arpa/inet.h>
#include <fcntl.h>
#include <optional>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 5000;

const auto hex = [](const char *text) { return QByteArray::fromHex(text); };

// Block answers as the printer frames them, "_", the text, NUL: "A|B" gives two of them.
QByteArray blocks(const QByteArray &texts)
{
    QByteArray result;
    for (const QByteArray &text : texts.split('|'))
        result += '_' + text + '\0';
    return result;
}

// What a printer with these settings and sensors makes of a stream that comes in these pieces,
// up to the end of the link: its replies, settings, unknown bytes and print-out.
using Outcome = std::tuple<QByteArray, PrinterSettings, qint64, QStringList>;
Outcome run(const PrinterSettings &settings, const PrinterStatus &status,
            const QList<QByteArray> &pieces)
{
    Printer printer(settings, status);
    CommandParser parser;
    QByteArray replies;
    QStringList lines;
    const auto execute = [&](const ParsedCommand &command) {
        const Exchange exchange = printer.execute(command);
        replies += exchange.reply;
        lines += exchange.printed;
    };
    for (const QByteArray &piece : pieces)
        parser.feed(piece, execute);
    parser.finish(execute);
    return {replies, printer.settings(), printer.snapshot().skippedBytes,
            lines + printer.finishJob()};
}

// A stream whole, split anywhere in two pieces, and byte by byte.
QList<QList<QByteArray>> splits(const QByteArray &stream)
{
    QList<QList<QByteArray>> result{{stream}, {}};
    for (qsizetype at = 0; at < stream.size(); ++at) {
        result[1] << stream.sliced(at, 1);
        result << QList<QByteArray>{stream.first(at), stream.sliced(at)};
    }
    return result;
}

// GS g "8" n value NUL; switch bytes and code pages take three bytes, charsets two, names 20.
const auto set = [](char n, const QByteArray &value) { return hex("1D 67 38") + n + value + '\0'; };
const auto name = [](const QByteArray &text) { return set(0x24, text.leftJustified(20, '\0')); };
const QByteArray kUnlock = hex("1D 67 75 6E 6C 00");
const auto unlocked = [](const QByteArray &w) { return kUnlock + w + hex("1D 67 6C 63 6B 00"); };

const QByteArray kMaker = hex("1D 49 42");
const QByteArray kModel = hex("1D 49 43");
const QByteArray kFontRom = hex("1D 49 45");
const QByteArray kSw1 = hex("1D 67 34 27 00");
const QByteArray kSw2 = hex("1D 67 34 28 00");
const QByteArray kName = hex("1D 67 34 24");
const QByteArray kSetSw2 = set(0x28, QByteArray("9\0\0", 3));
const QByteArray kReads = kSw1 + kSw2 + hex("1D 67 34 29 00 1D 67 34 21 1D 67 34 22") + kName;
const QByteArray kQueries = kMaker + kSw1 + kModel;
const QByteArray kSelfTest = hex("1D 28 41 02 00 00 02");
const PrinterSettings kKv = PrinterSettings::forModel(QStringLiteral("KV-4100"));

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
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    ~Client() { ::close(fd); }

    bool write(const QByteArray &b) { return ::write(fd, b.data(), size_t(b.size())) == b.size(); }
    // Sends `query`, reads until `tail` or the wait is over.
    QByteArray ask(const QByteArray &query, const QByteArray &tail)
    {
        return write(query) ? readUntil([&](const QByteArray &b) { return b.endsWith(tail); })
                            : QByteArray();
    }
    // Reads until `done` or the wait is over; the event loop runs meanwhile, for an emulator in
    // this thread.
    template<typename Done> QByteArray readUntil(Done done)
    {
        QByteArray bytes;
        std::ignore = QTest::qWaitFor(
            [&] {
                char buffer[4096];
                ssize_t got = 0;
                while (!ended && (got = ::read(fd, buffer, sizeof buffer)) > 0)
                    bytes.append(buffer, got);
                // An end of file, or EIO once a pseudo-terminal hung up.
                ended = ended || got == 0 || (got < 0 && errno != EAGAIN);
                return ended || done(bytes);
            },
            kWaitMs);
        return bytes;
    }
    const int fd;
    bool ended = false;
};

#define COMPARE_REPLY(client, query, texts)                                                        \
    QCOMPARE((client).ask(query, blocks(texts)), blocks(texts))

QString programPath()
{
    return qEnvironmentVariable("PSU_BINARY_DIR") + QStringLiteral("/bin/printer-emulator");
}

// Starts the program and matches its ready line: the TCP port, then the pseudo-terminal.
QRegularExpressionMatch start(QProcess &program, const QString &arguments)
{
    program.start(programPath(), arguments.split(QLatin1Char(' ')));
    const bool ready = QTest::qWaitFor([&] { return program.canReadLine(); }, kWaitMs);
    static const QRegularExpression line(
        QStringLiteral("^tcp 127\\.0\\.0\\.1:(\\d+)(?: pty (/dev/pts/\\d+))?\n$"));
    return line.match(ready ? QString::fromLocal8Bit(program.readLine()) : QString());
}

// Reads the program's standard error until it holds `text`.
bool waitForError(QProcess &program, QByteArray &errors, const QByteArray &text)
{
    return QTest::qWaitFor(
        [&] { return (errors += program.readAllStandardError()).contains(text); }, kWaitMs);
}

// The announcement files in the test's runtime folder.
QStringList announcements()
{
    return QDir(PtyAnnouncement::folder()).entryList(QDir::Files);
}

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT

    // Each test's own XDG_RUNTIME_DIR, also of the programs it starts.
    std::optional<QTemporaryDir> m_runtime;

private Q_SLOTS:
    void init()
    {
        m_runtime.emplace();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    }
    void jobs_data();
    void jobs();
    void stateLines_data();
    void stateLines();
    void selfTestPage_data();
    void selfTestPage();
    void largeJobStaysBounded_data();
    void largeJobStaysBounded();
    void faults_data();
    void faults();
    void tcpClients_data();
    void tcpClients();
    void ptyAnnouncement();
    void program();
    void commandLine_data();
    void commandLine();
};

namespace {

// Rows of jobs(): the printer's own commands, its replies and its sensors.
void addOwnCommandRows()
{
    const PrinterSettings distinct{u"MAKER"_s, u"MODEL-9"_s, u"FW 3.1"_s, u"ROM A"_s, u"LANG"_s,
                                   11,         22,           33,          17,         5,
                                   4444,       5555,         0x20,        u"MAKER"_s};
    const auto row = [&](const char *tag, const QByteArray &in, const char *out, qint64 unknown,
                         const QStringList &lines = {}) {
        QTest::newRow(tag) << distinct << PrinterStatus() << in << blocks(out) << unknown << lines;
    };
    row("identify", hex("1D 49 41 1D 49 42 1D 49 43 1D 49 45"), "FW 3.1|MAKER|MODEL-9|ROM A", 0);
    row("read", kReads + hex("1D 67 34 10 1D 67 34 16"), "11|22|33|17|5|LANG|4444|5555", 0);
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
        "22|LANG|9", 12, {u"[unknown 1D 67 75 6E 58 00][unknown 1D 67 6C 63 6B 01]"_s});
    // Text prints; GS twice, unknown identity, setting and sub-command, a read without NUL, a
    // read-only write, writes without NUL or cut short by a command, another test print: each
    // unknown only as far as it is broken, so the queries after them are found.
    row("unknown and malformed",
        "hello" + hex("1D 1D 1D 49 46 1D 67 34 63 1D 67 39 1D 67 34 27 58 1D 67 38 10 31 00") +
            hex("1D 67 38 28 31 32 39 58 1D 67 38 28") + kMaker + hex("78 1D 28 41 02 00 00 03") +
            kMaker,
        "MAKER|MAKER", 42,
        {u"hello[unknown 1D][unknown 1D][unknown 1D 49 46][unknown 1D 67 34 63][unknown 1D 67 39]"
         u"[unknown 1D 67 34 27 58][unknown 1D 67 38][unknown 10 31 00]"
         u"[unknown 1D 67 38 28 31 32 39 58]\\"_s,
         u"[unknown 1D 67 38 28]x[unknown 1D 28 41 02 00 00 03]"_s});

    // GS I 1, 2, 3, 33, 51 (3 by its digit), 68 of a model's printer.
    const auto identity = [](const char *tag, const PrinterSettings &settings,
                             const QByteArray &out) {
        QTest::newRow(tag) << settings << PrinterStatus()
                           << hex("1D 49 01 1D 49 02 1D 49 03 1D 49 21 1D 49 33 1D 49 44") << out
                           << qint64(0) << QStringList();
    };
    identity("KV-4100: model 20, auto cutter, firmware 1.07, no serial number", kKv,
             hex("20 02 27 3D 21 42 00 27 5F 00"));
    identity("ZEPHYR-550: model 21, firmware 2.13, a serial number",
             PrinterSettings::forModel(u"ZEPHYR-550"_s),
             hex("21 02 4D 3D 21 42 00 4D") + blocks("Z55D014207"));
    PrinterSettings kanji = kKv;
    kanji.sw1 = 0x29; // switch 7 ON: without auto cutter
    kanji.fontRom = u"KANJI 24x24"_s;
    kanji.firmware = u"X1"_s;
    identity("no cutter, kanji font ROM, firmware without a number", kanji,
             hex("20 01 00 3D 21 41 00 00 5F 00"));

    // DLE EOT 1-4, GS r 1, 2, 49, 50, then GS a 0F, with the sensors in a state.
    const auto sensors = [](const char *tag, PrinterStatus status, const char *replies) {
        QTest::newRow(tag) << kKv << status
                           << hex("10 04 01 10 04 02 10 04 03 10 04 04 1D 72 01 1D 72 02 1D 72 31"
                                  "1D 72 32 1D 61 0F")
                           << hex(replies) << qint64(0) << QStringList();
    };
    sensors("ready", {}, "12 12 12 12 00 00 00 00  10 00 00 00");
    sensors("cover open: off-line", {.coverOpen = true}, "1A 16 12 12 00 00 00 00  38 00 00 00");
    sensors("paper near end: still on-line", {.paperNearEnd = true},
            "12 12 12 1E 03 00 03 00  10 00 03 00");
    sensors("paper end: off-line, near end too", {.paperEnd = true},
            "1A 32 12 7E 0F 00 0F 00  18 00 0F 00");
    sensors("off-line", {.offline = true}, "1A 12 12 12 00 00 00 00  18 00 00 00");
    sensors("everything at once", {true, true, true, true}, "1A 36 12 7E 0F 00 0F 00  38 00 0F 00");
}

// A row of jobs() for a job that prints and gets no reply.
void addPrinted(const char *tag, const QByteArray &job, const QStringList &lines,
                qint64 unknown = 0, const PrinterSettings &settings = kKv)
{
    QTest::newRow(tag) << settings << PrinterStatus() << job << QByteArray() << unknown << lines;
}

const QByteArray kUrl = "https://norvanta.example/r/42";

// Rows of jobs(): receipts and their print-out.
void addPrintOutRows()
{
    addPrinted("receipt: text, styles, barcode, QR code, cut",
               hex("1B 40 1B 61 01 1D 21 11") + "NORVANTA CAFE\n" + hex("1D 21 00 1B 61 00") +
                   "Coffee\t2.50\n" + hex("1B 45 01") + "TOTAL" + hex("1B 45 00") + " 2.50\n" +
                   hex("1B 2D 01") + "Thank you" + hex("1B 2D 00 0A 1D 68 50 1D 77 02 1D 48 02") +
                   hex("1D 6B 49 08") + "{B123456" + hex("1D 28 6B 04 00 31 41 32 00") +
                   hex("1D 28 6B 03 00 31 43 06 1D 28 6B 03 00 31 45 31") +
                   hex("1D 28 6B 20 00 31 50 30") + kUrl + hex("1D 28 6B 03 00 31 51 30") +
                   hex("1B 64 03 1D 56 01"),
               {u"[initialize]"_s, u"[align center][size 2x2]NORVANTA CAFE"_s,
                u"[size 1x1][align left]Coffee[tab]2.50"_s, u"[bold on]TOTAL[bold off] 2.50"_s,
                u"[underline on]Thank you[underline off]"_s,
                u"[barcode height 80 dots][barcode width 2][barcode text below]"_s,
                u"[barcode CODE128 \"123456\"]"_s,
                u"[qr model 2][qr size 6][qr error M][qr store 29 bytes]"_s,
                u"[qr \"https://norvanta.example/r/42\"]"_s, u"[feed 3 lines]"_s,
                u"[cut partial]"_s});
    // Code page 17 is 866, Cyrillic; ESC @ goes back to the printer's own code page, 437; code page
    // 1 is half-width katakana.
    addPrinted("code page chosen by ESC t, then the default again",
               hex("1B 74 11 8F E0 A8 A2 A5 E2 0A 1B 40 8F E0 A8 A2 A5 E2 0A 1B 74 06 8F 0A") +
                   hex("1B 74 01 B1 B2 80"),
               {u"[code page 17 (866 Cyrillic)]Привет"_s, u"[initialize]"_s, u"Åα¿óÑΓ"_s,
                u"[code page 6 not available]Å"_s,
                u"[code page 1 (Katakana Japanese)]\uFF71\uFF72\\x80"_s});
    PrinterSettings euro = kKv;
    euro.codePage = 19;
    addPrinted("the printer's default code page without ESC t; CR ignored, SW2 switch 8 OFF",
               "12,50 \xD5\nA\rB\r\n", {u"12,50 €"_s, u"AB"_s}, 0, euro);
    PrinterSettings crValid = kKv;
    crValid.sw2 = 0x6B;
    addPrinted("CR feeds a line while SW2 switch 8 is ON", "A\rB\r\n", {u"A"_s, u"B"_s, u""_s}, 0,
               crValid);
    // ESC z; three control bytes and DEL; GS ( E, a function with data the printer does not have;
    // NUL, then ESC c 2 n, GS | n, ESC 4, ESC 5, ESC SI, ESC DC2 of other printers; BEL.
    addPrinted(
        "unknown bytes: one run up to the next ESC, GS, FS or DLE, data skipped whole",
        hex("1B 7A") + "x" + hex("01 02 03") + QByteArray(300, '\x7f') + "y" +
            hex("1D 28 45 03 00 01 02 03") + "z" + hex("1D 28 45 05 00 01 1B 40 0A 0A") + "!\n" +
            hex("00 1B 63 32 01 1D 7C 04 1B 34 1B 35 1B 0F 1B 12") + "x" + hex("07"),
        {u"[unknown 1B 7A]x[unknown 01 02 03 7F 7F 7F 7F 7F \u2026 303 bytes]y"
         u"[unknown 1D 28 45 03 00 01 02 03]z[unknown 1D 28 45 05 00 01 1B 40 \u2026 10 bytes]!"_s,
         u"[unknown 00][unknown 1B 63 32 01][unknown 1D 7C 04][unknown 1B 34][unknown 1B 35]"
         u"[unknown 1B 0F][unknown 1B 12]x[unknown 07]"_s},
        340);
}

// Rows of jobs(): the commands that set up printing, images and codes, and their print-out.
void addSetupRows()
{
    // python-escpos's hw("RESET") sends ESC ? LF NUL: LF is the character, out of range.
    addPrinted("user-defined characters: defined whole, cancelled, paper stations",
               hex("1B 26 03 41 42 0C") + QByteArray(36, 'U') + hex("02 0A 0A 0A 0A 0A 0A") + "AB" +
                   hex("1B 3F 41 1B 3F 0A 00 1B 40 1B 63 30 01 1B 63 31 02"),
               {u"[define characters A..B]AB[cancel user character A]"
                u"[cancel user character 10 ignored][unknown 00]"_s,
                u"[initialize]"_s, u"[paper for printing 0x01][paper for settings 0x02]"_s},
               1);
    addPrinted("2D code of GS Z and ESC Z, its data in the bracket",
               hex("1D 5A 02 1B 5A 00 4C 06 1E 00") + kUrl + "\n",
               {u"[2D code type qr]"_s, u"[2D code qr \"https://norvanta.example/r/42\\x0a\"]"_s});
    addPrinted("the link ends inside an image: how much of it came",
               "end" + hex("1D 76 30 00 0A 00 64 00") + QByteArray(10, '\xF0'),
               {u"end"_s, u"[incomplete GS v 0: 18 of 1008 bytes]"_s});
    addPrinted("images, drawer, feeds, a job without a last line feed",
               hex("1D 76 30 00 30 00 02 00") + QByteArray(96, '\xff') + hex("1B 2A 21 02 00") +
                   QByteArray(6, '\x0f') + hex("0A 1B 70 00 19 FA 1B 4A 18") + "end",
               {u"[image 384x2]"_s, u"[bit image 24-dot double density, 2 dots]"_s,
                u"[drawer pulse pin 2, on 50 ms, off 500 ms]"_s, u"[feed 24 dots]"_s, u"end"_s});
    addPrinted(
        "setup commands by name, out of range parameters, real-time commands",
        hex("1B 21 39 1B 47 01 1B 4D 01 1B 52 03 0A 1B 33 1E 1B 32 1B 20 02 1B 7B 01 1B 56 01"
            "0A 1B 24 40 01 1B 44 08 10 00 1D 4C 10 00 1D 57 00 02 1D 42 01 1B 2D 05") +
            "x" +
            hex("1D 56 42 03 10 14 01 00 01 10 05 02 1B 42 02 01 0A 1C 70 01 00"
                "1D 28 4C 0B 00 30 70 30 01 01 31 08 00 01 00 FF 1D 28 4C 02 00 30 32"
                "1D 28 6B 04 00 31 41 35 00 1D 28 6B 03 00 31 45 37"),
        {u"[print mode font B, bold, double height, double width][double strike on]"
         u"[font B][character set 3 (U.K.)]"_s,
         u"[line spacing 30 dots][line spacing default][character spacing 2 dots]"
         u"[upside down on][rotate 90 on]"_s,
         u"[position 320][tab stops 8 16][left margin 16 dots][print width 512 dots]"
         u"[reverse on][underline 5 ignored]x"_s,
         u"[cut partial, feed 3]"_s,
         u"[drawer pulse pin 2, on 100 ms][real-time request 2][beep 2 times]"_s, u"[nv image 1]"_s,
         u"[graphics store 8x1]"_s, u"[graphics print]"_s,
         u"[qr model 53 ignored][qr error 55 ignored]"_s});
    // 197 characters and the mark: with the margin "| " on standard error, 200.
    const QString cut = QString(197, u'x') + u'\\';
    addPrinted("long text wraps, the cut lines marked", QByteArray(450, 'x') + '\n',
               {cut, cut, QString(56, u'x')});
}

} // namespace

// What a printer makes of a stream: its replies, the bytes it did not know, and its print-out.
void TestEmulator::jobs_data()
{
    QTest::addColumn<PrinterSettings>("settings");
    QTest::addColumn<PrinterStatus>("status");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<qint64>("unknown");
    QTest::addColumn<QStringList>("lines"); // printed

    addOwnCommandRows();
    addPrintOutRows();
    addSetupRows();
}

void TestEmulator::stateLines_data()
{
    QTest::addColumn<QString>("lines"); // typed one after the other
    QTest::addColumn<QString>("state"); // as the notice shows it; empty: a line was refused

    const auto row = [](const char *lines, const char *state) {
        QTest::newRow(lines) << QString::fromLatin1(lines) << QString::fromLatin1(state);
    };
    row(" Paper   END ", "paper end (off-line)");
    row("paper end|paper near end", "paper near end");
    row("paper near end|cover open|cover closed", "paper near end");
    row("cover open|offline|online", "cover open (off-line)");
    row("cover open|paper end|offline|ok", "ready");
    row("offline|status", "off-line");
    row("paper end|paper ok", "ready");
    row("cover opened", "");
}

void TestEmulator::stateLines()
{
    QFETCH(QString, lines);
    QFETCH(QString, state);

    std::optional<PrinterStatus> status = PrinterStatus();
    for (const QString &line : lines.split(u'|'))
        if (status)
            status = PrinterStatus::applyLine(*status, line);
    QCOMPARE(status ? status->describe() : QString(), state);
}

void TestEmulator::jobs()
{
    QFETCH(PrinterSettings, settings);
    QFETCH(PrinterStatus, status);
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, replies);
    QFETCH(qint64, unknown);
    QFETCH(QStringList, lines);

    const Outcome outcome = run(settings, status, {stream});
    QCOMPARE(std::get<0>(outcome).toHex(' '), replies.toHex(' '));
    QCOMPARE(std::get<2>(outcome), unknown);
    QCOMPARE(std::get<3>(outcome), lines);
    // The same stream split anywhere in two pieces, or byte by byte, has the same effect.
    for (const QList<QByteArray> &pieces : splits(stream))
        QVERIFY(run(settings, status, pieces) == outcome);
}

void TestEmulator::selfTestPage_data()
{
    QTest::addColumn<PrinterSettings>("settings");
    QTest::addColumn<QStringList>("spotLines"); // among the page's lines, letter for letter
    QTest::addColumn<QString>("cut");           // after the page

    QTest::newRow("KV-4100 as it comes, then a partial cut")
        << kKv << QStringList{u"Cut paper count    48213"_s,
                              u"Code page          0 (437 Standard)"_s,
                              u"Character set      0 (U.S.A.)"_s,
                              u"SW1 105  0x69  bits 7-0: 0110 1001"_s,
                              u"  1 OFF 2 ON   Baud Rate = 115200"_s,
                              u"  2 ON 3 ON 4 ON 5 ON 6 ON 7 ON 8 ON  not used"_s}
        << u"[cut partial]"_s;
    PrinterSettings zephyr = PrinterSettings::forModel(QStringLiteral("ZEPHYR-550"));
    zephyr.sw1 = 0x02;
    zephyr.sw2 = 0x08; // switch 4 OFF: the KV-4100's partial cut, not this model's
    zephyr.sw3 = 0xFF;
    zephyr.codePage = 250;
    zephyr.charset = 14;
    zephyr.languageModel = QStringLiteral("LITHUANIA");
    QTest::newRow("ZEPHYR-550 with other bytes, language without names, SW1 switch 4 ON: full cut")
        << zephyr
        << QStringList{u"Code page          250 (LITHUANIA)"_s, u"Character set      14"_s,
                       u"  1 ON         Hardware Switch1 = Invalid"_s,
                       u"               (Software switch instead of hardware switch)"_s,
                       u"  2 OFF 3 OFF 4 OFF 5 OFF 6 OFF 7 OFF 8 OFF  not used"_s}
        << u"[cut full]"_s;
}

void TestEmulator::selfTestPage()
{
    QFETCH(PrinterSettings, settings);
    QFETCH(QStringList, spotLines);
    QFETCH(QString, cut);

    // The self test prints its page after the text before it, on a line of its own, and cuts; it
    // does not answer, and the cut counts.
    const Outcome outcome = run(settings, {}, {"before" + kSelfTest + hex("1D 67 34 16")});
    QCOMPARE(std::get<0>(outcome), blocks(QByteArray::number(settings.cutPaperCount + 1)));
    QStringList page = std::get<3>(outcome);
    QCOMPARE(page.takeFirst(), u"before"_s);
    QCOMPARE(page.takeLast(), cut);
    for (const QString &line : spotLines)
        QVERIFY2(page.contains(line), qPrintable(line));

    // Each byte's eight switches are listed once under its value, in the position the byte gives
    // them, with the texts the window shows for them, a text's further lines indented below it.
    const SwitchByte bytes[] = {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3};
    const int values[] = {settings.sw1, settings.sw2, settings.sw3};
    const QString text = page.join(u'\n');
    const auto multiline = QRegularExpression::MultilineOption;
    for (int byte = 0; byte < 3; ++byte) {
        const QString value = u"^SW%1 +%2  0x.*\n((?:  .*\n)+)"_s.arg(byte + 1).arg(values[byte]);
        const QString listing = QRegularExpression(value, multiline).match(text).captured(1);
        for (int index = 0; index < 8; ++index) {
            const auto update =
                SwitchMeanings::meaning(bytes[byte], settings.model, index, values[byte]);
            const QString meaning =
                update ? update->text.trimmed().replace(u"\r\n"_s, u"\n"_s) : u"not used"_s;
            const QString position =
                u"%1 %2"_s.arg(index + 1).arg(values[byte] >> index & 1 ? u"OFF"_s : u"ON"_s);
            QCOMPARE(listing.count(QRegularExpression(u"\\b%1 O"_s.arg(index + 1))), 1);
            const QRegularExpression listed(
                u"^  (\\d O\\w+ )*%1( \\d O\\w+)* +%2$"_s.arg(
                    position, QRegularExpression::escape(meaning).replace(u"\\\n"_s, u"\n {15}"_s)),
                multiline);
            QVERIFY2(listing.contains(listed), qPrintable(listed.pattern()));
        }
    }
    QCOMPARE(page.constLast(), QString(48, u'=')); // the page's end
}

void TestEmulator::largeJobStaysBounded_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<int>("piece"); // the bytes of each read
    QTest::addColumn<int>("mostLines");

    constexpr qsizetype kSize = 1 << 20;
    QByteArray random(kSize, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &byte : random)
        byte = char(generator.bounded(256));
    QByteArray heads(50000, Qt::Uninitialized);
    QRandomGenerator headGenerator(20240501);
    for (char &byte : heads)
        byte = "\x1D\x1D\x1B\x10gI4u8l(Akv0*\x27\x28\x24\0"[headGenerator.bounded(20)];
    QTest::newRow("random bytes") << random << 4096 << 40000;
    QTest::newRow("mostly bytes that start commands, one at a time") << heads << 1 << 10;
    QTest::newRow("one image") << hex("1D 76 30 00 00 01 00 10") + QByteArray(kSize - 8, '\xAA')
                               << 4096 << 1;
    QTest::newRow("barcodes without their NUL")
        << (hex("1D 6B 04") + "A").repeated(kSize / 4) << 4096 << 8200;
    QTest::newRow("QR codes of the longest data")
        << (hex("1D 28 6B FF FF 31 50 30") + QByteArray(65532, 'q') +
            hex("1D 28 6B 03 00 31 51 30"))
               .repeated(16)
        << 4096 << 40;
}

void TestEmulator::largeJobStaysBounded()
{
    QFETCH(QByteArray, job);
    QFETCH(int, piece);
    QFETCH(int, mostLines);

    Printer printer(kKv);
    CommandParser parser;
    QStringList lines;
    const auto print = [&](const ParsedCommand &command) {
        lines += printer.execute(command).printed;
    };
    for (qsizetype at = 0; at < job.size(); at += piece) {
        parser.feed(QByteArrayView(job).sliced(at, std::min<qsizetype>(piece, job.size() - at)),
                    print);
        QVERIFY(parser.pending() <= CommandParser::kLongestCommand + CommandParser::kKeptData);
    }
    lines += printer.finishJob();
    QVERIFY2(lines.size() <= mostLines, qPrintable(QString::number(lines.size())));
    for (const QString &line : lines)
        QVERIFY2(line.size() <= PrintOut::kMaxLineLength, qPrintable(line));
    // Whatever the parser held, a data block's worth of plain bytes ends it and the next query is
    // found.
    parser.feed(QByteArray(1 << 17, 'x') + QByteArray(1 << 8, '\0'), [](const ParsedCommand &) {});
    QCOMPARE(parser.feed(kMaker).constLast().bytes, kMaker);
}

void TestEmulator::faults_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("tcp"); // what the client sees before the last reply
    QTest::addColumn<QByteArray>("pty");

    const QByteArray replies = blocks("NORVANTA|105|KV-4100");
    const auto row = [](const char *name, const Faults &faults, const QByteArray &tcp,
                        const QByteArray &pty = {}) {
        QTest::newRow(name) << faults << tcp << (pty.isEmpty() ? tcp : pty);
    };
    row("delayed and split", {.replyDelayMs = 20, .splitReplies = true}, replies);
    row("silent", {.silent = true}, {});
    row("garbage instead of", {.garbage = true}, {}); // of a size not known
    row("a late maker reply holds back those after it",
        {.lateReplies = {{QStringLiteral("maker"), 30}, {QStringLiteral("cuts"), 1}}}, replies);
    row("block answers paused inside their text", {.blockPauseMs = 20}, replies);
    row("bytes streamed all the time, between the block answers",
        {.replyDelayMs = 5, .blockPauseMs = 20, .streamBytesPerSecond = 50000}, replies);
    // Bytes sent on their own follow each reply by 5 to 25 ms; they hold back no reply, so the
    // three replies asked for at once come first.
    row("a status block after each reply", {.statusBlocks = true},
        replies + hex("14 00 00 00").repeated(3));
    row("XOFF and XON after each reply", {.flowBytes = true}, replies + hex("13 11").repeated(3));
    row("a noise block after each reply", {.noiseBlocks = true},
        replies + blocks("NOISE|NOISE|NOISE"));
    row("XOFF held after the second command, on the pseudo-terminal only",
        {.holdXoffAfter = 2, .holdXoffMs = 20}, replies,
        blocks("NORVANTA|105") + hex("13 11") + blocks("KV-4100"));
}

void TestEmulator::faults()
{
    QFETCH(Faults, faults);
    QFETCH(QByteArray, tcp);
    QFETCH(QByteArray, pty);

    const QByteArray last = blocks("ANK 12x24 9x17");
    const qsizetype streamed = faults.streamBytesPerSecond > 0 ? 500 : 0;
    for (const bool overPty : {false, true}) {
        EmulatorThread emulator({kKv, faults, {}});
        const quint16 port = overPty ? 0 : emulator.listenTcp();
        Client client(port, overPty ? emulator.openPty() : QString());
        // A stream of unasked bytes flows before any command.
        QByteArray got =
            client.readUntil([&](const QByteArray &b) { return b.size() >= streamed; });
        // Once the three commands are done the faults end; what precedes the next reply shows them.
        // Bytes sent on their own come some time after the replies: all is awaited first.
        const QByteArray expected = overPty ? pty : tcp;
        QVERIFY(client.write(kQueries));
        QTRY_COMPARE_WITH_TIMEOUT(emulator.snapshot().commands, 3, kWaitMs);
        got += client.readUntil([&](const QByteArray &b) { return b.size() >= expected.size(); });
        emulator.setFaults({});
        got += client.ask(kFontRom, last);
        QCOMPARE(emulator.received(), kQueries + kFontRom);
        if (faults.garbage) {
            const qsizetype junk = got.size() - last.size();
            QVERIFY(got.endsWith(last) && junk >= 3 && junk <= 3 * Faults::kMaxGarbageLength &&
                    !got.contains("NORVANTA"));
        } else if (streamed == 0) {
            QCOMPARE(got.toHex(' '), (expected + last).toHex(' '));
        } else {
            // Streamed bytes come between the block answers, never inside one, and never look
            // like framing or flow control.
            static const QRegularExpression answer(u"_[^\\x00]*\\x00"_s);
            const QString seen = QString::fromLatin1(got);
            QString answers;
            for (const QRegularExpressionMatch &match : answer.globalMatch(seen))
                answers += match.captured();
            const QString unasked = QString(seen).remove(answer);
            QCOMPARE(answers, QString::fromLatin1(expected + last));
            QVERIFY(unasked.size() >= streamed &&
                    !unasked.contains(QRegularExpression(u"[\\x00\\x11\\x13]"_s)));
        }
    }
}

void TestEmulator::tcpClients_data()
{
    QTest::addColumn<int>("groups"); // n of GS a n, sent by the first client
    QTest::addColumn<QByteArray>("atOnce");
    QTest::addColumn<QByteArray>("afterCoverOpens");
    QTest::addColumn<QByteArray>("afterPaperNearEnd");

    QTest::newRow("paper group only: the cover does not count")
        << 0x08 << hex("10 00 00 00") << QByteArray() << hex("38 00 03 00");
    QTest::newRow("on-line group only: the paper does not count")
        << 0x02 << hex("10 00 00 00") << hex("38 00 00 00") << QByteArray();
    QTest::newRow("off: nothing unasked") << 0x00 << QByteArray() << QByteArray() << QByteArray();
}

// One TCP client is served at a time, and each starts with automatic status back off. One that
// sends all it has while it waits and closes its sending side, as `nc -N` does, gets its replies
// late and in pieces, and then the printer closes.
void TestEmulator::tcpClients()
{
    QFETCH(int, groups);
    QFETCH(QByteArray, atOnce);
    QFETCH(QByteArray, afterCoverOpens);
    QFETCH(QByteArray, afterPaperNearEnd);

    Emulator emulator({});
    QString error;
    QVERIFY2(emulator.listenTcp(QHostAddress(QHostAddress::LocalHost), 0, &error),
             qPrintable(error));
    QSignalSpy notices(&emulator, &Emulator::notice);
    const auto said = [&](const char *what) {
        const QRegularExpression line(u"^tcp client 127\\.0\\.0\\.1:\\d+ "_s + QLatin1String(what) +
                                      u'$');
        return std::count_if(notices.begin(), notices.end(), [&](const QList<QVariant> &n) {
            return line.match(n[0].toString()).hasMatch();
        });
    };
    auto first = std::make_unique<Client>(emulator.tcpPort());
    QTRY_COMPARE(said("served"), 1);
    Client(emulator.tcpPort()); // waits, then leaves before its turn: it is not served
    Client second(emulator.tcpPort());
    QVERIFY(second.write(kModel + kSw1) && ::shutdown(second.fd, SHUT_WR) == 0);
    // The maker's name after each step shows what came before it, unasked.
    const QByteArray fence = blocks("NORVANTA");
    const QByteArray enable = hex("1D 61") + char(groups);
    QCOMPARE(first->ask(enable + kMaker, fence), atOnce + fence);
    emulator.setStatus({.coverOpen = true});
    QCOMPARE(first->ask(kMaker, fence), afterCoverOpens + fence);
    emulator.setStatus({.coverOpen = true, .paperNearEnd = true});
    QCOMPARE(first->ask(kMaker, fence), afterPaperNearEnd + fence);
    QCOMPARE(emulator.received(), enable + kMaker + kMaker + kMaker); // the second client waits
    emulator.setFaults({.replyDelayMs = 30, .blockPauseMs = 20});
    first.reset(); // the first client leaves
    QTRY_COMPARE(said("served"), 2);
    QCOMPARE(said("left before its turn"), 1);
    emulator.setStatus({});
    QTRY_COMPARE(said("gone"), 2);
    QCOMPARE(second.readUntil([](const QByteArray &) { return false; }), blocks("KV-4100|105"));
    QVERIFY(second.ended);
    QCOMPARE(emulator.received(), enable + kMaker + kMaker + kMaker + kModel + kSw1);
}

void TestEmulator::ptyAnnouncement()
{
    {
        EmulatorThread silent; // in-process emulators announce nothing unless asked
        QVERIFY(!silent.openPty().isEmpty());
        QVERIFY(announcements().isEmpty());
        // Nor in a folder that is not the user's own: here a symbolic link.
        QVERIFY(QFile::link(m_runtime->path(), PtyAnnouncement::folder()));
        EmulatorThread planted(EmulatorOptions{kKv, {}, {}, true, {}});
        QVERIFY(!planted.openPty().isEmpty() && planted.ptyAnnouncementPath().isEmpty());
        QVERIFY(QFile::remove(PtyAnnouncement::folder()));
    }
    // The link ends after the first command, once its late reply, in pieces, is out.
    const Faults dropped{.replyDelayMs = 20, .splitReplies = true, .dropAfter = 1};
    auto emulator = std::make_unique<EmulatorThread>(EmulatorOptions{kKv, dropped, {}, true, {}});
    EmulatorThread other(EmulatorOptions{kKv, {}, {}, true, {}});
    const QString path = emulator->openPty();
    QVERIFY(!other.openPty().isEmpty());
    const QString file = emulator->ptyAnnouncementPath();
    QCOMPARE(QFileInfo(file).absolutePath(),
             QDir(m_runtime->path()).filePath(u"printer-emulator"_s));
    QCOMPARE(announcements().size(), 2); // one file per emulator in the process
    QCOMPARE(fileText(file), path + u'\n');
    QCOMPARE(QFileInfo(file).permissions() & 0x0077, 0); // the user's alone
    QCOMPARE(QFileInfo(QFileInfo(file).absolutePath()).permissions() & 0x0077, 0);

    // A hang-up replaces the pseudo-terminal, and the file follows. (The client keeps the old one
    // open, so that the new one cannot take its number.)
    Client client(0, path);
    COMPARE_REPLY(client, kMaker, "NORVANTA");
    QTRY_VERIFY_WITH_TIMEOUT(emulator->ptyPath() != path, kWaitMs);
    QCOMPARE(fileText(file), emulator->ptyPath() + u'\n');
    COMPARE_REPLY(Client(0, emulator->ptyPath()), kMaker, "NORVANTA"); // a client there is served
    emulator.reset();
    QVERIFY(!QFileInfo::exists(file));
    QCOMPARE(announcements().size(), 1);
}

void TestEmulator::program()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("printer"));
    const QString state = dir.filePath(QStringLiteral("printer.json"));
    // A symbolic link there is replaced by the stored state, never written through.
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.json"));
    QFile target(elsewhere);
    QVERIFY(target.open(QIODevice::WriteOnly) && target.write("{}") == 2 && target.flush());
    QVERIFY(QFile::link(elsewhere, state));
    QProcess program;
    const QRegularExpressionMatch ready = start(
        program, QStringLiteral("--tcp 0 --pty %1 --state %2 --model ZEPHYR-550 --code-page 17")
                     .arg(link, state));
    QCOMPARE(QFileInfo(link).symLinkTarget(), ready.captured(2));
    // The pseudo-terminal is announced to the utility while the program runs.
    const QString announced =
        QStringLiteral("%1/%2-1.pty").arg(PtyAnnouncement::folder()).arg(program.processId());
    QCOMPARE(fileText(announced), ready.captured(2) + u'\n');

    // The language model follows the code page; both links and a reopened pty reach one printer.
    Client tcp(ready.captured(1).toUShort());
    COMPARE_REPLY(Client(0, link), kModel + kName, "ZEPHYR-550|CYRILLIC");
    COMPARE_REPLY(Client(0, link),
                  unlocked(set(0x27, "200") + set(0x29, "255") + set(0x21, "250") +
                           set(0x22, "15") + name("GREEK")) +
                      kSelfTest + kSw1,
                  "200");
    COMPARE_REPLY(tcp, kSw1, "200");
    QByteArray errors; // one line per command, and the print-out with its margin
    QVERIFY(waitForError(program, errors,
                         "| Language model     GREEK\n| Character set      15 (Ex-Yugoslavia)\n"));
    QVERIFY(errors.contains("\nwrite SW1 = 200\n"));

    program.terminate(); // SIGTERM: a clean stop
    QVERIFY(program.waitForFinished(kWaitMs) && program.exitStatus() == QProcess::NormalExit &&
            program.exitCode() == 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(announced));
    QVERIFY(!QFileInfo(state).isSymLink() && fileText(elsewhere) == u"{}"_s);

    // The next run starts from the stored settings; the command line wins over them. The
    // print-out goes to its own file.
    const QString printLog = dir.filePath(QStringLiteral("print.log"));
    QProcess next;
    const QString arguments = QStringLiteral("--state %1 --sw2 7 --tcp 0 --print-log %2 "
                                             "--paper-near-end")
                                  .arg(state, printLog);
    Client client(start(next, arguments).captured(1).toUShort());
    COMPARE_REPLY(client, kReads, "200|7|255|250|15|GREEK");
    QVERIFY(client.write("on paper\n"));
    QTRY_COMPARE(fileText(printLog), QStringLiteral("on paper\n"));
    const QByteArray fence = blocks("NORVANTA");
    QCOMPARE(client.ask(hex("1D 61 0F") + kMaker, fence), hex("10 00 03 00") + fence);

    // Each accepted line on standard input sends a status block; other lines get a notice and
    // change nothing. (The lines go out while the client waits.)
    const auto statusBlocks = [&](qsizetype count) {
        return client.readUntil([=](const QByteArray &b) { return b.size() >= 4 * count; })
            .toHex(' ');
    };
    next.write("cover open\n");
    QCOMPARE(statusBlocks(1), "38 00 03 00");
    next.write("  PAPER   end\npaper near end\n");
    QCOMPARE(statusBlocks(2), "38 00 0f 00 38 00 03 00");
    next.write("tear off\n");
    errors.clear();
    QVERIFY(
        waitForError(next, errors, "# unknown input \"tear off\"; expected one of: cover open, "));
    next.write("ok\n");
    QCOMPARE(statusBlocks(1), "10 00 00 00");
    QCOMPARE(client.ask(hex("10 04 02") + kMaker, fence), hex("12") + fence);
    QVERIFY(errors.contains("# printer status: cover open, paper near end (off-line)\n"));
    next.closeWriteChannel(); // the end of the input is no reason to stop
    QCOMPARE(client.ask(kMaker, fence), fence);
    next.terminate();
    QVERIFY(next.waitForFinished(kWaitMs) && next.exitCode() == 0);
    QVERIFY(!(errors + next.readAllStandardError()).contains("on paper"));
}

void TestEmulator::commandLine_data()
{
    // STATE: a state file with a switch byte of 256; LARGE: one of 64 KiB and a byte.
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // on standard output and standard error

    // The error on standard error; with exit code 2 a hint at the options, with 1 (the program
    // could not start) none.
    const auto row = [](const char *arguments, int exitCode, const char *error) {
        QTest::newRow(arguments) << QString::fromLatin1(arguments) << exitCode
                                 << u"printer-emulator: %1%2\n"_s.arg(
                                        QLatin1String(error),
                                        QLatin1String(exitCode == 2 ? " (try --help)" : ""));
    };
    QTest::newRow("--version") << u"--version"_s << 0
                               << QStringLiteral("printer-emulator " PSU_VERSION "\n");
    row("--sw1=256", 2, "invalid value \"256\" for --sw1 (expected 0 to 255)");
    row("--speed", 2, "unknown option --speed");
    row("--drop-after", 2, "--drop-after needs a value N");
    row("--state STATE", 2, "STATE: invalid value for \"sw2\"");
    row("--state LARGE", 2, "cannot read LARGE: larger than 64 KiB");
    row("--state /dev/zero", 2, "cannot read /dev/zero: not a regular file");
    row("--late-reply sw2:5 --late-reply ink:5", 2,
        "invalid value \"ink:5\" for --late-reply (expected QUERY:MS with QUERY one of maker, "
        "model, firmware, font-rom, hours, cuts, language-model, code-page, charset, sw1, sw2, "
        "sw3 and MS 0 to 60000)");
    row("--hold-xoff 3", 2,
        "invalid value \"3\" for --hold-xoff (expected N:MS with N a command count from 1 and MS "
        "0 to 60000)");
    row("--stream 0", 2,
        "invalid value \"0\" for --stream (expected 1 to 10000000 bytes per second)");
    row("--cover-open=yes", 2, "--cover-open takes no value");
    row("--print-log /nonexistent/print.log", 1,
        "cannot write /nonexistent/print.log: No such file or directory");
}

void TestEmulator::commandLine()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    QTemporaryFile file;
    QVERIFY(file.open() && file.write(R"({"sw2": 256})") > 0 && file.flush());
    QTemporaryFile large;
    QVERIFY(large.open() && large.write(QByteArray(64 * 1024 + 1, ' ')) > 0 && large.flush());
    const auto named = [&](QString text) {
        return text.replace(u"STATE"_s, file.fileName()).replace(u"LARGE"_s, large.fileName());
    };
    QProcess program;
    program.start(programPath(), named(arguments).split(QLatin1Char(' ')));
    QVERIFY(program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QCOMPARE(
        QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError()),
        named(output));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"

// printer-switch against the printer emulator, over TCP loopback and pseudo-terminals: what each
// command prints (in text and JSON) and returns and the bytes the printer received; a backup
// restored onto several printers at once; termination signals in the middle of a write; scans of
// loopback address ranges; bad usage and bad input; and the program itself.
// On Windows the same over TCP loopback: there are no pseudo-terminals, POSIX signals, FIFOs or
// Linux device files there, and the rows that need them are left out; Ctrl-C comes through the
// console's control handler.

#include "CliApplication.h"
#include "Console.h"
#include "EmulatorThread.h"
#include "PrinterReport.h"
#include "SettingsModel.h"
#include "SwitchMeanings.h"
#include "TestDevices.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <atomic>
#include <csignal>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 5000;
// The programs end their lines in CR LF on Windows; read as text, the lines end in LF everywhere.
constexpr QIODevice::OpenMode kTextLines = QIODevice::ReadWrite | QIODevice::Text;

const auto hex = [](const char *bytes) { return QByteArray::fromHex(bytes); };

// The communication test's queries before the switch bytes, in the window's order.
const QByteArray kLanguageQueries = hex("1D673424 1D4945 1D673421 1D673422");
const QByteArray kIdentity = hex("1D4942 1D4943 1D4941 1D673410 1D673416") + kLanguageQueries;
const QByteArray kSW1 = hex("1D67342700");
const QByteArray kSW2 = hex("1D67342800");
const QByteArray kSW3 = hex("1D67342900");
const QByteArray kUnlock = hex("1D67756E6C00");
// The maker's name: the first query, and the question that proves the link in step.
const QByteArray kMaker = hex("1D4942");
const QByteArray kCodePageAndCharset = hex("1D673421 1D673422");
const QByteArray kLock = hex("1D676C636B00");

const auto unlocked = [](const QByteArray &writes) { return kUnlock + writes + kLock; };

// COMn and LPT1 lead where the test says; there is no other device.
class TestResolver : public FixedDeviceResolver
{
public:
    // What the window shows for a port, where the system tells more than its device.
    QStringList serialPortDescriptions(int count) const override
    {
        QStringList shown = DeviceResolver::serialPortDescriptions(count);
        for (auto it = descriptions.cbegin(); it != descriptions.cend(); ++it)
            shown[it.key() - 1] = it.value();
        return shown;
    }

    QMap<int, QString> descriptions;
};

struct Run
{
    int exit = -1;
    QString out;
    QString err;
};

// printer-switch in this process, with COMn and LPT1 as given.
Run run(const QStringList &arguments, const QMap<int, QString> &serial = {},
        const QString &lpt = {}, const QMap<int, QString> &descriptions = {})
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Console console(out, err);
    const auto resolvers = [serial, lpt, descriptions] {
        auto resolver = std::make_unique<TestResolver>();
        resolver->serialPorts = serial;
        resolver->lptDevice = lpt;
        resolver->descriptions = descriptions;
        return std::unique_ptr<DeviceResolver>(std::move(resolver));
    };
    const int exit = CliApplication(console, resolvers).run(arguments);
    return {exit, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
}

PrinterSettings printerWith(const QString &model, int sw2, int sw3 = 0, int codePage = 0,
                            int charset = 0)
{
    PrinterSettings settings = PrinterSettings::forModel(model);
    settings.sw2 = sw2;
    settings.sw3 = sw3;
    settings.codePage = codePage;
    settings.charset = charset;
    settings.languageModel = PrinterTables::codePageName(codePage);
    return settings;
}

const PrinterSettings kKv = PrinterSettings::forModel(u"KV-4100"_s);        // SW2 235, SW3 0
const PrinterSettings kZephyr = PrinterSettings::forModel(u"ZEPHYR-550"_s); // SW2 238, SW1 105
// The KV-4100 that the backup of the restore tests comes from.
const PrinterSettings kChangedKv = printerWith(u"KV-4100"_s, 37, 1, 17, 12);

PrinterSettings withMaker(PrinterSettings settings, const QString &maker)
{
    settings.maker = maker;
    return settings;
}

// Texts with quote, backslash, ESC, BEL, TAB, CR LF and non-ASCII: JSON carries them whole, the
// terminal gets "?" for each control character, so that no line of the printer's stands alone.
PrinterSettings withOddTexts(PrinterSettings settings)
{
    settings.firmware = u"2.1 \"beta\" \\ \x1b]0;owned\x07 caf\u00e9"_s;
    settings.fontRom = u"ANK\t12x24\r\nSW2: 0 \x1b[2J\u00fc"_s;
    return settings;
}

// Windows has no pseudo-terminals: its printer emulator serves TCP only.
#ifdef Q_OS_WIN
constexpr bool kPseudoTerminals = false;
#else
constexpr bool kPseudoTerminals = true;
#endif

// A printer emulator on TCP loopback and, where there are any, a pseudo-terminal, and the ports
// that lead to it.
struct Rig
{
    explicit Rig(const PrinterSettings &settings, const Faults &faults = Faults())
        : emulator(EmulatorOptions{settings, faults, QString()})
        , tcp(u"tcp:127.0.0.1:%1"_s.arg(emulator.listenTcp()))
        , pty(kPseudoTerminals ? emulator.openPty() : QString())
    {}

    EmulatorThread emulator;
    QString tcp;
    QString pty;
};

// LPT1 leads to the printer's pseudo-terminal as well.
enum class Via { Tcp, DevicePath, Lpt };

// A switch byte of a KV-4100 as `info --json` shows it: each switch ON or OFF, with the meaning the
// window's table gives it, or null.
QJsonObject switchByte(SwitchByte sw, int value)
{
    QJsonArray entries;
    for (int i = 0; i < 8; ++i) {
        const auto meaning = SwitchMeanings::meaning(sw, u"KV-4100"_s, i, value);
        entries.append(
            QJsonObject{{u"number"_s, i + 1},
                        {u"on"_s, (value >> i & 1) == 0},
                        {u"meaning"_s, meaning ? QJsonValue(meaning->text) : QJsonValue()}});
    }
    return {{u"value"_s, value}, {u"switches"_s, entries}};
}

} // namespace

struct CommandRow
{
    PrinterSettings printer = kKv;
    Faults faults{};
    Via via = Via::Tcp;
    QString command{}; // and its arguments but the port
    int exit = 0;
    QString out{};      // PORT stands for the port
    QJsonObject json{}; // standard output read as JSON instead of `out`, but its "port"
    QString err{};      // after the port and ": "
    QByteArray wire{};
    bool leftUnlocked = false; // the link ended between an unlock and its lock, for good
    QByteArray mayFollow{};    // what reaches a printer that hangs up, or not, after `wire`
};
Q_DECLARE_METATYPE(CommandRow)

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void commands_data();
    void commands();
    void restore();
#ifndef Q_OS_WIN
    // The program is sent POSIX signals, which Windows does not have.
    void stopSignals_data();
    void stopSignals();
#endif
    void scan_data();
    void scan();
    void ports();
    void refusals_data();
    void refusals();
    void unansweredValues();
    void program();

private:
    QTemporaryDir m_dir;
    QString m_backup;
};

void TestCli::commands_data()
{
    QTest::addColumn<CommandRow>("row");

    const QString powerCycle = u"After writed software switch, please re-power on printer!!"_s;
    // The communication test ends with a proof of the link in step; so does each write's read-back.
    const QByteArray kvQueries = kIdentity + kSW2 + kSW3 + kMaker;
    QTest::newRow("KV-4100, switch 2 of SW2 ON and a new language: written, read back")
        << CommandRow{.command = u"set SW2.2=ON codepage=17 charset=12"_s,
                      .out =
                          u"SW2 235->233\n  2: ON   Unknown\ncodepage 0->17 (17 - 866 Cyrillic)\n"
                          "charset 0->12 (12- Latin America)\n"_s,
                      .err = powerCycle,
                      // The language write: code page, its name in 20 bytes, character set.
                      // Each write after a proof and a read of what it starts from.
                      .wire = kvQueries + kMaker + kSW2 + unlocked(hex("1D673828 32333300")) +
                              kMaker + kCodePageAndCharset +
                              unlocked(hex("1D673821 31370000 1D673824") +
                                       QByteArray("CYRILLIC").leftJustified(21, '\0') +
                                       hex("1D673822 313200")) +
                              kSW2 + kLanguageQueries + kMaker};
    QTest::newRow("SW2 as it is: unchanged, nothing written") << CommandRow{
        .command = u"set SW2=235 charset=0"_s, .out = u"unchanged\n"_s, .wire = kvQueries};
    QTest::newRow("dry run: the writes in hex, the character set alone keeps the code page")
        << CommandRow{.command = u"set SW3.1=OFF charset=12 --dry-run"_s,
                      .out = u"SW3 0->1\n  1: OFF  Paper Feed Backward before print = Enabled\n"
                             "charset 0->12 (12- Latin America)\n"
                             "1D 67 75 6E 6C 00\n1D 67 38 29 31 00 00 00\n1D 67 6C 63 6B 00\n"
                             "1D 67 75 6E 6C 00\n1D 67 38 21 30 00 00 00\n"
                             "1D 67 38 24 53 54 41 4E 44 41 52 44 00 00 00 00 00 00 00 00 00 00 "
                             "00 00 00\n1D 67 38 22 31 32 00\n1D 67 6C 63 6B 00\n"_s,
                      .err = u"dry run: nothing was written"_s,
                      .wire = kvQueries + kMaker + kSW3 + kMaker + kCodePageAndCharset};
    // The rows over a device path or LPT1 reach the printer through its pseudo-terminal: not on
    // Windows.
    if (kPseudoTerminals)
        QTest::newRow("ZEPHYR-550 over a device path: SW1 to 9600 baud, read back")
            << CommandRow{.printer = kZephyr,
                          .via = Via::DevicePath,
                          .command = u"set SW1.1=ON SW1.2=OFF"_s,
                          .out = u"SW1 105->106\n  1: ON   Baud Rate = 9600  \n"
                                 "  2: OFF  Baud Rate = 9600  \n"_s,
                          .err = powerCycle,
                          .wire = kIdentity + kSW2 + kSW1 + kMaker + kMaker + kSW1 +
                                  unlocked(hex("1D673827 31303600")) + kSW1 + kMaker};
    QTest::newRow("--dry-run --json: the changes it would make, nothing written") << CommandRow{
        .command = u"set SW3=1 codepage=17 --dry-run --json"_s,
        .out = u"{\"changes\":[{\"from\":0,\"setting\":\"SW3\",\"state\":\"not written\",\"to\":1,"
               "\"written\":false},{\"from\":0,\"setting\":\"codepage\",\"state\":\"not "
               "written\",\"to\":17,\"written\":false}],\"error\":null,\"port\":\"PORT\","
               "\"result\":\"ok\"}\n"_s,
        .err = u"dry run: nothing was written"_s,
        .wire = kvQueries + kMaker + kSW3 + kMaker + kCodePageAndCharset};
    QTest::newRow("--dry-run --json with nothing to change: unchanged")
        << CommandRow{.command = u"set SW3=0 --dry-run --json"_s,
                      .out = u"{\"changes\":[],\"error\":null,\"port\":\"PORT\",\"result\":"
                             "\"unchanged\"}\n"_s,
                      .wire = kvQueries};
    // Both sides of each change as info shows them, the switch byte with every switch's meaning.
    QTest::newRow("--dry-run --json --meanings: each change before and after, as info shows it")
        << CommandRow{.command = u"set SW2.4=ON codepage=17 --dry-run --json --meanings"_s,
                      .json = QJsonDocument::fromJson(R"j({"error": null, "result": "ok",
                          "changes": [{"setting": "SW2", "from": 235, "to": 227, "written": false,
                            "state": "not written",
                            "before": ["SW2: 235",
                                       "  1: OFF  Print Density = NORMAL",
                                       "  2: OFF  Print Density = NORMAL",
                                       "  3: ON   Cut Paper When cover closed.",
                                       "  4: OFF  Partial cut paper.",
                                       "  5: ON   Raster bitmap print mode = Line printing",
                                       "  6: OFF  Parity check = NONE",
                                       "  7: OFF  Handshaking = DTR/DSR",
                                       "  8: OFF  <CR> Invalid"],
                            "after": ["SW2: 227",
                                      "  1: OFF  Print Density = NORMAL",
                                      "  2: OFF  Print Density = NORMAL",
                                      "  3: ON   Cut Paper When cover closed.",
                                      "  4: ON   Full cut paper",
                                      "  5: ON   Raster bitmap print mode = Line printing",
                                      "  6: OFF  Parity check = NONE",
                                      "  7: OFF  Handshaking = DTR/DSR",
                                      "  8: OFF  <CR> Invalid"]},
                           {"setting": "codepage", "from": 0, "to": 17, "written": false,
                            "state": "not written",
                            "before": ["codepage: 0 (0  - 437 Standard)"],
                            "after": ["codepage: 17 (17 - 866 Cyrillic)"]}]})j")
                                  .object(),
                      .err = u"dry run: nothing was written"_s,
                      .wire = kvQueries + kMaker + kSW2 + kMaker + kCodePageAndCharset};
    // The TCP link ends right after SW2's write, before its lock: the lock goes over a new
    // connection, which reads SW2 back as the printer holds it; SW3 is not sent.
    const QString droppedAfterWrite =
        u"SW2 235->37 written; the link ended while SW2 was written; the printer may be left "
        "unlocked: power it off and on"_s;
    QTest::newRow("link dropped right after the SW2 write: locked again, SW2 read back written")
        << CommandRow{.faults = Faults{.dropAfter = 16},
                      .command = u"set SW2=37 SW3=1 --json"_s,
                      .exit = 1,
                      .out = u"{\"changes\":[{\"from\":235,\"setting\":\"SW2\",\"state\":"
                             "\"written\",\"to\":37,\"written\":true},{\"from\":0,\"setting\":"
                             "\"SW3\",\"state\":\"not written\",\"to\":1,\"written\":false}],"
                             "\"error\":\"%1\",\"port\":\"PORT\",\"result\":\"failed\"}\n"_s.arg(
                                 droppedAfterWrite),
                      .err = droppedAfterWrite,
                      .wire = kvQueries + kMaker + kSW2 + unlocked(hex("1D673828 33370000")) +
                              kSW2 + kMaker};
    QTest::newRow("selftest: started after the communication test")
        << CommandRow{.command = u"selftest"_s,
                      .out = u"self test started\n"_s,
                      .wire = kvQueries + hex("1D2841 0200 0002")};
    // The two-line meaning of a ZEPHYR-550's SW2 switch 1 goes on under its first line.
    QTest::newRow("info in text: ZEPHYR-550, SW2 before SW1, control characters shown as ?")
        << CommandRow{.printer = withOddTexts(kZephyr),
                      .command = u"info"_s,
                      .out = uR"(Maker:                        NORVANTA
Model Name:                   ZEPHYR-550
Firmware Revision:            2.1 "beta" \ ?]0;owned? café
Hours Powered:                342
Cut Paper Count:              9127
Language Model:               STANDARD
Font ROM:                     ANK?12x24??SW2: 0 ?[2Jü
Code Page:                    0  - 437 Standard
International Character Set:  0 - U.S.A.
SW2: 238
  1: ON   Hardware Switch1 = Invalid
          (Software switch instead of hardware switch)
  2: OFF  Fixed to OFF
  3: OFF  Fixed to OFF
  4: OFF  Fixed to OFF
  5: ON   Raster bitmap print mode = Line printing
  6: OFF  Parity check = NONE
  7: OFF  Handshaking = DTR/DSR
  8: OFF  <CR> Invalid
SW1: 105
  1: OFF  Baud Rate = 115200
  2: ON   Baud Rate = 115200
  3: ON   Cut Paper When cover closed.
  4: OFF  Partial cut paper.
  5: ON   Busy condition = When buffer full
  6: OFF  Paper Feed before cut paper = Enabled
  7: OFF  With Auto Cutter
  8: ON   Paper Feed Backward before print = Disabled
)"_s,
                      .wire = kIdentity + kSW2 + kSW1 + kMaker};
    QTest::newRow("KV-4100 has no SW1: refused, nothing written")
        << CommandRow{.command = u"set SW2=1 SW1=3"_s,
                      .exit = 1,
                      .err = u"refused: model \"KV-4100\" has no SW1; nothing was written"_s,
                      .wire = kvQueries};
    QTest::newRow("ZEPHYR-550 with hardware switches: SW1 not in use, refused")
        << CommandRow{.printer = printerWith(u"ZEPHYR-550"_s, 239),
                      .command = u"set SW1=9"_s,
                      .exit = 1,
                      .err = u"refused: SW1 is not in use on this ZEPHYR-550 while switch 1 of SW2 "
                             "is OFF; nothing was written"_s,
                      .wire = kIdentity + kSW2 + kMaker};
    QTest::newRow("code page 6 is in no list: refused before anything is sent")
        << CommandRow{.command = u"set codepage=6"_s,
                      .exit = 1,
                      .err = u"refused: code page 6 is not in the list of code pages (0 to 5, "
                             "17 to 19, 21, 22, 24 to 29, 31, 33, 34, 36, 37 or 250); nothing was "
                             "written"_s};
    QTest::newRow("a maker's name with a result line in it: on the one line, CR as ?")
        << CommandRow{.printer = withMaker(kKv, u"NORVANTA\rtcp:10.9.9.9:9100 ok SW2 235->226"_s),
                      .command = u"set SW2=226"_s,
                      .exit = 1,
                      .err = u"maker \"NORVANTA?tcp:10.9.9.9:9100 ok SW2 235->226\" is not "
                             "NORVANTA; nothing was written"_s,
                      .wire = hex("1D4942")};

    const PrinterSettings oddKv = withOddTexts(kChangedKv);
    const QJsonObject oddKvJson{
        {u"error"_s, QJsonValue()},
        {u"maker"_s, oddKv.maker},
        {u"model"_s, oddKv.model},
        {u"firmware"_s, oddKv.firmware},
        {u"hoursPowered"_s, QString::number(oddKv.hoursPowered)},
        {u"cutCount"_s, QString::number(oddKv.cutPaperCount)},
        {u"language"_s, QJsonObject{{u"model"_s, oddKv.languageModel},
                                    {u"fontRom"_s, oddKv.fontRom},
                                    {u"codePage"_s, oddKv.codePage},
                                    {u"charset"_s, oddKv.charset}}},
        {u"switches"_s, QJsonObject{{u"SW2"_s, switchByte(SwitchByte::SW2, 37)},
                                    {u"SW3"_s, switchByte(SwitchByte::SW3, 1)}}}};
    if (kPseudoTerminals)
        QTest::newRow("info --json of a KV-4100 over LPT1: SW2 and SW3 with every meaning; texts "
                      "with quote, backslash, ESC, BEL and non-ASCII carried whole")
            << CommandRow{.printer = oddKv,
                          .via = Via::Lpt,
                          .command = u"info --json"_s,
                          .json = oddKvJson,
                          .wire = kvQueries};
    // Asked for the maker's name again before the next query, the printer is back in step.
    QJsonObject codePageLate = oddKvJson;
    QJsonObject language = oddKvJson[u"language"_s].toObject();
    language[u"codePage"_s] = QJsonValue::Null;
    codePageLate[u"language"_s] = language;
    codePageLate[u"error"_s] = u"no reply for Code Page"_s;
    QTest::newRow("info --json, code page 2.1 s late: null and named, every other value right, "
                  "exit 1")
        << CommandRow{.printer = oddKv,
                      .faults = {.lateReplies = {{u"code-page"_s, 2100}}},
                      .command = u"info --json"_s,
                      .exit = 1,
                      .json = codePageLate,
                      .err = u"no reply for Code Page"_s,
                      .wire = kIdentity.chopped(4) + kMaker + kIdentity.right(4) + kSW2 + kSW3 +
                              kMaker};
    // Printers whose answers cannot be taken as values: nothing is written. A printer that
    // answers the code page twice gives every later query the answer before; the proof that
    // ends the communication test gets SW3's answer, and all read since the maker's name is
    // unread.
    QJsonObject outOfStep = QJsonDocument::fromJson(R"({
        "maker": "NORVANTA", "model": null, "firmware": null, "hoursPowered": null,
        "cutCount": null, "switches": {},
        "language": {"model": null, "fontRom": null, "codePage": null, "charset": null},
        "error": "the printer's answers are out of step with the questions, so what it answered after its maker's name is unread"})")
                                .object();
    for (const Via via : kPseudoTerminals ? QList{Via::Tcp, Via::DevicePath} : QList{Via::Tcp}) {
        // Refused with exit 1 after the communication test, over TCP or a pseudo-terminal.
        const auto refused = [via, &kvQueries](const char *what, const Faults &faults,
                                               const QString &command, const QString &err,
                                               const QJsonObject &json = {}) {
            QTest::addRow(what, via == Via::Tcp ? "TCP" : "a pseudo-terminal")
                << CommandRow{.faults = faults,
                              .via = via,
                              .command = command,
                              .exit = 1,
                              .json = json,
                              .err = err,
                              .wire = kvQueries};
        };
        const QString outOfStepError = outOfStep[u"error"_s].toString();
        refused("info --json over %s, the code page answered twice: unread, exit 1",
                {.twice = {u"code-page"_s}}, u"info --json"_s, outOfStepError, outOfStep);
        refused("set SW2.3=OFF over %s, the code page answered twice: nothing written",
                {.twice = {u"code-page"_s}}, u"set SW2.3=OFF"_s,
                outOfStepError + u"; nothing was written"_s);
        refused("set SW2.3=OFF over %s, XOFF inside SW2's reply: nothing written",
                {.xoffInside = {u"sw2"_s}}, u"set SW2.3=OFF"_s,
                u"refused: SW2 could not be read; nothing was written"_s);
    }
    // A pseudo-terminal that hangs up right after SW2's write: the lock is lost and nothing
    // reads back, so what the printer holds is unknown, and it may be left unlocked.
    const QString hungUp =
        u"SW2 could not be read back; the printer may be left unlocked: power it off and on"_s;
    if (kPseudoTerminals)
        QTest::newRow(
            "set --json over a pseudo-terminal that hangs up after the SW2 write: unknown")
            << CommandRow{.faults = Faults{.dropAfter = 16},
                          .via = Via::DevicePath,
                          .command = u"set SW2=37 --json"_s,
                          .exit = 1,
                          .out = u"{\"changes\":[{\"from\":235,\"setting\":\"SW2\",\"state\":"
                                 "\"unknown\",\"to\":37,\"written\":false}],\"error\":\"%1\","
                                 "\"port\":\"PORT\",\"result\":\"failed\"}\n"_s.arg(hungUp),
                          .err = hungUp,
                          .wire = kvQueries + kMaker + kSW2 + kUnlock + hex("1D673828 33370000"),
                          .leftUnlocked = true,
                          .mayFollow = kLock + kSW2};
    QTest::newRow("info --json, code page 2.1 s late, replies may take 3 s: every value read")
        << CommandRow{.printer = oddKv,
                      .faults = {.lateReplies = {{u"code-page"_s, 2100}}},
                      .command = u"info --json --reply-timeout 3000"_s,
                      .json = oddKvJson,
                      .wire = kvQueries};
    QTest::newRow("info --json of another maker: the test stops after the maker query, exit 1")
        << CommandRow{.printer = withMaker(kKv, u"ACME"_s),
                      .command = u"info --json"_s,
                      .exit = 1,
                      .json = QJsonDocument::fromJson(R"({
                          "maker": "ACME", "model": null, "firmware": null, "hoursPowered": null,
                          "cutCount": null, "switches": {},
                          "language": {"model": null, "fontRom": null, "codePage": null,
                                       "charset": null},
                          "error": "maker \"ACME\" is not NORVANTA"})")
                                  .object(),
                      .err = u"maker \"ACME\" is not NORVANTA"_s,
                      .wire = hex("1D4942")};
}

void TestCli::commands()
{
    QFETCH(CommandRow, row);

    Rig printer(row.printer, row.faults);
    const QString port = row.via == Via::Tcp   ? printer.tcp
                         : row.via == Via::Lpt ? u"LPT1"_s
                                               : printer.pty;
    const Run result =
        run(row.command.split(u' ') + QStringList{u"--port"_s, port}, {}, printer.pty);
    QCOMPARE(result.exit, row.exit);
    if (row.json.isEmpty()) {
        QCOMPARE(result.out, QString(row.out).replace(u"PORT"_s, port));
    } else {
        QJsonObject json = row.json;
        json.insert(u"port"_s, port);
        QCOMPARE(QJsonDocument::fromJson(result.out.toUtf8()).object(), json);
    }
    // No control character but the line ends reaches the terminal.
    static const QRegularExpression control(u"[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]"_s);
    QVERIFY(!(result.out + result.err).contains(control));
    // The printer's message on standard error, after the link's messages, with the port in front.
    const QStringList messages = result.err.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(messages.isEmpty() ? QString() : messages.filter(row.err).value(0, messages.first()),
             row.err.isEmpty() ? QString() : port + u": "_s + row.err);
    const QByteArray received = printer.emulator.received();
    QCOMPARE(received.first(std::min(received.size(), row.wire.size())).toHex(' '),
             row.wire.toHex(' '));
    QVERIFY2((row.wire + row.mayFollow).startsWith(received), received.toHex(' ').constData());
    // Locked again over a new connection where a TCP link ended.
    QCOMPARE(printer.emulator.snapshot().locked, !row.leftUnlocked);
}

void TestCli::initTestCase()
{
    // The backup of the restore tests, as `backup` writes it: what the printer holds.
    Rig source(kChangedKv);
    const Run backup = run({u"backup"_s, u"--port"_s, source.tcp});
    QCOMPARE(backup.exit, 0);
    QCOMPARE(QJsonDocument::fromJson(backup.out.toUtf8()),
             QJsonDocument::fromJson(R"({"maker": "NORVANTA", "model": "KV-4100",
                                         "switches": {"SW2": 37, "SW3": 1},
                                         "codePage": 17, "charset": 12})"));
    QFile file(m_dir.filePath(u"backup.json"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(backup.out.toUtf8()) >= 0);
    m_backup = file.fileName();
}

void TestCli::restore()
{
    // Four printers, one of them named twice: the second turn waits for the first on that port,
    // and finds the printer as the backup has it.
    Rig fresh(kKv);
    Rig half(printerWith(u"KV-4100"_s, 37, 0, 17, 0));
    Rig zephyr(kZephyr);
    Rig silent(kKv, Faults{.silent = true});
    const Run restore =
        run({u"restore"_s, m_backup, u"--port"_s, fresh.tcp, u"--port"_s, fresh.tcp, u"--port"_s,
             half.tcp, u"--port"_s, zephyr.tcp, u"--port"_s, silent.tcp});
    QCOMPARE(restore.exit, 1);
    QCOMPARE(restore.out, uR"(%1 ok SW2 235->37 SW3 0->1 codepage 0->17 charset 0->12
%1 unchanged
%2 ok SW3 0->1 charset 0->12
%3 refused: model "ZEPHYR-550" is not the backup's "KV-4100"
%4 failed: no answer
2 ok, 1 unchanged, 1 failed, 1 refused
)"_s.arg(fresh.tcp, half.tcp, zephyr.tcp, silent.tcp));
    QVERIFY(
        restore.err.endsWith(u"After writed software switch, please re-power on printer!!\n"_s));

    for (Rig *rig : {&fresh, &half}) {
        const PrinterSnapshot held = rig->emulator.snapshot();
        QCOMPARE(held.settings, kChangedKv);
        QVERIFY(held.locked);
    }
    // The refused printer got the communication test's queries only.
    QCOMPARE(zephyr.emulator.received().toHex(' '), (kIdentity + kSW2 + kSW1 + kMaker).toHex(' '));
}

#ifndef Q_OS_WIN
void TestCli::stopSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("outputClosed"); // standard output a pipe nobody reads, no kill
    QTest::newRow("SIGHUP (a dropped ssh session)") << SIGHUP << false;
    QTest::newRow("SIGINT (Ctrl-C)") << SIGINT << false;
    QTest::newRow("SIGQUIT") << SIGQUIT << false;
    QTest::newRow("SIGTERM") << SIGTERM << false;
    QTest::newRow("SIGPIPE (kill -PIPE)") << SIGPIPE << false;
    QTest::newRow("SIGPIPE (standard output closed: the first result line cannot be written)")
        << SIGPIPE << true;
}

void TestCli::stopSignals()
{
    // The program, as a shell runs it. The signal comes the moment the first printer takes its
    // first unlock, or the first result line finds its pipe closed: that printer is finished and
    // locked, the second is not started, and the run ends with 128 + the signal.
    QFETCH(int, signal);
    QFETCH(bool, outputClosed);
    Rig first(kKv);
    Rig second(kKv);
    QProcess program;
    std::atomic<qint64> pid = 0;
    std::atomic<bool> sent = false;
    first.emulator.onCommand([&](const QString &line) {
        if (!outputClosed && line == u"unlock" && pid > 0 && !sent.exchange(true))
            ::kill(pid_t(pid.load()), signal);
    });
    int pipe[2] = {-1, -1};
    if (outputClosed) {
        QCOMPARE(::pipe2(pipe, O_CLOEXEC), 0);
        ::close(pipe[0]);
        program.setChildProcessModifier([&pipe] { ::dup2(pipe[1], STDOUT_FILENO); });
    }
    program.start(qEnvironmentVariable("PSU_BINARY_DIR") + u"/bin/printer-switch"_s,
                  {u"restore"_s, m_backup, u"--jobs"_s, u"1"_s, u"--port"_s, first.tcp, u"--port"_s,
                   second.tcp});
    pid = program.processId();
    QVERIFY(program.waitForStarted(kWaitMs));
    if (outputClosed)
        ::close(pipe[1]);
    QVERIFY(program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 128 + signal);
    if (!outputClosed)
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()),
                 first.tcp + u" ok SW2 235->37 SW3 0->1 codepage 0->17 charset 0->12\n"_s +
                     second.tcp +
                     u" interrupted: stopped before it was started\n"
                     "1 ok, 0 unchanged, 0 failed, 1 interrupted\n"_s);
    QVERIFY(QString::fromUtf8(program.readAllStandardError())
                .contains(u"printer-switch: stopped by %1; finished: %2; untouched: %3; no "
                          "printer is left unlocked\n"_s.arg(
                              QString::fromLatin1(QTest::currentDataTag()).section(u' ', 0, 0),
                              first.tcp, second.tcp)));
    const QByteArray log = first.emulator.received();
    QCOMPARE(log.count(kLock), log.count(kUnlock));
    QVERIFY(log.endsWith(kLock + kSW2 + kSW3 + kLanguageQueries + kMaker));
    QCOMPARE(first.emulator.snapshot().settings, kChangedKv);
    QCOMPARE(second.emulator.received(), QByteArray());
}
#endif

void TestCli::scan_data()
{
    // A KV-4100 on 127.0.0.1 and a ZEPHYR-550 on 127.0.1.5, on one TCP port: %1.
    QTest::addColumn<QString>("arguments"); // after "scan"
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString kv = u"tcp:127.0.0.1:%1 NORVANTA KV-4100\n"_s;
    const QString zephyr = u"tcp:127.0.1.5:%1 NORVANTA ZEPHYR-550\n"_s;
    const auto row = [](const char *name, const char *arguments, const QString &out,
                        const QString &err = {}) {
        QTest::newRow(name) << QString::fromLatin1(arguments) << out << err;
    };
    row("a range over two subnets, 4 at a time: its first address and one in the second",
        "127.0.0.1-127.0.1.8 --jobs 4 --timeout 200",
        kv + zephyr + u"2 printers found in 264 addresses\n"_s);
    row("/30 of its second host: its two hosts", "127.0.1.6/30",
        zephyr + u"1 printer found in 2 addresses\n"_s);
    row("/31: both addresses", "127.0.1.4/31", zephyr + u"1 printer found in 2 addresses\n"_s);
    row("/32 --json: the one address, a line for its printer, the summary on standard error",
        "127.0.0.1/32 --json",
        u"{\"changes\":[],\"error\":null,\"maker\":\"NORVANTA\",\"model\":\"KV-4100\","
        "\"port\":\"tcp:127.0.0.1:%1\",\"result\":\"ok\"}\n"_s,
        u"1 printer found in 1 address\n"_s);
    row("a range of exactly 4096", "127.0.0.0-127.0.15.255",
        kv + zephyr + u"2 printers found in 4096 addresses\n"_s);
}

void TestCli::scan()
{
    QFETCH(QString, arguments);
    QFETCH(QString, out);
    QFETCH(QString, err);

    Rig kv(kKv);
    const QString port = kv.tcp.section(u':', 2);
    QProcess zephyr;
    zephyr.start(qEnvironmentVariable("PSU_BINARY_DIR") + u"/bin/printer-emulator"_s,
                 {u"--tcp"_s, u"127.0.1.5:"_s + port, u"--model"_s, u"ZEPHYR-550"_s}, kTextLines);
    QTRY_VERIFY_WITH_TIMEOUT(zephyr.canReadLine(), kWaitMs);
    QCOMPARE(zephyr.readLine(), "tcp 127.0.1.5:" + port.toLatin1() + '\n');

    const Run result = run(QStringList{u"scan"_s, u"--tcp-port"_s, port} + arguments.split(u' '));
    QCOMPARE(result.exit, 0);
    QCOMPARE(result.out, out.arg(port));
    QCOMPARE(result.err, err);
    // Killed: Windows has no signal to end a console program with.
    zephyr.kill();
    QVERIFY(zephyr.waitForFinished(kWaitMs));
}

void TestCli::ports()
{
    // Each port as the window describes it: the device, and beside it what else the system tells.
    const QString adapter = u"/dev/ttyUSB0 \u2014 FTDI FT232R USB UART (A10K3XYZ)"_s;
    const Run result =
        run({u"ports"_s}, {{2, u"/dev/pts/7"_s}, {16, u"/dev/ttyUSB0"_s}}, u"/dev/usb/lp0"_s,
            {{2, u"printer emulator (/dev/pts/7)"_s}, {16, adapter}});
    QCOMPARE(result.exit, 0);
    QString expected = u"COM1   no device\nCOM2   /dev/pts/7    printer emulator (/dev/pts/7)\n"_s;
    for (int number = 3; number <= 15; ++number)
        expected += u"COM%1"_s.arg(number).leftJustified(7) + u"no device\n"_s;
    expected += u"COM16  /dev/ttyUSB0  "_s + adapter + u"\nLPT1   /dev/usb/lp0\n"_s;
    QCOMPARE(result.out, expected);
}

void TestCli::refusals_data()
{
    // FILE: a file holding `backup`; FIFO: a FIFO without a writer; DIR: a directory.
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("error"); // standard error, without the hint that follows bad usage
    QTest::addColumn<QByteArray>("backup");

    // Bad usage: status 2 and the program's name in front.
    const auto row = [](const char *name, const char *arguments, const char *error,
                        const QByteArray &backup = R"({"maker": "NORVANTA"})") {
        QTest::newRow(name) << QString::fromUtf8(arguments) << 2
                            << u"printer-switch: "_s + QString::fromUtf8(error) << backup;
    };
    row("nothing", "", "the command comes first: printer-switch COMMAND [OPTIONS]");
    row("unknown command", "reset", "unknown command \"reset\"");
    row("info without a port", "info --json", "info needs --port");
    row("two ports for info", "info --port COM1 --port=COM2", "info takes one --port");
    row("COM17 is not in the list", "backup --port COM17",
        "--port \"COM17\" is not in the port list (COM1 to COM16)");
#ifndef Q_OS_WIN
    // (On Windows USB002 is a port: tst_win_usb_printer has its rows.)
    row("a USB printer's own port, which only Windows names", "info --port USB002",
        "--port \"USB002\" names no port: give tcp:HOST[:PORT], COMn, a device path or LPT1");
#endif
    row("TCP port out of range", "info --port tcp:127.0.0.1:70000",
        "--port \"70000\" is no TCP port (1 to 65535)");
    row("an option of another command", "info --port LPT1 --dry-run",
        "--dry-run is no option of info");
    row("unknown option", "set --port LPT1 --force SW2=1", "unknown option --force");
    row("baud rate not offered", "info --port COM1 --baud 4800",
        "--baud is 115200, 38400, 19200 or 9600");
    row("set without settings", "set --port LPT1", "set needs SETTING");
    row("switch byte over 255", "set --port LPT1 SW2=256",
        "SW2=256: a switch byte is a number from 0 to 255");
    row("code page beyond every list", "set --port LPT1 codepage=99999",
        "codepage=99999: codepage is 0 to 5, 17 to 19, 21, 22, 24 to 29, 31, 33, 34, 36, 37 or "
        "250");
    row("character set beyond the list", "set --port LPT1 charset=-1",
        "charset=-1: charset is 0 to 13 or 15");
    row("switch 9", "set --port LPT1 SW2.9=ON",
        "SW2.9=ON: a setting is SW1=N, SW2=N, SW3=N, SWn.k=ON|OFF, codepage=N or charset=N");
    row("switch neither ON nor OFF", "set --port LPT1 SW2.1=1", "SW2.1=1: a switch is ON or OFF");
    row("jobs 0", "scan 127.0.0.1/32 --jobs 0", "--jobs is a number from 1 to 256");
    row("replies allowed longer than 30 s", "restore FILE --port LPT1 --reply-timeout 30001",
        "--reply-timeout is a number of milliseconds from 1000 to 30000");
    row("4097 addresses", "scan 127.0.0.0-127.0.16.0",
        "127.0.0.0-127.0.16.0 holds 4097 addresses; at most 4096 are scanned at a time");
    row("higher address first", "scan 127.0.0.9-127.0.0.1",
        "127.0.0.9-127.0.0.1: a range is A.B.C.D/NN or A.B.C.D-A.B.C.E, the lower address first");
    row("no address", "scan 127.0.0/24", "127.0.0/24: a range is A.B.C.D/NN or A.B.C.D-A.B.C.E");
    row("backup without switches", "restore FILE --port LPT1",
        "FILE: a backup is an object with \"maker\" and \"model\" texts and \"switches\"");
    row("a member twice in the backup, once written with an escape", "restore FILE --port LPT1",
        "FILE: \"SW2\" is given twice",
        R"({"maker": "NORVANTA", "model": "KV-4100", "switches": {"SW2": 37, "SW\u0032": 38}})");
    row("a member the backup does not know", "restore FILE --port LPT1",
        "FILE: \"charSet\" is no member of a backup: it holds \"maker\", \"model\", "
        "\"switches\", \"codePage\" and \"charset\"",
        R"({"maker": "NORVANTA", "model": "KV-4100", "switches": {"SW2": 37}, "charSet": 12})");
    row("a raw control character in a text of the backup", "restore FILE --port LPT1",
        "FILE: \"model\" holds a control character",
        "{\"maker\": \"NORVANTA\", \"model\": \"KV-4100\\u0041\r\", \"switches\": {}}");
    row("a backup over 64 KiB", "restore FILE --port LPT1", "FILE: a backup is at most 64 KiB",
        QByteArray(65 * 1024, ' ') + "{}");
    row("a switch of a byte also given whole", "set --port LPT1 SW3=1 SW3.2=ON",
        "SW3.2=ON: the same setting is already given as SW3=1");
    row("meanings without JSON", "set --port LPT1 SW3=1 --meanings", "--meanings goes with --json");
    row("serial settings for a TCP port", "info --port tcp:127.0.0.1 --parity even",
        "--baud, --parity and --handshake set up a serial port; tcp:127.0.0.1:9100 is none");
    // CLOSED: a loopback TCP port nothing listens on.
    QTest::newRow("nothing listens on the TCP port: the system's reason, one line")
        << u"info --port CLOSED"_s << 1 << u"CLOSED: Connection refused\n"_s << QByteArray();
#ifndef Q_OS_WIN
    // Linux's words for a missing file, its device files and FIFOs, which Windows does not have.
    row("backup that is not there", "restore /nonexistent/kv.json --port LPT1",
        "/nonexistent/kv.json: No such file or directory");
    row("an endless device as backup", "restore /dev/zero --port LPT1",
        "/dev/zero: not a regular file");
    row("a FIFO without a writer as backup", "restore FIFO --port LPT1",
        "FIFO: not a regular file");
    // A port that is no serial device: one line naming it, not the window's messages about COM
    // ports.
    for (const char *path : {"/etc/passwd", "DIR", "/dev/null"})
        QTest::addRow("not a serial device: %s", path)
            << u"info --port "_s + QLatin1String(path) << 1
            << QLatin1String(path) + u": not a serial device\n"_s << QByteArray();
#endif
}

void TestCli::refusals()
{
    QFETCH(QString, arguments);
    QFETCH(int, exit);
    QFETCH(QString, error);
    QFETCH(QByteArray, backup);

    QTemporaryDir dir;
    QFile file(dir.filePath(u"backup.json"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(backup) >= 0);
    file.close();
    const QString fifo = dir.filePath(u"fifo"_s);
#ifndef Q_OS_WIN
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
#endif
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString closed = u"tcp:127.0.0.1:%1"_s.arg(listener.serverPort());
    listener.close();
    const auto named = [&](QString text) {
        return text.replace(u"CLOSED"_s, closed)
            .replace(u"FILE"_s, file.fileName())
            .replace(u"FIFO"_s, fifo)
            .replace(u"DIR"_s, dir.path());
    };

    const Run result = run(named(arguments).split(u' ', Qt::SkipEmptyParts));
    QCOMPARE(result.exit, exit);
    QCOMPARE(result.out, QString());
    QCOMPARE(exit == 2 ? result.err.section(u'\n', 0, 0) : result.err, named(error));
}

void TestCli::unansweredValues()
{
    // A KV-4100's values in the order the communication test asks for them: model name, firmware,
    // hours, cuts, language model, font ROM, code page, character set, SW2, SW3. The code page is
    // late past the link's bound: it is unanswered, the rest not asked, and why. (Every value
    // asked and one unanswered: the rows of commands().)
    const QStringList info{u"KV-4100"_s, u"1.02"_s, u"342"_s, u"9127"_s, u"PC437"_s, u"ANK"_s};
    SettingsModel printer;
    for (int i = 0; i < int(info.size()); ++i)
        (i < 4 ? printer.printerInfo : printer.languageInfo)[std::size_t(i % 4)] = info.at(i);
    const QString why = u"the printer's answers lag behind the questions; nothing more is sent "
                        "until the port is opened again"_s;
    QCOMPARE(PrinterReport::missingReport(printer, 7, why),
             u"no reply for Code Page; not asked for International Character Set, SW2, SW3: "_s +
                 why);
}

void TestCli::program()
{
    // The installed program: its version, its results on standard output and its exit statuses.
    // Its messages are its own: Qt's notes about a missing desktop session stay out.
    const QString binary = qEnvironmentVariable("PSU_BINARY_DIR") + u"/bin/printer-switch"_s;
    const auto execute = [&binary](const QStringList &arguments, const QByteArray &input = {},
                                   const QString &output = {}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"XDG_RUNTIME_DIR"_s);
        program.setProcessEnvironment(environment);
        if (!output.isEmpty())
            program.setStandardOutputFile(output);
        program.start(binary, arguments, kTextLines);
        program.write(input);
        program.closeWriteChannel();
        program.waitForFinished(kWaitMs);
        return Run{program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                   QString::fromUtf8(program.readAllStandardOutput()),
                   QString::fromUtf8(program.readAllStandardError())};
    };
    QCOMPARE(execute({u"--version"_s}).out,
             u"printer-switch "_s + QLatin1String(PSU_VERSION) + u'\n');
    const Run help = execute({u"restore"_s, u"--help"_s});
    QCOMPARE(help.exit, 0);
    QVERIFY(help.out.startsWith(u"Usage: printer-switch restore FILE|- --port P"_s));

    Rig printer(kZephyr);
    QCOMPARE(execute({u"set"_s, u"--port"_s, printer.tcp, u"SW3"_s}).exit, 2);
    QCOMPARE(execute({u"ports"_s}).err, QString());

    // A backup that cannot be written is no backup (a full disk is played by Linux's /dev/full);
    // one read from standard input restores.
#ifndef Q_OS_WIN
    const Run full = execute({u"backup"_s, u"--port"_s, printer.tcp}, {}, u"/dev/full"_s);
    QCOMPARE(full.exit, 1);
    QCOMPARE(full.err, u"printer-switch: standard output: No space left on device\n"_s);
#endif
    const QByteArray backup = execute({u"backup"_s, u"--port"_s, printer.tcp}).out.toUtf8();
    const Run restore =
        execute({u"restore"_s, u"-"_s, u"--port"_s, printer.tcp, u"--json"_s}, backup);
    QCOMPARE(restore.exit, 0);
    QCOMPARE(QJsonDocument::fromJson(restore.out.toUtf8())[u"result"_s], u"unchanged"_s);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

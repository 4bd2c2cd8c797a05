// The printer link: how a reply is read, and the three transports with their opens, closes and
// messages, on scripted devices with a virtual clock; and a few exchanges with real peers, a TCP
// printer on 127.0.0.1 and a pseudo-terminal as serial port.

#include "LinkReporter.h"
#include "LinkStatusView.h"
#include "PrinterLink.h"
#include "PrinterPeer.h"
#include "QtEventPump.h"
#include "QtSerialDevice.h"
#include "QtTcpClient.h"
#include "ReplyFramer.h"
#include "ReplyReader.h"
#include "ScriptedDevices.h"
#include "TestDevices.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

QByteArray hex(const char *bytes)
{
    return QByteArray::fromHex(bytes);
}

const QByteArray kUnlock = hex("1D67756E6C00");
const QByteArray kGetSW2 = hex("1D67342800");
const QByteArray kGetSW3 = hex("1D67342900");

// The queries of a KV-4100's communication test and the printer's answers to them: maker, model,
// firmware, hours, cuts, language model, font ROM, code page, character set, SW2, SW3.
const QList<std::pair<QByteArray, QByteArray>> kTestQueries{
    {hex("1D4942"), QByteArray("_NORVANTA", 10)},
    {hex("1D4943"), QByteArray("_KV-4100", 9)},
    {hex("1D4941"), QByteArray("_1.02", 6)},
    {hex("1D673410"), QByteArray("_342", 5)},
    {hex("1D673416"), QByteArray("_9127", 6)},
    {hex("1D673424"), QByteArray("_PC437", 7)},
    {hex("1D4945"), QByteArray("_ANK", 5)},
    {hex("1D673421"), QByteArray("_17", 4)},
    {hex("1D673422"), QByteArray("_12", 4)},
    {kGetSW2, QByteArray("_37", 4)},
    {kGetSW3, QByteArray("_218", 5)}};

// Sends a query and returns its reply.
QString replyTo(PrinterLink &link, const QByteArray &command)
{
    QString reply = u"R"_s;
    link.SendCommand(command, reply);
    return reply;
}

// The window's side of the link: the options it offers, the status box and the message boxes.
struct Window : LinkStatusView, LinkReporter
{
    void showLinkStatus(const LinkStatusStyle &style) override { statuses << style.text; }
    void report(const LinkProblem &problem) override
    {
        shown << (problem.source == LinkProblem::Source::Socket ? u"socket: "_s : u"port: "_s) +
                     problem.text;
    }

    // What the user chose, handed to the link whole.
    LinkSettings chosen{.serial = {BaudRate::Baud9600, Parity::Even, Handshake::XonXoff},
                        .tcpHost = u"127.0.0.1"_s,
                        .tcpPort = TcpPort(9100)};
    QStringList statuses, shown;
};

// A link over scripted devices on a virtual clock; COMn is "/dev/ttyFAKEn" up to COM4, LPT1 is
// "/dev/usb/lp0".
struct ScriptedRig : Window
{
    explicit ScriptedRig(const QString &portName)
    {
        auto resolver = std::make_unique<FixedDeviceResolver>();
        for (int number = 1; number <= 4; ++number)
            resolver->serialPorts.insert(number, u"/dev/ttyFAKE%1"_s.arg(number));
        resolver->lptDevice = u"/dev/usb/lp0"_s;
        link = std::make_unique<PrinterLink>(
            *this, *this, pump,
            PrinterLink::Devices{std::unique_ptr<SerialDevice>(serial),
                                 std::unique_ptr<TcpClient>(tcp), std::unique_ptr<LptDevice>(lpt),
                                 std::move(resolver)});
        chosen.port = PortChoice::fromName(portName);
        link->setSettings(chosen);
    }
    // The device of the chosen kind.
    ScriptControls *device() const
    {
        const PortKind kind = link->portKind();
        if (kind == PortKind::Tcp)
            return tcp;
        return kind == PortKind::Serial ? static_cast<ScriptControls *>(serial) : lpt;
    }

    VirtualPump pump;
    ScriptedSerial *serial = new ScriptedSerial(pump.clock);
    ScriptedTcp *tcp = new ScriptedTcp(pump.clock);
    ScriptedLpt *lpt = new ScriptedLpt(pump.clock);
    std::unique_ptr<PrinterLink> link;
};

// A link over the system's devices to a real peer: a printer on 127.0.0.1 for "TCP/IP", else a
// pseudo-terminal behind COM1.
struct PeerRig : Window
{
    explicit PeerRig(const QString &portName, Handshake handshake = Handshake::DtrDsr)
        : printer(portName == u"TCP/IP")
    {
        chosen.serial.handshake = handshake;
        chosen.tcpPort = TcpPort(printer.server.serverPort());
        auto serial = std::make_unique<QtSerialDevice>();
        auto tcp = std::make_unique<QtTcpClient>();
        device = printer.master < 0 ? static_cast<ByteChannel *>(tcp.get()) : serial.get();
        auto resolver = std::make_unique<FixedDeviceResolver>();
        resolver->serialPorts = {{1, QString::fromLocal8Bit(::ttyname(printer.slave))}};
        link = std::make_unique<PrinterLink>(
            *this, *this, pump,
            PrinterLink::Devices{std::move(serial), std::move(tcp), nullptr, std::move(resolver)});
        chosen.port = PortChoice::fromName(portName);
        link->setSettings(chosen);
    }
    // Opens the port and waits until the printer has the connection.
    bool open()
    {
        return link->OpenPort(true) && QTest::qWaitFor([this] {
                   return device->isOpen() && (printer.master >= 0 || printer.socket);
               });
    }
    PrinterPeer printer;
    QtEventPump pump;
    ByteChannel *device = nullptr;
    std::unique_ptr<PrinterLink> link;
};

// One command and what the printer does with it.
struct Exchange
{
    QByteArray command{};
    bool replyWanted = true;
    QList<Arrival> answer{};
    QString reply{};
    bool sent = true;
    bool closing = false; // sent as a closing command, which is kept when held up
    bool whole = true;    // the reply came whole and alone: a value
};

} // namespace

enum class Fault { None, TcpConnecting, TcpBroke, LptCannotReopen, WriteFails };
Q_DECLARE_METATYPE(Fault)

struct Transaction
{
    QString port{};
    Fault fault = Fault::None;
    QList<Exchange> exchanges{};
    QStringList shown{};   // the message boxes, by source
    QStringList journal{}; // the device's opens and closes after the port was opened
    std::optional<milliseconds> holdsOutputUntil{}; // the printer holds what it is sent up
    // What reached the printer in the end, when not every command that was sent in time.
    std::optional<QByteArray> reached{};
    milliseconds replyTimeout = kWindowReplyTimeout; // as the user set it
};
Q_DECLARE_METATYPE(Transaction)

struct SerialOpen
{
    QString port{};
    bool dsrOn = true;
    std::optional<SerialSettings> reopenWith{}; // the options selected when it is opened again
    bool result = true;
    QStringList shown{};
    QStringList journal{};
};
Q_DECLARE_METATYPE(SerialOpen)

// How a TCP connection that the link waits for fails.
enum class Connection { Refused, NeverUp, NotAsked };
Q_DECLARE_METATYPE(Connection)

// A communication test against a printer that answers one query late, or never again from it on.
struct InStep
{
    QString port{};
    int late = 0;          // the query, as kTestQueries counts them
    milliseconds lateBy{}; // zero: the printer answers nothing more
    QByteArray probes{};   // the questions the link asks before the next query
    QStringList shown{};
};
Q_DECLARE_METATYPE(InStep)
Q_DECLARE_METATYPE(InStepProof)

class LinkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replyFramer_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("flowControlOnLink");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<bool>("mixed");

        const auto row = [](const char *name, const QByteArray &received, const QByteArray &reply,
                            bool complete, bool mixed = false, bool flowControlOnLink = false) {
            QTest::newRow(name) << received << flowControlOnLink << reply << complete << mixed;
        };
        // Any byte that is not the answer's inside a reply makes it no value: which of its bytes
        // answer the query is unknown.
        row("second frame right after the block: mixed", hex("5F 31 00 5F 32 00"), hex("5F 31 00"),
            true, true);
        row("XOFF inside a framed number (_2 XOFF 33): mixed", hex("5F 32 13 33 33 00"),
            hex("5F 32 13 33 33 00"), true, true);
        row("XOFF inside a framed number on an XON/XOFF line: the line's, dropped",
            hex("5F 32 13 33 33 00"), hex("5F 32 33 33 00"), true, false, true);
        row("status block opened inside a framed text: ends at its NUL, mixed", hex("5F 4B 14 00"),
            hex("5F 4B 14 00"), true, true);
        row("second underscore inside a block: mixed", hex("5F 32 5F 33 33 00"),
            hex("5F 32 5F 33 33 00"), true, true);
        row("status block and XON right after a block: the printer's own",
            hex("5F 37 00 14 00 00 00 11"), hex("5F 37 00"), true);
        row("status block cover open (30 00 00 00) before the reply dropped",
            hex("30 00 00 00 5F 37 00"), hex("5F 37 00"), true);
        row("status block inside an unframed reply: mixed", hex("4B 56 18 00 0C 00 0D 0A"),
            hex("4B 56 0D 0A"), false, true);
        row("status block after an unframed reply: dropped", hex("4B 56 18 00 0C 00"), hex("4B 56"),
            false);
        row("four printable bytes of that form are text", hex("54 48 41 49"), hex("54 48 41 49"),
            false);
        row("a digit that could open a status block is text", hex("30"), hex("30"), false);
        row("a broken status block is text", hex("14 00 39"), hex("14 00 39"), false);
        row("block cut at 1 KiB", hex("5F") + QByteArray(2000, 'A'),
            hex("5F") + QByteArray(1023, 'A'), true);
        row("an underscore inside an unframed reply opens no block", hex("4F 4B 5F 31 00 32"),
            hex("4F 4B 5F 31 00 32"), false);
        row("block without its NUL yet", hex("5F 4E 4F 52"), hex("5F 4E 4F 52"), false);
    }

    void replyFramer()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, flowControlOnLink);
        QFETCH(QByteArray, reply);
        QFETCH(bool, complete);
        QFETCH(bool, mixed);

        // Byte by byte and in one piece alike.
        ReplyFramer whole(1024, flowControlOnLink), single(1024, flowControlOnLink);
        whole.feed(received);
        for (const char byte : received)
            single.feed(QByteArrayView(&byte, 1));
        for (const ReplyFramer *framer : {&whole, &single}) {
            QCOMPARE(framer->reply().toHex(' '), reply.toHex(' '));
            QCOMPARE(framer->isComplete(), complete);
            QCOMPARE(framer->isMixed(), mixed);
        }
    }

    void serialOpen_data()
    {
        QTest::addColumn<SerialOpen>("row");

        QTest::newRow("COM3 opens with the options chosen, and again: closed first, then the "
                      "options chosen by then")
            << SerialOpen{.port = u"COM3"_s,
                          .reopenWith = SerialSettings{},
                          .journal = {u"open /dev/ttyFAKE3 9600,E,8,1 XON/XOFF"_s, u"close"_s,
                                      u"open /dev/ttyFAKE3 115200,N,8,1 DTR/DSR"_s}};
        QTest::newRow("COM2 with DSR off: open, but busy") << SerialOpen{
            .port = u"COM2"_s,
            .dsrOn = false,
            .result = false,
            .shown = {u"port: The COM2 port is busy...\r\n\r\nPlease double check the "
                      "printer cable status."_s},
            .journal = {u"open /dev/ttyFAKE2 9600,E,8,1 XON/XOFF"_s}};
    }

    void serialOpen()
    {
        QFETCH(SerialOpen, row);

        ScriptedRig rig(row.port);
        rig.serial->dsrOn = row.dsrOn;
        QCOMPARE(rig.link->OpenPort(true), row.result);
        if (row.reopenWith) {
            rig.chosen.serial = *row.reopenWith;
            rig.link->setSettings(rig.chosen);
            QCOMPARE(rig.link->OpenPort(true), row.result);
        }
        QCOMPARE(rig.shown, row.shown);
        QCOMPARE(rig.serial->journal, row.journal);
        QCOMPARE(rig.link->serialSettings(), rig.chosen.serial);
    }

    void transaction_data()
    {
        QTest::addColumn<Transaction>("row");

        // A query on COM3 and how the printer answers it.
        const auto query = [](const char *name, const QList<Arrival> &printer,
                              const QString &reply) {
            QTest::newRow(name) << Transaction{.port = u"COM3"_s,
                                               .exchanges = {{kGetSW2, true, printer, reply}}};
        };
        query("block framing dropped, bytes above 127 kept", {{0ms, hex("5F 41 42 B0 FF 00")}},
              u"AB\u00b0\u00ff"_s);
        query("first byte at 1000 ms still counts", {{1000ms, hex("5F 37 00")}}, u"7"_s);
        query("first byte at 1001 ms comes too late", {{1001ms, hex("5F 37 00")}}, QString());
        query("block with a 55 ms pause inside is whole",
              {{0ms, "_NOR"}, {55ms, QByteArray("VANTA", 6)}}, u"NORVANTA"_s);
        query("status block and XOFF before the reply left out",
              {{0ms, hex("14 00 00 00")}, {5ms, hex("13 11")}, {20ms, hex("5F 38 00")}}, u"8"_s);
        query("status blocks only: no reply",
              {{0ms, hex("14 00 00 00")}, {500ms, hex("14 00 00 00")}}, QString());
        query("unframed reply ends 50 ms after its last byte",
              {{0ms, "KV"}, {49ms, "\r\n"}, {100ms, "X"}}, u"KV\r\n"_s);
        query("flood past the cap: cut at 1 KiB, no value", {{0ms, QByteArray(4096, 'A')}},
              QString());
        QList<Arrival> endless;
        for (milliseconds at = 0ms; at <= 3000ms; at += 40ms)
            endless.append({at, "x"});
        query("endless trickle: cut 2 s after the query", endless, QString(51, u'x'));
        query("printer gone in the middle of a block: no reply", {{0ms, "_12"}, {20ms, {}}},
              QString());

        // A reply with foreign bytes inside comes back as it came, for the log, but is no value.
        const auto mixed = [](const char *name, const QString &port, const QList<Arrival> &printer,
                              const QString &reply) {
            QTest::newRow(name) << Transaction{
                .port = port, .exchanges = {{kGetSW2, true, printer, reply, true, false, false}}};
        };
        mixed("TCP/IP: XOFF inside framed SW2 233: no value", u"TCP/IP"_s,
              {{0ms, hex("5F 32 13 33 33 00")}},
              u"2\u0013"
              "33"_s);
        mixed("TCP/IP: a second frame on the heels of the reply: no value", u"TCP/IP"_s,
              {{0ms, hex("5F 32 33 33 00 5F 33 37 00")}}, u"233"_s);
        query("COM3: XOFF after the reply is the printer's own", {{0ms, hex("5F 32 33 33 00 13")}},
              u"233"_s);
        // A printer busy with a long print job answers late; the user lets it.
        QTest::newRow("COM3, replies may take 30 s: first byte at 29.9 s, the rest 1 s later")
            << Transaction{.port = u"COM3"_s,
                           .exchanges = {{kGetSW2,
                                          true,
                                          {{29900ms, "_2"}, {30900ms, hex("3500")}},
                                          u"25"_s}},
                           .replyTimeout = 30000ms};
        QTest::newRow("LPT1, replies may take 3 s: first byte at 2.9 s counts")
            << Transaction{.port = u"LPT1"_s,
                           .exchanges = {{kGetSW2, true, {{2900ms, hex("5F 37 00")}}, u"7"_s}},
                           .journal = {u"close"_s, u"open read /dev/usb/lp0"_s, u"close"_s,
                                       u"open write /dev/usb/lp0"_s},
                           .replyTimeout = 3000ms};

        const QByteArray block = hex("5F 4F4B 00");
        // An answer to a command that wants none is nobody's reply: it is not taken for the next
        // one.
        for (const char *port : {"COM3", "TCP/IP"})
            QTest::addRow("%s: answer to a write not taken for the next reply", port)
                << Transaction{
                       .port = QString::fromLatin1(port),
                       .exchanges = {{kUnlock, false, {{0ms, hex("5F 3939 00")}}, QString()},
                                     {kGetSW2, true, {{5ms, block}}, u"OK"_s}}};
        // The printer device is read only inside a query: written, closed, opened for reading,
        // read (30 bytes at most), opened for writing again, which is told when it fails.
        QTest::newRow("LPT1: device cannot be opened for writing again after a query")
            << Transaction{.port = u"LPT1"_s,
                           .fault = Fault::LptCannotReopen,
                           .exchanges = {{kGetSW2, true, {{0ms, hex("5F 3337 00")}}, u"37"_s}},
                           .shown = {u"port: Error no  2: No such file or directory"_s},
                           .journal = {u"close"_s, u"open read /dev/usb/lp0"_s, u"close"_s,
                                       u"open write /dev/usb/lp0"_s}};
        // Over TCP nothing is sent before the connection is up, and the user sees its state.
        QTest::newRow("TCP/IP: still connecting, nothing sent") << Transaction{
            .port = u"TCP/IP"_s,
            .fault = Fault::TcpConnecting,
            .exchanges = {{kGetSW2, true, {{0ms, block}}, QString(), false}},
            .shown = {u"port: Could not send data now, please check lan printer status... 6"_s}};
        // A connection that ends after a whole answer is told by the next exchange, which finds
        // it gone; one that ends before the answer is told at once, with the socket's reason.
        QTest::newRow("TCP/IP: connection broke after a whole answer: the answer stands")
            << Transaction{.port = u"TCP/IP"_s,
                           .fault = Fault::TcpBroke,
                           .exchanges = {{kGetSW2, true, {{0ms, block}}, u"OK"_s}}};
        QTest::newRow("TCP/IP: connection broke before the answer: the socket's reason shown")
            << Transaction{.port = u"TCP/IP"_s,
                           .fault = Fault::TcpBroke,
                           .exchanges = {{kGetSW2, true, {}, QString()}},
                           .shown = {u"socket: Error #  1 was generated by QTcpSocket\rThe remote "
                                     u"host closed the "
                                     "connection"_s}};
        // A block whose NUL did not come is no reply: "_12" is not the value 12. Its tail is not
        // the next query's reply: with no question of known answer to prove the link in step, the
        // next query waits until any late reply is due.
        QTest::newRow("COM3: block without its NUL 2 s after the query: no reply, its tail dropped")
            << Transaction{
                   .port = u"COM3"_s,
                   .exchanges = {{kGetSW2,
                                  true,
                                  {{0ms, "_12"}, {1990ms, "3"}, {2010ms, QByteArray("4", 2)}},
                                  QString()},
                                 {kGetSW3, true, {{50ms, hex("5F 30 00")}}, u"0"_s}}};
        // A printer that holds XOFF past the bound: the command is reported as not sent and nothing
        // of it reaches the printer when it takes data again, except a closing command.
        QTest::newRow("COM3: write held up past the bound: dropped")
            << Transaction{.port = u"COM3"_s,
                           .exchanges = {{kUnlock, false, {}, QString(), false}},
                           .holdsOutputUntil = 3000ms,
                           .reached = QByteArray()};
        QTest::newRow("COM3: closing command held up: kept, reaches the printer later")
            << Transaction{.port = u"COM3"_s,
                           .exchanges = {{kUnlock, false, {}, QString(), false, true}},
                           .holdsOutputUntil = 3000ms,
                           .reached = kUnlock};
        QTest::newRow("TCP/IP: write held up past the bound: the connection ends") << Transaction{
            .port = u"TCP/IP"_s,
            .exchanges = {{kUnlock, false, {}, QString(), false},
                          {kGetSW2, true, {}, QString(), false}},
            .shown = {u"port: Could not send data now, please check lan printer status... 9"_s},
            .holdsOutputUntil = 3000ms,
            .reached = QByteArray()};
        QTest::newRow("COM3: write refused by the device, nothing read")
            << Transaction{.port = u"COM3"_s,
                           .fault = Fault::WriteFails,
                           .exchanges = {{kGetSW2, true, {{0ms, block}}, QString(), false}}};
    }

    void transaction()
    {
        QFETCH(Transaction, row);

        ScriptedRig rig(row.port);
        rig.chosen.replyTimeout = row.replyTimeout;
        rig.link->setSettings(rig.chosen);
        rig.tcp->connects = row.fault != Fault::TcpConnecting;
        QVERIFY(rig.link->OpenPort(true));
        rig.serial->journal.clear();
        rig.lpt->journal.clear();
        rig.lpt->refusesWrite = row.fault == Fault::LptCannotReopen;
        ScriptControls *device = rig.device();
        device->writeFails = row.fault == Fault::WriteFails;
        if (row.fault == Fault::TcpBroke)
            rig.tcp->errorOnWrite =
                TcpError{1, u"QTcpSocket"_s, u"The remote host closed the connection"_s};
        device->holdsOutputUntil = row.holdsOutputUntil;

        QByteArray written;
        for (const Exchange &exchange : row.exchanges) {
            device->answersTo = {{exchange.command, exchange.answer}};
            QString reply = exchange.closing ? QString() : exchange.replyWanted ? u"R"_s : u"W"_s;
            const bool sent = exchange.closing ? rig.link->SendClosingCommand(exchange.command)
                                               : rig.link->SendCommand(exchange.command, reply);
            QCOMPARE(sent, exchange.sent);
            QCOMPARE(reply, exchange.reply);
            if (exchange.sent && !exchange.reply.isEmpty())
                QCOMPARE(rig.link->replyWasWhole(), exchange.whole);
            if (exchange.sent)
                written += exchange.command;
        }
        // Later, once the printer takes data again and whatever it still sends has come.
        rig.pump.clock += 5000ms;
        device->catchUp();
        QCOMPARE(device->written.toHex(' '), row.reached.value_or(written).toHex(' '));
        QCOMPARE(rig.shown, row.shown);
        QCOMPARE(rig.serial->journal + rig.lpt->journal, row.journal);
    }

    void inStep_data()
    {
        QTest::addColumn<InStep>("row");

        // Every later value is the printer's own: before the next query the link asks for the
        // maker's name and drops all that comes before that answer.
        const QByteArray maker = kTestQueries.at(0).first;
        QTest::newRow("COM3: code page 2.1 s late: unread, every later value its own")
            << InStep{.port = u"COM3"_s, .late = 7, .lateBy = 2100ms, .probes = maker};
        QTest::newRow("LPT1: font ROM 5 s late: unread, every later value its own")
            << InStep{.port = u"LPT1"_s, .late = 6, .lateBy = 5000ms, .probes = maker};
        // Nothing is known to ask yet: the next query waits until the late answer is due.
        QTest::newRow("COM3: maker's name 5 s late: unread, every later value its own")
            << InStep{.port = u"COM3"_s, .late = 0, .lateBy = 5000ms};
        // The maker's name and then the model name go unanswered: the link gives up, says so,
        // and sends nothing more.
        QTest::newRow("COM3: silent from the code page on: told once, nothing more sent") << InStep{
            .port = u"COM3"_s,
            .late = 7,
            .probes = maker + kTestQueries.at(1).first,
            .shown = {
                u"port: The printer's answers lag behind the questions and did not catch up "
                "within 12 seconds, so the command was not sent.\r\nNothing more is sent to the "
                "printer until its port is opened again: wait until the printer is ready, then "
                "try again."_s}};
    }

    void inStep()
    {
        QFETCH(InStep, row);

        ScriptedRig rig(row.port);
        QVERIFY(rig.link->OpenPort(true));
        ScriptControls *device = rig.device();
        for (const auto &[query, answer] : kTestQueries)
            device->answersTo.append({query, {{5ms, answer}}});
        // The maker's name, the link's proof of being in step, comes with a pause inside it.
        const QByteArray maker = kTestQueries.at(0).second;
        device->answersTo[0].second = {{5ms, maker.first(4)}, {400ms, maker.sliced(4)}};
        QStringList replies, expected;
        QByteArray wire;
        for (qsizetype i = 0; i < kTestQueries.size(); ++i) {
            const auto &[query, answer] = kTestQueries.at(i);
            if (i == row.late) {
                device->answersTo[i].second = {{row.lateBy, answer}};
                if (row.lateBy == 0ms)
                    device->answersTo.clear();
            }
            replies << replyTo(*rig.link, query);
            const bool answered = i < row.late || (i > row.late && row.lateBy > 0ms);
            expected << (answered ? cleanReply(answer) : QString());
            if (i <= row.late || row.lateBy > 0ms)
                wire += (i == row.late + 1 ? row.probes : QByteArray()) + query;
        }
        if (row.lateBy == 0ms)
            wire += row.probes;
        QCOMPARE(replies, expected);
        QCOMPARE(device->written.toHex(' '), wire.toHex(' '));
        QCOMPARE(rig.shown, row.shown);
    }

    void proof_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("twice");
        QTest::addColumn<InStepProof>("proof");

        QTest::newRow("COM3: every query answered once: proved")
            << u"COM3"_s << false << InStepProof::Proven;
        // Every reply from the character set on is the previous query's answer; the maker's name
        // asked last gets SW3's. (Over TCP and a pseudo-terminal: the command-line tests.)
        QTest::newRow("COM3: code page answered twice: proof fails, the next reply its own")
            << u"COM3"_s << true << InStepProof::OutOfStep;
    }

    void proof()
    {
        QFETCH(QString, port);
        QFETCH(bool, twice);
        QFETCH(InStepProof, proof);

        ScriptedRig rig(port);
        QVERIFY(rig.link->OpenPort(true));
        ScriptControls *device = rig.device();
        QByteArray wire;
        QStringList replies, expected;
        for (const auto &[query, answer] : kTestQueries)
            device->answersTo.append({query, {{5ms, answer}}});
        constexpr int kCodePage = 7;
        if (twice)
            device->answersTo[kCodePage].second.append({10ms, kTestQueries.at(kCodePage).second});
        for (qsizetype i = 0; i < kTestQueries.size(); ++i) {
            const qsizetype answered = twice && i > kCodePage ? i - 1 : i;
            replies << replyTo(*rig.link, kTestQueries.at(i).first);
            expected << cleanReply(kTestQueries.at(answered).second);
            wire += kTestQueries.at(i).first;
        }
        QCOMPARE(replies, expected);
        QCOMPARE(rig.link->proveInStep(), proof);
        // The link drops what the printer still owes before the next command goes out.
        QCOMPARE(replyTo(*rig.link, kGetSW2), u"37"_s);
        QCOMPARE(device->written.toHex(' '),
                 (wire + kTestQueries.at(0).first + kGetSW2).toHex(' '));
        QCOMPARE(rig.shown, QStringList());
    }

    void nestedTransactionRefused()
    {
        // A timer that fires while the link waits tries to start a second transaction: it sends
        // nothing and gets nothing, and the first one goes on.
        ScriptedRig rig(u"COM1"_s);
        QVERIFY(rig.link->OpenPort(true));
        rig.serial->answersTo = {{kGetSW2, {{300ms, hex("5F 3337 00")}}}};
        QString nestedReply = u"R"_s;
        bool nestedSent = true;
        bool tried = false;
        rig.pump.onPass = [&] {
            if (!std::exchange(tried, true))
                nestedSent = rig.link->SendCommand(kGetSW3, nestedReply);
        };
        QCOMPARE(replyTo(*rig.link, kGetSW2), u"37"_s);
        QVERIFY(!nestedSent);
        QCOMPARE(nestedReply, QString());
        QCOMPARE(rig.serial->written.toHex(' '), kGetSW2.toHex(' '));
    }

    void tcpOpenAndClose()
    {
        ScriptedRig rig(u"TCP/IP"_s);
        rig.tcp->connects = false;
        // Before any connection the status box stays empty.
        rig.link->refreshStatus();
        QCOMPARE(rig.statuses, QStringList());
        // A port text that is no port number keeps the port of the previous connection.
        QVERIFY(rig.link->OpenPort(true));
        rig.chosen.tcpPort = tcpPortFromText(u"abc"_s);
        rig.link->setSettings(rig.chosen);
        QVERIFY(rig.link->OpenPort(true));
        QCOMPARE(rig.tcp->journal, (QStringList{u"connect 127.0.0.1:9100"_s, u"close"_s,
                                                u"connect 127.0.0.1:9100"_s}));
        // Each open redraws the box; the status timer shows the connection once it is up, and the
        // close shows the closed state.
        rig.tcp->stateCode = TcpClient::Connected;
        QTRY_COMPARE(rig.statuses,
                     (QStringList{u"Connecting..."_s, u"Connecting..."_s, u"Connected"_s}));
        QVERIFY(rig.link->OpenPort(false));
        QCOMPARE(rig.statuses.last(), u"Disconnect"_s);
    }

    void waitUntilReady_data()
    {
        QTest::addColumn<Connection>("connection");
        QTest::addColumn<milliseconds>("waited");
        QTest::addColumn<QString>("shown");

        QTest::newRow("TCP/IP: refused, the socket's error shown at once")
            << Connection::Refused << 3ms
            << u"socket: Error #  0 was generated by QTcpSocket\rConnection refused"_s;
        QTest::newRow("TCP/IP: still connecting when the bound is up")
            << Connection::NeverUp << 300ms
            << u"port: Could not send data now, please check lan printer status... 6"_s;
        QTest::newRow("TCP/IP: no connection asked for")
            << Connection::NotAsked << 0ms
            << u"port: Could not send data now, please check lan printer status... 0"_s;
    }

    void waitUntilReady()
    {
        QFETCH(Connection, connection);
        QFETCH(milliseconds, waited);
        QFETCH(QString, shown);

        ScriptedRig rig(u"TCP/IP"_s);
        rig.tcp->connects = false;
        if (connection != Connection::NotAsked)
            QVERIFY(rig.link->OpenPort(true));
        int passes = 0;
        if (connection == Connection::Refused) {
            // The refusal comes in at the fourth pass of the event loop of the wait.
            rig.pump.onPass = [&rig, &passes] {
                if (++passes == 4) {
                    rig.tcp->stateCode = TcpClient::Failed;
                    rig.tcp->error = TcpError{0, u"QTcpSocket"_s, u"Connection refused"_s};
                }
            };
        }
        const milliseconds start = rig.pump.clock;
        QVERIFY(!rig.link->waitUntilReady(300ms));
        QCOMPARE(rig.pump.clock - start, waited);
        QCOMPARE(rig.shown, QStringList{shown});
    }

    void idleFlood_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("TCP/IP") << u"TCP/IP"_s;
        QTest::newRow("COM1") << u"COM1"_s;
    }

    void idleFlood()
    {
        QFETCH(QString, port);

        // A printer that sends 10 MB after a query, to a link that is waiting for nothing: what
        // comes is dropped as it comes, and the link still works afterwards.
        PeerRig rig(port);
        QVERIFY(rig.open());
        rig.printer.script = {{kGetSW2, hex("5F 3337 00")}};
        QCOMPARE(replyTo(*rig.link, kGetSW2), u"37"_s);
        qint64 mostKept = 0;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout,
                         [&] { mostKept = std::max(mostKept, rig.device->bytesAvailable()); });
        sampler.start(1);
        rig.printer.send(QByteArray(10 * 1024 * 1024, 'A'));
        QTRY_VERIFY_WITH_TIMEOUT(rig.printer.sentAll(), 30000);
        QTRY_COMPARE(rig.device->bytesAvailable(), 0);
        QVERIFY2(mostKept <= 64 * 1024, qPrintable(QString::number(mostKept)));
        QCOMPARE(replyTo(*rig.link, kGetSW2), u"37"_s);
    }

    void heldClosingCommand()
    {
        // A printer on a serial line with software handshake holds XOFF past the bound: the window
        // keeps running (its timers fire) and the closing command is reported as not sent, but it
        // follows once XON comes. (Any other command held up is dropped: see the end-to-end tests.)
        PeerRig rig(u"COM1"_s, Handshake::XonXoff);
        QVERIFY(rig.open());
        rig.printer.send(hex("13"));
        QTRY_COMPARE(rig.printer.pending.size(), 0);
        QTimer ticker;
        const QSignalSpy ticks(&ticker, &QTimer::timeout);
        ticker.start(10);
        QVERIFY(!rig.link->SendClosingCommand(kUnlock));
        QVERIFY(ticks.size() > 10);
        QCOMPARE(rig.printer.received, QByteArray());

        rig.printer.send(hex("11"));
        rig.printer.script = {{kGetSW2, hex("5F 3337 00")}};
        QCOMPARE(replyTo(*rig.link, kGetSW2), u"37"_s);
        QCOMPARE(rig.printer.received.toHex(' '), (kUnlock + kGetSW2).toHex(' '));
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"

// printer-switch and USB printers on Windows: SetupAPI's answers and the printers' device IDs come
// from the test, and each USB printer is the emulator's printer model behind a named pipe, so that
// "ports", "LPT1" and "USB00n" run their whole way through the link and the printer device.

#include "CliApplication.h"
#include "Console.h"
#include "FakeUsbPrinters.h"
#include "PipeUsbPrinter.h"
#include "WinDeviceResolver.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kKv4100Id = QByteArray::fromHex("0027") + "MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;";
const QByteArray kLabelId = QByteArray::fromHex("001f") + "MFG:ACME;MDL:Label 2;CMD:ZPL;";

struct Run
{
    int exit = -1;
    QString out;
    QString err;
};

} // namespace

class WinUsbPrinterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ports();
    void communicationTest_data();
    void communicationTest();

private:
    // printer-switch in this process, with no COM ports and these two USB printers: USB001, whose
    // ID names another maker (a ZEPHYR-550 plays it), and USB002, a NORVANTA KV-4100.
    Run run(const QString &arguments);

    PipeUsbPrinter m_other{u"first"_s, u"ZEPHYR-550"_s};
    PipeUsbPrinter m_norvanta{u"second"_s, u"KV-4100"_s};
};

Run WinUsbPrinterTest::run(const QString &arguments)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Console console(out, err);
    const auto usb = std::make_shared<FakeUsbPrinters>(
        QList<ReportedPrinter>{{{m_other.path(), u"USB001"_s}, kLabelId, {}},
                               {{m_norvanta.path(), u"USB002"_s}, kKv4100Id, {}}});
    const auto resolvers = [usb] {
        return std::make_unique<WinDeviceResolver>([] { return QList<SystemSerialPort>(); }, usb);
    };
    const int exit = CliApplication(console, resolvers).run(arguments.split(u' '));
    const Run result{exit, QString::fromUtf8(out.data()), QString::fromUtf8(err.data())};
    qInfo().noquote() << "printer-switch" << arguments << "\n" << result.out << result.err;
    return result;
}

void WinUsbPrinterTest::ports()
{
    const Run result = run(u"ports"_s);
    QCOMPARE(result.exit, 0);
    // The descriptions start where the longest device (the KV-4100's ID) leaves room.
    constexpr qsizetype kDescribedAt = 7 + 37 + 2;
    QString expected;
    for (int number = 1; number <= 16; ++number)
        expected += u"COM%1"_s.arg(number).leftJustified(7) + u"\\\\.\\COM%1\n"_s.arg(number);
    expected += u"LPT1   USB002"_s.leftJustified(kDescribedAt) +
                u"USB002 \u2014 NORVANTA KV-4100 (1 other USB printer)\n"_s;
    expected += u"USB001 MFG:ACME;MDL:Label 2;CMD:ZPL;"_s.leftJustified(kDescribedAt) +
                m_other.path() + u'\n';
    expected += u"USB002 MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;"_s.leftJustified(kDescribedAt) +
                m_norvanta.path() + u'\n';
    QCOMPARE(result.out, expected);
    QCOMPARE(result.err, QString());
}

void WinUsbPrinterTest::communicationTest_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("model"); // the model the test found; empty when it found none
    QTest::addColumn<QString>("err");

    QTest::newRow("LPT1 reaches the NORVANTA printer, the second of two")
        << u"LPT1"_s << 0 << u"KV-4100"_s << QString();
    QTest::newRow("USB001 reaches the first printer, in any case")
        << u"usb001"_s << 0 << u"ZEPHYR-550"_s << QString();
    QTest::newRow("USB003, unplugged: no device behind the port")
        << u"USB003"_s << 1 << QString() << u"USB003: No device behind LPT1."_s;
}

void WinUsbPrinterTest::communicationTest()
{
    QFETCH(QString, port);
    QFETCH(int, exit);
    QFETCH(QString, model);
    QFETCH(QString, err);

    const Run result = run(u"info --port "_s + port);
    QCOMPARE(result.exit, exit);
    const QStringList lines = result.out.split(u'\n');
    const auto modelLine = std::find_if(lines.cbegin(), lines.cend(), [](const QString &line) {
        return line.startsWith(u"Model Name:"_s);
    });
    QCOMPARE(modelLine == lines.cend() ? QString() : modelLine->mid(30), model);
    if (exit == 0)
        QVERIFY(lines.first().startsWith(u"Maker:                        NORVANTA"_s));
    QCOMPARE(result.err.left(err.size()), err);
}

QTEST_GUILESS_MAIN(WinUsbPrinterTest)
#include "tst_win_usb_printer.moc"

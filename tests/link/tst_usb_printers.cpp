// USB printers of a system that names them as ports of their own (Windows): the IEEE 1284 device
// ID each gives of itself, from the bytes of its reply to maker, model and command set; and the
// printers as the system and their IDs report them, the one "LPT1" stands for and what the label
// beside the port list says of it.

#include "FakeUsbPrinters.h"
#include "PrinterDeviceId.h"
#include "UsbPrinterList.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kKv4100 = QByteArray::fromHex("0027") + "MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;";
const QByteArray kLabel = QByteArray::fromHex("001f") + "MFG:ACME;MDL:Label 2;CMD:ZPL;";
const QString kKv4100Id = u"MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;"_s;
const QString kLabelId = u"MFG:ACME;MDL:Label 2;CMD:ZPL;"_s;

// A printer the system reports, at a made-up interface path of its own.
ReportedPrinter reported(const QString &path, const QString &port, const QByteArray &idReply,
                         const SystemError &idError = {})
{
    return {{u"usb#"_s + path, port}, idReply, idError};
}

} // namespace

class UsbPrintersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromReply_data();
    void fromReply();
    void printers_data();
    void printers();
    void idAskedOnce();
};

void UsbPrintersTest::fromReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("makerAndModel");
    QTest::addColumn<QString>("commandSet");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("truncated");

    const QByteArray kv4100 = "MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;"_ba;
    QTest::newRow("the length counts its own two bytes: maker and model shown")
        << QByteArray::fromHex("0027") + kv4100 << u"NORVANTA KV-4100"_s << u"ESC/POS"_s
        << QString::fromLatin1(kv4100) << false;
    QTest::newRow("the length leaves its own two bytes out: the same ID")
        << QByteArray::fromHex("0025") + kv4100 << u"NORVANTA KV-4100"_s << u"ESC/POS"_s
        << QString::fromLatin1(kv4100) << false;
    QTest::newRow("keys written in full, in lower case, with blanks")
        << QByteArray::fromHex("0029") + "manufacturer: NORVANTA ;model:KV-4100 ;"_ba
        << u"NORVANTA KV-4100"_s << QString() << u"manufacturer: NORVANTA ;model:KV-4100 ;"_s
        << false;
    QTest::newRow("an ID without MDL: the maker alone")
        << QByteArray::fromHex("001b") + "MFG:NORVANTA;CMD:ESC/POS;"_ba << u"NORVANTA"_s
        << u"ESC/POS"_s << u"MFG:NORVANTA;CMD:ESC/POS;"_s << false;
    QTest::newRow("a truncated ID: the fields before the cut, the cut one dropped")
        << QByteArray::fromHex("0027") + "MFG:NORVANTA;MDL:KV-41"_ba << u"NORVANTA"_s << QString()
        << u"MFG:NORVANTA;"_s << true;
    QTest::newRow("the last ';' left out: the last field still counts")
        << QByteArray::fromHex("001a") + "MFG:NORVANTA;MDL:KV-4100"_ba << u"NORVANTA KV-4100"_s
        << QString() << u"MFG:NORVANTA;MDL:KV-4100;"_s << false;
    QTest::newRow("zeros after the ID in the driver's buffer are no part of it")
        << QByteArray::fromHex("0021") + kv4100.left(25) + QByteArray::fromHex("000000000000")
        << u"NORVANTA KV-4100"_s << QString() << u"MFG:NORVANTA;MDL:KV-4100;"_s << false;
    QTest::newRow("another maker's printer")
        << QByteArray::fromHex("001f") + "MFG:ACME;MDL:Label 2;CMD:ZPL;"_ba << u"ACME Label 2"_s
        << u"ZPL"_s << u"MFG:ACME;MDL:Label 2;CMD:ZPL;"_s << false;
    QTest::newRow("no reply: nothing known")
        << QByteArray() << QString() << QString() << QString() << false;
    QTest::newRow("half a length: nothing known, cut short")
        << QByteArray::fromHex("00") << QString() << QString() << QString() << true;
    QTest::newRow("a length and no ID")
        << QByteArray::fromHex("0002") << QString() << QString() << QString() << false;
}

void UsbPrintersTest::fromReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, makerAndModel);
    QFETCH(QString, commandSet);
    QFETCH(QString, text);
    QFETCH(bool, truncated);

    const PrinterDeviceId id = PrinterDeviceId::fromReply(reply);
    QCOMPARE(id.makerAndModel(), makerAndModel);
    QCOMPARE(id.commandSet, commandSet);
    QCOMPARE(id.text, text);
    QCOMPARE(id.truncated, truncated);
}

void UsbPrintersTest::printers_data()
{
    QTest::addColumn<QList<ReportedPrinter>>("printers");
    QTest::addColumn<QString>("chosen");      // the path LPT1 opens; empty for none
    QTest::addColumn<QString>("description"); // beside the port list, for LPT1
    QTest::addColumn<QStringList>("ports");   // each printer port and its device ID

    QTest::newRow("none: LPT1 is no USB printer")
        << QList<ReportedPrinter>() << QString() << QString() << QStringList();
    QTest::newRow("one printer: LPT1 is it, shown with its port, maker and model")
        << QList{reported(u"a"_s, u"USB001"_s, kKv4100)} << u"usb#a"_s
        << u"USB001 \u2014 NORVANTA KV-4100"_s << QStringList{u"USB001 "_s + kKv4100Id};
    QTest::newRow("two printers, the second a NORVANTA: LPT1 is the second, the other counted")
        << QList{reported(u"a"_s, u"USB001"_s, kLabel), reported(u"b"_s, u"USB002"_s, kKv4100)}
        << u"usb#b"_s << u"USB002 \u2014 NORVANTA KV-4100 (1 other USB printer)"_s
        << QStringList{u"USB001 "_s + kLabelId, u"USB002 "_s + kKv4100Id};
    QTest::newRow("three printers of another maker: LPT1 is the first")
        << QList{reported(u"a"_s, u"USB001"_s, kLabel), reported(u"b"_s, u"USB002"_s, kLabel),
                 reported(u"c"_s, u"USB003"_s, kLabel)}
        << u"usb#a"_s << u"USB001 \u2014 ACME Label 2 (2 other USB printers)"_s
        << QStringList{u"USB001 "_s + kLabelId, u"USB002 "_s + kLabelId, u"USB003 "_s + kLabelId};
    QTest::newRow("an ID without MDL: the maker alone")
        << QList{reported(u"a"_s, u"USB001"_s,
                          QByteArray::fromHex("001b") + "MFG:NORVANTA;CMD:ESC/POS;")}
        << u"usb#a"_s << u"USB001 \u2014 NORVANTA"_s
        << QStringList{u"USB001 MFG:NORVANTA;CMD:ESC/POS;"_s};
    QTest::newRow("a truncated ID: what came before the cut, and that it was cut")
        << QList{reported(u"a"_s, u"USB001"_s,
                          QByteArray::fromHex("0027") + "MFG:NORVANTA;MDL:KV-4")}
        << u"usb#a"_s << u"USB001 \u2014 NORVANTA"_s
        << QStringList{u"USB001 MFG:NORVANTA; (cut short)"_s};
    QTest::newRow("a printer held by another program gives no ID: the system's reason is shown")
        << QList{reported(u"a"_s, u"USB001"_s, QByteArray(),
                          {32, u"The process cannot access the file"_s})}
        << u"usb#a"_s << u"USB001 \u2014 device ID unknown: The process cannot access the file"_s
        << QStringList{u"USB001 device ID unknown: The process cannot access the file"_s};
    QTest::newRow("a printer the system keeps no port name for gets the first free one")
        << QList{reported(u"a"_s, QString(), kKv4100), reported(u"b"_s, u"usb001"_s, kLabel)}
        << u"usb#a"_s << u"USB002 \u2014 NORVANTA KV-4100 (1 other USB printer)"_s
        << QStringList{u"USB002 "_s + kKv4100Id, u"USB001 "_s + kLabelId};
}

void UsbPrintersTest::printers()
{
    QFETCH(QList<ReportedPrinter>, printers);
    QFETCH(QString, chosen);
    QFETCH(QString, description);
    QFETCH(QStringList, ports);

    const UsbPrinterList list(std::make_shared<FakeUsbPrinters>(printers));
    const QList<UsbPrinterList::Printer> found = list.printers();
    const UsbPrinterList::Printer *lpt1 = UsbPrinterList::chosen(found);
    QCOMPARE(lpt1 != nullptr ? lpt1->port.device : QString(), chosen);
    QCOMPARE(UsbPrinterList::description(found), description);
    QStringList listed;
    for (const UsbPrinterList::Printer &printer : found)
        listed.append(printer.port.name + u' ' + printer.port.deviceId);
    QCOMPARE(listed, ports);
}

// Asking a printer for its ID opens it: a printer is asked once while it stays plugged in, and a
// printer that could not answer is asked again.
void UsbPrintersTest::idAskedOnce()
{
    struct CountingPrinters : FakeUsbPrinters
    {
        using FakeUsbPrinters::FakeUsbPrinters;
        QByteArray deviceIdReply(const QString &path, SystemError *error) const override
        {
            ++asked;
            return FakeUsbPrinters::deviceIdReply(path, error);
        }
        mutable int asked = 0;
    };
    const auto printers = std::make_shared<CountingPrinters>(
        QList{reported(u"a"_s, u"USB001"_s, kKv4100),
              reported(u"b"_s, u"USB002"_s, QByteArray(),
                       {32, u"The process cannot access the file"_s})});
    const UsbPrinterList list(printers);
    list.printers();
    list.printers();
    QCOMPARE(printers->asked, 1 + 2);
}

QTEST_GUILESS_MAIN(UsbPrintersTest)
#include "tst_usb_printers.moc"

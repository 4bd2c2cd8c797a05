// The IEEE 1284 device ID that a USB printer gives of itself, from the bytes of its reply to maker,
// model and command set.

#include "PrinterDeviceId.h"

#include <QTest>

using namespace Qt::StringLiterals;

class DeviceIdTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromReply_data();
    void fromReply();
};

void DeviceIdTest::fromReply_data()
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

void DeviceIdTest::fromReply()
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

QTEST_GUILESS_MAIN(DeviceIdTest)
#include "tst_device_id.moc"

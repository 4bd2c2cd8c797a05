// The Windows devices of the link: the system's errors as the user reads them, the COM ports'
// names and descriptions, the USB printers as SetupAPI and their device IDs report them, and the
// overlapped reads and writes of a printer device, over a named pipe that plays the printer.

#include "FakeUsbPrinters.h"
#include "LinkMessages.h"
#include "WinDeviceResolver.h"
#include "WinErrors.h"
#include "WinLptDevice.h"
#include "WinSerialDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

using namespace Qt::StringLiterals;
using std::chrono::milliseconds;

Q_DECLARE_METATYPE(OpenFailure::Class)
Q_DECLARE_METATYPE(OpenFailure::Cause)

namespace {

// A device interface path as Windows makes them, for the printer with serial number `serial`.
QString usbPath(const QString &serial)
{
    return u"\\\\?\\usb#vid_0dd4&pid_0195#%1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"_s.arg(serial);
}

ReportedPrinter usbPrinter(const QString &serial, const QString &port, const QByteArray &idReply)
{
    return {{usbPath(serial), port}, idReply, {}};
}

constexpr milliseconds kReplyBound{2000};
constexpr milliseconds kSilence{50};

SystemSerialPort comPort(const QString &name, const QString &product)
{
    return {name, u"\\\\.\\"_s + name, QString(), product, QString()};
}

// The printer's end of a named pipe that a WinLptDevice opens as its port; one connection each.
class PipePrinter
{
public:
    explicit PipePrinter(const QString &name)
        : m_path(u"\\\\.\\pipe\\psu-%1-%2"_s.arg(name).arg(::GetCurrentProcessId()))
        , m_pipe(::CreateNamedPipeW(reinterpret_cast<const wchar_t *>(m_path.utf16()),
                                    PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr))
    {}
    ~PipePrinter() { ::CloseHandle(m_pipe); }

    QString path() const { return m_path; }
    bool isListening() const { return m_pipe != INVALID_HANDLE_VALUE; }

    // What the device has sent so far; reads only what is there, so it never waits.
    QByteArray received()
    {
        DWORD waiting = 0;
        if (::PeekNamedPipe(m_pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
            QByteArray bytes(qsizetype(waiting), Qt::Uninitialized);
            DWORD count = 0;
            if (::ReadFile(m_pipe, bytes.data(), waiting, &count, nullptr))
                m_received.append(bytes.left(qsizetype(count)));
        }
        return m_received;
    }

    // The printer is switched off: its end of the connection goes.
    void hangUp() { ::DisconnectNamedPipe(m_pipe); }

    bool send(const QByteArray &bytes)
    {
        DWORD count = 0;
        return ::WriteFile(m_pipe, bytes.constData(), DWORD(bytes.size()), &count, nullptr) &&
               count == DWORD(bytes.size());
    }

private:
    QString m_path;
    HANDLE m_pipe;
    QByteArray m_received;
};

} // namespace

class WinDevicesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openFailure_data();
    void openFailure();
    void portNames();
    void portDescriptions_data();
    void portDescriptions();
    void serialOpenRefused_data();
    void serialOpenRefused();
    void usbPrinters_data();
    void usbPrinters();
    void printerOpenRefused_data();
    void printerOpenRefused();
    void printerPort_data();
    void printerPort();
};

void WinDevicesTest::openFailure_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<uint>("code");
    QTest::addColumn<OpenFailure::Class>("errorClass");
    QTest::addColumn<OpenFailure::Cause>("cause");

    const QString com3 = u"\\\\.\\COM3"_s;
    QTest::newRow("no such port: the user is told there is no device")
        << com3 << uint(ERROR_FILE_NOT_FOUND) << OpenFailure::Class::SystemFailure
        << OpenFailure::Cause::NoDevice;
    QTest::newRow("another program holds the port: access is refused")
        << com3 << uint(ERROR_ACCESS_DENIED) << OpenFailure::Class::SystemFailure
        << OpenFailure::Cause::Busy;
    QTest::newRow("a device that is no port")
        << com3 << uint(ERROR_INVALID_FUNCTION) << OpenFailure::Class::NotSupported
        << OpenFailure::Cause::Other;
    QTest::newRow("any other failure stands as the system gives it")
        << com3 << uint(ERROR_NOT_ENOUGH_MEMORY) << OpenFailure::Class::SystemFailure
        << OpenFailure::Cause::Other;
    QTest::newRow("no device named: a request that should not have been made")
        << QString() << uint(ERROR_FILE_NOT_FOUND) << OpenFailure::Class::CallerBug
        << OpenFailure::Cause::NoDevice;
}

void WinDevicesTest::openFailure()
{
    QFETCH(QString, device);
    QFETCH(uint, code);
    QFETCH(OpenFailure::Class, errorClass);
    QFETCH(OpenFailure::Cause, cause);

    const OpenFailure failure = WinErrors::openFailure(device, code);
    QCOMPARE(failure.errorClass, errorClass);
    QCOMPARE(failure.cause, cause);
    QCOMPARE(failure.number, int(code));
    QCOMPARE(failure.device, device);
    // The system's own sentence, without the full stop and line break that the messages add.
    QVERIFY(!failure.systemText.isEmpty());
    QVERIFY(!failure.systemText.endsWith(u'.') && !failure.systemText.contains(u'\n'));
}

void WinDevicesTest::portNames()
{
    const WinDeviceResolver resolver([] { return QList<SystemSerialPort>(); });
    QCOMPARE(resolver.serialPortName(1), u"\\\\.\\COM1"_s);
    QCOMPARE(resolver.serialPortName(16), u"\\\\.\\COM16"_s);
    QCOMPARE(resolver.serialPortName(0), QString());
    QCOMPARE(resolver.lptDeviceName(), u"\\\\.\\LPT1"_s);
}

void WinDevicesTest::portDescriptions_data()
{
    QTest::addColumn<QList<SystemSerialPort>>("reported");
    QTest::addColumn<QStringList>("descriptions"); // of COM1 to COM3

    QTest::newRow("no ports: every COM port has no device")
        << QList<SystemSerialPort>() << QStringList{u"no device"_s, u"no device"_s, u"no device"_s};
    QTest::newRow("a USB adapter on COM3 and an on-board COM1, in any order")
        << QList{comPort(u"COM3"_s, u"USB Serial Port (COM3)"_s),
                 comPort(u"COM1"_s, u"Communications Port (COM1)"_s)}
        << QStringList{u"\\\\.\\COM1 \u2014 Communications Port (COM1)"_s, u"no device"_s,
                       u"\\\\.\\COM3 \u2014 USB Serial Port (COM3)"_s};
    QTest::newRow("a port the registry names in lower case")
        << QList{comPort(u"com2"_s, u"\\Device\\Serial1"_s)}
        << QStringList{u"no device"_s, u"\\\\.\\com2 \u2014 \\Device\\Serial1"_s, u"no device"_s};
    QTest::newRow("ports beyond the list are left out")
        << QList{comPort(u"COM17"_s, u"USB Serial Port (COM17)"_s)}
        << QStringList{u"no device"_s, u"no device"_s, u"no device"_s};
}

void WinDevicesTest::portDescriptions()
{
    QFETCH(QList<SystemSerialPort>, reported);
    QFETCH(QStringList, descriptions);

    const WinDeviceResolver resolver([&reported] { return reported; });
    QCOMPARE(resolver.serialPortDescriptions(3), descriptions);
}

void WinDevicesTest::serialOpenRefused_data()
{
    QTest::addColumn<bool>("plainFile");
    QTest::addColumn<OpenFailure::Class>("errorClass");
    QTest::addColumn<OpenFailure::Cause>("cause");

    QTest::newRow("a COM port that does not exist: no device")
        << false << OpenFailure::Class::SystemFailure << OpenFailure::Cause::NoDevice;
    QTest::newRow("a file that takes no serial settings: not a port")
        << true << OpenFailure::Class::NotSupported << OpenFailure::Cause::Other;
}

void WinDevicesTest::serialOpenRefused()
{
    QFETCH(bool, plainFile);
    QFETCH(OpenFailure::Class, errorClass);
    QFETCH(OpenFailure::Cause, cause);

    // A file nobody holds open (a QTemporaryFile stays open on Windows): ports open alone.
    QTemporaryDir folder;
    QFile file(folder.filePath(u"not-a-port"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString device = plainFile ? file.fileName() : u"\\\\.\\COM200"_s;
    WinSerialDevice port;
    QVERIFY(!port.open(device, SerialSettings{}));
    QVERIFY(!port.isOpen());
    const OpenFailure failure = port.openFailure();
    QVERIFY2(failure.errorClass == errorClass, qPrintable(failure.systemText));
    QCOMPARE(failure.cause, cause);
    QCOMPARE(failure.device, device);
    QVERIFY(!failure.systemText.isEmpty());
}

void WinDevicesTest::usbPrinters_data()
{
    QTest::addColumn<QList<ReportedPrinter>>("printers");
    QTest::addColumn<QString>("lptDevice");
    QTest::addColumn<QString>("description"); // beside the port list, for LPT1
    QTest::addColumn<QStringList>("ports");   // each printer port and its device ID

    const QByteArray kv4100 = QByteArray::fromHex("0027") + "MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;";
    const QByteArray label = QByteArray::fromHex("001f") + "MFG:ACME;MDL:Label 2;CMD:ZPL;";

    QTest::newRow("no USB printer: LPT1 is the parallel port, and none was found")
        << QList<ReportedPrinter>() << u"\\\\.\\LPT1"_s
        << u"no device (no USB printer found, and no \\\\.\\LPT1)"_s << QStringList();
    QTest::newRow("two printers, the second a NORVANTA: LPT1 is the second, the other counted")
        << QList{usbPrinter(u"B1"_s, u"USB001"_s, label), usbPrinter(u"B2"_s, u"USB002"_s, kv4100)}
        << usbPath(u"B2"_s) << u"USB002 \u2014 NORVANTA KV-4100 (1 other USB printer)"_s
        << QStringList{u"USB001 MFG:ACME;MDL:Label 2;CMD:ZPL;"_s,
                       u"USB002 MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;"_s};
}

void WinDevicesTest::usbPrinters()
{
    QFETCH(QList<ReportedPrinter>, printers);
    QFETCH(QString, lptDevice);
    QFETCH(QString, description);
    QFETCH(QStringList, ports);

    const WinDeviceResolver resolver([] { return QList<SystemSerialPort>(); },
                                     std::make_shared<FakeUsbPrinters>(printers));
    QCOMPARE(resolver.lptDeviceName(), lptDevice);
    QCOMPARE(resolver.lptDescription(), description);
    QStringList listed;
    for (const PrinterPort &port : resolver.printerPorts())
        listed.append(port.name + u' ' + port.deviceId);
    QCOMPARE(listed, ports);
}

void WinDevicesTest::printerOpenRefused_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<OpenFailure::Cause>("cause");
    QTest::addColumn<QString>("advice"); // the last line of the reason the user reads

    QTest::newRow("no USB printer found and no parallel port: the user is told both")
        << u"\\\\.\\LPT1"_s << OpenFailure::Cause::NoUsbPrinter
        << u"Check that the printer is switched on and its USB cable in."_s;
    QTest::newRow("a USB printer found but gone when opened: it is switched off")
        << u"\\\\.\\pipe\\psu-switched-off"_s << OpenFailure::Cause::SwitchedOff
        << u"The printer is switched off or its USB cable is out: switch it on, plug it in and "
           "try again."_s;
}

void WinDevicesTest::printerOpenRefused()
{
    QFETCH(QString, device);
    QFETCH(OpenFailure::Cause, cause);
    QFETCH(QString, advice);

    WinLptDevice printer;
    QVERIFY(!printer.open(device, LptDevice::Access::Write));
    const OpenFailure failure = printer.openFailure();
    QCOMPARE(failure.cause, cause);
    QCOMPARE(failure.device, device);
    // Windows' reason, then what the user can do.
    const QStringList reason =
        LinkMessages::openFailureReason(u"LPT1"_s, failure, u"lp"_s).split(u'\r');
    QCOMPARE(reason.size(), 2);
    QVERIFY2(reason.first().contains(device + u": "_s + failure.systemText),
             qPrintable(reason.first()));
    QCOMPARE(reason.last(), advice);
}

void WinDevicesTest::printerPort_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: the printer stays silent
    QTest::addColumn<bool>("switchedOff"); // the printer goes while its reply is awaited

    QTest::newRow("a query and its reply")
        << QByteArray::fromHex("1d4943") << QByteArray::fromHex("5f4e4f5256414e544100") << false;
    QTest::newRow("a write the printer does not answer: the wait ends at its bound")
        << QByteArray::fromHex("1d2845") << QByteArray() << false;
    QTest::newRow("the printer switched off mid-transaction: the device closes with the reason")
        << QByteArray::fromHex("1d4943") << QByteArray() << true;
}

void WinDevicesTest::printerPort()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(bool, switchedOff);

    // The port is opened for writing, then again for reading, as the link does for a query.
    PipePrinter commandEnd(u"commands"_s);
    PipePrinter replyEnd(u"replies"_s);
    QVERIFY(commandEnd.isListening() && replyEnd.isListening());
    WinLptDevice device;
    QVERIFY2(device.open(commandEnd.path(), LptDevice::Access::Write),
             qPrintable(device.lastError().text));
    // One byte a call, as the link writes commands.
    for (qsizetype at = 0; at < command.size(); ++at)
        QVERIFY(device.write(command.mid(at, 1)));
    QTRY_COMPARE(commandEnd.received(), command);
    QVERIFY(device.close());

    QVERIFY(device.open(replyEnd.path(), LptDevice::Access::Read));
    if (!reply.isEmpty())
        QVERIFY(replyEnd.send(reply));
    if (switchedOff)
        replyEnd.hangUp();
    QByteArray read;
    while (read.size() < reply.size() && device.waitForReadyRead(kReplyBound))
        read += device.read(reply.size() - read.size());
    QCOMPARE(read, reply);
    if (switchedOff) {
        // The wait ends without a reply, the device is closed, and Windows says why.
        QVERIFY(!device.waitForReadyRead(kReplyBound));
        QVERIFY(!device.isOpen());
        QVERIFY(device.lastError().number != 0 && !device.lastError().text.isEmpty());
        QVERIFY(!device.write(command));
        return;
    }
    // A silent printer: the wait ends at its bound, and the port stays usable.
    QVERIFY(!device.waitForReadyRead(kSilence));
    QVERIFY(device.isOpen());
    QCOMPARE(device.bytesAvailable(), qint64(0));
}

QTEST_GUILESS_MAIN(WinDevicesTest)
#include "tst_win_devices.moc"

// The Windows devices of the link: the system's errors as the user reads them, the COM ports'
// names and descriptions, and the overlapped reads and writes of a printer port, over a named
// pipe that plays the printer.

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

void WinDevicesTest::printerPort_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: the printer stays silent

    QTest::newRow("a query and its reply")
        << QByteArray("\x1d\x49\x43", 3) << QByteArray("_NORVANTA\0", 10);
    QTest::newRow("a write the printer does not answer")
        << QByteArray("\x1d\x28\x45", 3) << QByteArray();
}

void WinDevicesTest::printerPort()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);

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
    QByteArray read;
    while (read.size() < reply.size() && device.waitForReadyRead(kReplyBound))
        read += device.read(reply.size() - read.size());
    QCOMPARE(read, reply);
    // A silent printer: the wait ends at its bound, and the port stays usable.
    QVERIFY(!device.waitForReadyRead(kSilence));
    QVERIFY(device.isOpen());
    QCOMPARE(device.bytesAvailable(), qint64(0));
}

QTEST_GUILESS_MAIN(WinDevicesTest)
#include "tst_win_devices.moc"

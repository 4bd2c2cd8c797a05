// Which device each port of the list stands for, and why a port could not be opened: the
// system's ports from a prepared list (never the machine's own hardware), printer emulators
// announced in a temporary runtime folder, and opens refused by the system on pseudo-terminals.

#include "LinkReporter.h"
#include "LinkStatusView.h"
#include "LinuxDeviceResolver.h"
#include "PrinterLink.h"
#include "QtEventPump.h"
#include "TestDevices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The user that opens are tried as when the test runs as root, which passes every permission
// check and every exclusive hold.
constexpr uid_t kNobody = 65534;

const QString kCannotOpen3 = u"The COM3 can not OPEN !!\r\rPlease check that whether <printer "
                             "driver> or <other application> occupy it !"_s;

// A pseudo-terminal whose slave stands in for a serial port or a printer device.
struct Pty
{
    Pty()
        : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            path = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { ::close(master); }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    int master = -1;
    QString path;
};

// The window's side of the link: the messages shown.
struct Window : LinkStatusView, LinkReporter
{
    void showLinkStatus(const LinkStatusStyle &) override {}
    void report(const LinkProblem &problem) override { shown << problem.text; }

    QStringList shown;
};

SystemSerialPort port(const QString &name, const QString &maker = {}, const QString &product = {},
                      const QString &serial = {})
{
    return {name, u"/dev/"_s + name, maker, product, serial};
}

} // namespace

// The system reports some ports, in any order; what COM1 to COM6 stand for.
struct OrderRow
{
    QList<SystemSerialPort> reported{};
    QStringList described{}; // COM1 ... COM6
};
Q_DECLARE_METATYPE(OrderRow)

// How the announcement folder came to be.
enum class Folder { Own, Link, OpenToOthers, OtherUser };

// Announcements in the runtime folder; `<pty>` and `<pty2>` stand for two live pseudo-terminals,
// `<pid>` for this process, `<ended>` for a process that has ended, `<folder>` for the folder.
struct AnnouncementRow
{
    QList<std::pair<QString, QString>> files{}; // name, content
    QStringList listed{};                       // the paths of COM2, COM3 ... after ttyS0
    Folder folder = Folder::Own;
    QString warning{}; // on standard error, for a folder that is not used
};
Q_DECLARE_METATYPE(AnnouncementRow)

// A port opened as a user without rights of its own; `<dev>` stands for the device's path,
// `<holder>` for the program that holds it.
struct OpenRow
{
    QString port{};
    // `<pty>`: a pseudo-terminal; `<folder>/ttyS0`: a plain file; empty: no device.
    QString device = u"<pty>"_s;
    mode_t mode = 0666; // of the device
    bool held = false;  // another program holds the device exclusively
    QString shown{};
};
Q_DECLARE_METATYPE(OpenRow)

class PortsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The user's runtime folder, where emulators announce their ports, is the test's own.
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void cleanup()
    {
        QFile::remove(EmulatorPorts::announcementFolder()); // a symbolic link in some rows
        QDir(EmulatorPorts::announcementFolder()).removeRecursively();
        QDir(m_runtime.filePath(u"elsewhere"_s)).removeRecursively();
    }

    void numbering_data()
    {
        QTest::addColumn<OrderRow>("row");
        const QString none = u"no device"_s;
        QTest::newRow("on-board, USB adapters, USB modems, other kinds, each by number, not text")
            << OrderRow{.reported = {port(u"ttyAMA0"_s), port(u"ttyACM0"_s), port(u"ttyUSB1"_s),
                                     port(u"ttyS10"_s), port(u"ttyUSB0"_s), port(u"ttyS2"_s)},
                        .described = {u"/dev/ttyS2"_s, u"/dev/ttyS10"_s, u"/dev/ttyUSB0"_s,
                                      u"/dev/ttyUSB1"_s, u"/dev/ttyACM0"_s, u"/dev/ttyAMA0"_s}};
        QTest::newRow("USB adapters say maker, product and serial number as reported") << OrderRow{
            .reported = {port(u"ttyUSB0"_s, u"FTDI"_s, u"FT232R USB UART"_s, u"A10K3XYZ"_s),
                         port(u"ttyACM0"_s, {}, u"Receipt Printer"_s),
                         port(u"ttyUSB1"_s, {}, {}, u"0001"_s)},
            .described = {u"/dev/ttyUSB0 \u2014 FTDI FT232R USB UART (A10K3XYZ)"_s,
                          u"/dev/ttyUSB1 \u2014 (0001)"_s, u"/dev/ttyACM0 \u2014 Receipt Printer"_s,
                          none, none, none}};
    }

    void numbering()
    {
        QFETCH(OrderRow, row);
        const LinuxDeviceResolver resolver([&row] { return row.reported; });
        QCOMPARE(resolver.serialPortDescriptions(6), row.described);
        // Each COM port opens the device its description names.
        for (int number = 1; number <= 6; ++number) {
            const QString &described = row.described.at(number - 1);
            QCOMPARE(resolver.serialPortName(number),
                     described == u"no device" ? QString() : described.section(u' ', 0, 0));
        }
    }

    void emulatorPorts_data()
    {
        QTest::addColumn<AnnouncementRow>("row");
        const auto live = [](const char *name, const char *content) {
            return std::pair{QString::fromLatin1(name), QString::fromLatin1(content)};
        };
        QTest::newRow("running emulators: the next COM ports by their numbers, each path once")
            << AnnouncementRow{.files = {live("<pid>-2.pty", "<pty2>\n"),
                                         live("<pid>-1.pty", "<pty>\n"),
                                         live("<pid>-3.pty", "<pty>\n")},
                               .listed = {u"<pty>"_s, u"<pty2>"_s}};
        QTest::newRow("passed over: emulator ended, path gone or no pseudo-terminal (a file, "
                      "/dev/null, /dev/tty), announcement not complete, other names")
            << AnnouncementRow{
                   .files = {live("<ended>-1.pty", "<pty>\n"),
                             live("<pid>-1.pty", "/dev/pts/999999\n"),
                             live("<pid>-2.pty", "<folder>/<pid>-1.pty\n"),
                             live("<pid>-3.pty", "/dev/null\n"), live("<pid>-4.pty", "/dev/tty\n"),
                             live("<pid>-5.pty", "<pty>"), live("printer.pty", "<pty2>\n"),
                             live("<pid>-2.txt", "<pty2>\n")}};
        // Anyone could plant announcements there: the folder is not used, and the user is told.
        const auto untrusted = [&](const char *name, Folder folder, const char *why) {
            QTest::newRow(name) << AnnouncementRow{.files = {live("<pid>-1.pty", "<pty>\n")},
                                                   .folder = folder,
                                                   .warning = u"ignoring <folder>: "_s +
                                                              QLatin1String(why)};
        };
        untrusted("folder a symbolic link: not used", Folder::Link, "a symbolic link");
        untrusted("folder open to others: not used", Folder::OpenToOthers, "mode 0755, not 0700");
        untrusted("folder of another user: not used", Folder::OtherUser, "owned by another user");
    }

    void emulatorPorts()
    {
        QFETCH(AnnouncementRow, row);
        const Pty pty, pty2;
        const QString folder = EmulatorPorts::announcementFolder();
        const auto filled = [&](QString text) {
            return text.replace(u"<pty2>"_s, pty2.path)
                .replace(u"<pty>"_s, pty.path)
                .replace(u"<pid>"_s, QString::number(QCoreApplication::applicationPid()))
                .replace(u"<folder>"_s, folder);
        };
        const QByteArray encoded = QFile::encodeName(folder);
        const QString elsewhere = m_runtime.filePath(u"elsewhere"_s);
        if (row.folder == Folder::OtherUser && ::geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        if (row.folder == Folder::Link)
            QVERIFY(QDir().mkpath(elsewhere) && QFile::link(elsewhere, folder));
        else
            QVERIFY(::mkdir(encoded.constData(),
                            row.folder == Folder::OpenToOthers ? 0755 : 0700) == 0);
        // A process id that no process has: a child that has ended and been reaped.
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        ::waitpid(child, nullptr, 0);
        for (const auto &[name, content] : std::as_const(row.files)) {
            QFile announcement(
                QDir(folder).filePath(filled(name).replace(u"<ended>"_s, QString::number(child))));
            QVERIFY(announcement.open(QIODevice::WriteOnly));
            QVERIFY(announcement.write(filled(content).toUtf8()) > 0);
        }
        if (row.folder == Folder::OtherUser)
            QVERIFY(::chown(encoded.constData(), kNobody, kNobody) == 0);
        if (!row.warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, qPrintable(filled(row.warning)));
        QStringList described{u"/dev/ttyS0"_s};
        for (const QString &path : std::as_const(row.listed))
            described.append(u"printer emulator (%1)"_s.arg(filled(path)));
        while (described.size() < 4)
            described.append(u"no device"_s);

        const LinuxDeviceResolver resolver([] { return QList{port(u"ttyS0"_s)}; });
        QCOMPARE(resolver.serialPortDescriptions(4), described);
        for (int number = 2; number <= 4; ++number)
            QCOMPARE(resolver.serialPortName(number), filled(row.listed.value(number - 2)));

        // The emulators end and take their announcements with them: no COM port leads there.
        if (row.folder != Folder::Own)
            return;
        QVERIFY(QDir(folder).removeRecursively());
        QCOMPARE(resolver.serialPortDescriptions(2),
                 (QStringList{u"/dev/ttyS0"_s, u"no device"_s}));
        QCOMPARE(resolver.serialPortName(2), QString());
    }

    // Qt trusts neither XDG_RUNTIME_DIR (a symbolic link) nor its own fallback in TMPDIR (a file
    // in its place): there is no announcement folder, never one at the root of the file system.
    void runtimeFolderRefused()
    {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const std::optional<QByteArray> tmp =
            qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_RUNTIME_DIR", runtime);
            tmp ? qputenv("TMPDIR", *tmp) : qunsetenv("TMPDIR");
        });
        QTemporaryDir other;
        QFile fallback(other.filePath(u"runtime-"_s +
                                      QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name)));
        QVERIFY(QFile::link(m_runtime.path(), other.filePath(u"runtime"_s)) &&
                fallback.open(QIODevice::WriteOnly));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(other.filePath(u"runtime"_s)));
        qputenv("TMPDIR", QFile::encodeName(other.path()));
        QCOMPARE(EmulatorPorts::announcementFolder(), QString());
        QCOMPARE(EmulatorPorts().livePorts(), QStringList());
    }

    void openFailure_data()
    {
        QTest::addColumn<OpenRow>("row");
        const QString dialout = u"Add your user to the dialout group: sudo usermod -aG dialout "
                                "$USER, then log in again."_s;
        const QString lp =
            u"Add your user to the lp group: sudo usermod -aG lp $USER, then log in again."_s;
        // Without a device there is nothing to open, and the device has nothing to report.
        QTest::newRow("COM3 without a device: no device behind it")
            << OpenRow{.port = u"COM3"_s,
                       .device = {},
                       .shown = kCannotOpen3 + u"\r\rNo device behind COM3."_s};
        QTest::newRow("COM3 unplugged: the system says there is no such file")
            << OpenRow{.port = u"COM3"_s,
                       .device = u"/dev/ttyUSB-unplugged"_s,
                       .shown = kCannotOpen3 + u"\r\r<dev>: No such file or directory."_s};
        QTest::newRow("COM3 not open to the user: permission denied, the dialout group")
            << OpenRow{.port = u"COM3"_s,
                       .mode = 0,
                       .shown = kCannotOpen3 + u"\r\r<dev>: Permission denied.\r"_s + dialout};
        QTest::newRow("COM3 held by another program: busy, the program named")
            << OpenRow{.port = u"COM3"_s,
                       .held = true,
                       .shown = kCannotOpen3 +
                                u"\r\r<dev>: Device or resource busy.\rIt is held by <holder>."_s};
        QTest::newRow("COM3 is a plain file: not supported")
            << OpenRow{.port = u"COM3"_s,
                       .device = u"<folder>/ttyS0"_s,
                       .shown = kCannotOpen3 + u"\r\r<dev> is not a device that this port can "
                                               "open (Inappropriate ioctl for device)."_s};
        QTest::newRow("LPT1 without a device: Error no 2, no device behind it")
            << OpenRow{.port = u"LPT1"_s,
                       .device = {},
                       .shown = u"Error no  2: No such file or directory\r\rNo device behind "
                                "LPT1."_s};
        QTest::newRow("LPT1 not open to the user: Error no 13, the lp group") << OpenRow{
            .port = u"LPT1"_s,
            .mode = 0,
            .shown = u"Error no  13: Permission denied\r\r<dev>: Permission denied.\r"_s + lp};
        QTest::newRow("LPT1 held by another program: Error no 16, the program named")
            << OpenRow{.port = u"LPT1"_s,
                       .held = true,
                       .shown = u"Error no  16: Device or resource busy\r\r<dev>: Device or "
                                "resource busy.\rIt is held by <holder>."_s};
    }

    void openFailure()
    {
        QFETCH(OpenRow, row);
        const Pty pty;
        QCOMPARE(::chmod(QFile::encodeName(pty.path).constData(), row.mode), 0);
        // The plain file is in a folder that every user may pass through.
        QTemporaryDir folder;
        QCOMPARE(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
        QVERIFY(QFile(folder.filePath(u"ttyS0"_s)).open(QIODevice::WriteOnly));
        // COM3 and LPT1 lead here.
        const QString device =
            QString(row.device).replace(u"<pty>"_s, pty.path).replace(u"<folder>"_s, folder.path());
        auto resolver = std::make_unique<FixedDeviceResolver>();
        resolver->serialPorts.insert(3, device);
        resolver->lptDevice = device;
        // Another program holding the device exclusively (TIOCEXCL), as terminal programs do:
        // `sleep`, started with the device open. Under root it runs as nobody, so that an open
        // tried as nobody both meets the exclusive hold and may look at the holder's descriptors.
        QProcess holder;
        const auto endHolder = qScopeGuard([&holder] {
            holder.kill();
            holder.waitForFinished();
        });
        if (row.held) {
            holder.setChildProcessModifier([path = QFile::encodeName(device)] {
                const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY);
                if (fd < 0 || ::ioctl(fd, TIOCEXCL) != 0 ||
                    (::getuid() == 0 && ::setuid(kNobody) != 0))
                    ::_exit(127);
            });
            holder.start(u"sleep"_s, {u"60"_s});
            QVERIFY(holder.waitForStarted());
        }
        Window window;
        QtEventPump pump;
        PrinterLink link(window, window, pump, testDevices(std::move(resolver)));
        link.setSettings({PortChoice::fromName(row.port)});

        bool opened = false;
        {
            const bool root = ::geteuid() == 0;
            QVERIFY(!root || ::seteuid(kNobody) == 0);
            const auto restore = qScopeGuard([root] {
                if (root && ::seteuid(0) != 0)
                    qFatal("cannot become root again");
            });
            opened = link.OpenPort(true);
        }

        // A printer device's open failure is reported, yet the open returns true.
        QCOMPARE(opened, row.port == u"LPT1");
        const QString holderName = u"sleep (process %1)"_s.arg(holder.processId());
        QCOMPARE(
            window.shown,
            QStringList{row.shown.replace(u"<dev>"_s, device).replace(u"<holder>"_s, holderName)});
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(PortsTest)
#include "tst_ports.moc"

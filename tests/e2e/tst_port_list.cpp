// The port list as a user meets it: what each entry stands for (tooltips, accessible
// descriptions, the device label beside the list), and the printer emulator listed as a COM port
// and used for a communication test with the serial options of the window. The system's serial
// ports come from a prepared list; the emulator announces its port in a temporary runtime folder,
// as the program does.
// Windows has no pseudo-terminals: there the emulator is no COM port, and only the descriptions
// of the ports are tested.

#include "TestWindow.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#ifndef Q_OS_WIN
#include "EmulatorThread.h"
#include "LinkPanel.h"
#include "LinuxDeviceResolver.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

#ifndef Q_OS_WIN
namespace {

const QString kUsbAdapter = u"/dev/ttyUSB0 \u2014 FTDI FT232R USB UART (A10K3XYZ)"_s;

// The system reports an on-board port and a USB adapter, whatever this machine has.
std::unique_ptr<DeviceResolver> preparedSystem()
{
    return std::make_unique<LinuxDeviceResolver>([] {
        return QList<SystemSerialPort>{
            {u"ttyUSB0"_s, u"/dev/ttyUSB0"_s, u"FTDI"_s, u"FT232R USB UART"_s, u"A10K3XYZ"_s},
            {u"ttyS0"_s, u"/dev/ttyS0"_s, {}, {}, {}}};
    });
}

} // namespace
#endif

// A port picked with the keyboard, and what the label beside the list then shows.
struct LabelRow
{
    QString entry{};
    QString serialDevice{}; // COM3 leads here
    QString lptDevice{};
    QString shown{};
};
Q_DECLARE_METATYPE(LabelRow)

class PortListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
#ifndef Q_OS_WIN
    void cleanup()
    {
        QDir(EmulatorPorts::announcementFolder()).removeRecursively();
    }
#endif

    void deviceLabel_data()
    {
        QTest::addColumn<LabelRow>("row");
        QTest::newRow("COM3 to a serial device: its path") << LabelRow{
            .entry = u"COM3"_s, .serialDevice = u"/dev/ttyS2"_s, .shown = u"/dev/ttyS2"_s};
        QTest::newRow("COM4 without a device: no device") << LabelRow{
            .entry = u"COM4"_s, .serialDevice = u"/dev/ttyS2"_s, .shown = u"no device"_s};
        QTest::newRow("LPT1: the printer device it opens") << LabelRow{
            .entry = u"LPT1"_s, .lptDevice = u"/dev/usb/lp0"_s, .shown = u"/dev/usb/lp0"_s};
        QTest::newRow("LPT1 without a printer device: no device")
            << LabelRow{.entry = u"LPT1"_s, .shown = u"no device"_s};
        QTest::newRow("TCP/IP: empty") << LabelRow{.entry = u"TCP/IP"_s};
    }

    void deviceLabel()
    {
        QFETCH(LabelRow, row);
        auto resolver = std::make_unique<FixedDeviceResolver>();
        resolver->serialPorts.insert(3, row.serialDevice);
        resolver->lptDevice = row.lptDevice;
        TestWindow t(std::move(resolver));
        auto *ports = t.control<QComboBox>(u"Combo1"_s);
        chooseEntry(ports, ports->findText(row.entry));
        QCOMPARE(ports->currentText(), row.entry);
        auto *label = t.control<QLabel>(u"lblDEVICE"_s);
        QCOMPARE(label->text(), row.shown);
        QCOMPARE(label->toolTip(), row.shown);
        const QAccessibleInterface *readOut = QAccessible::queryAccessibleInterface(label);
        QCOMPARE(readOut->text(QAccessible::Name), row.shown);
        QCOMPARE(readOut->text(QAccessible::Description), u"Serial device"_s);
    }

#ifndef Q_OS_WIN
    // The emulator's pseudo-terminal comes after the system's ports; the user opens the list,
    // reads what the entries are, picks the emulator and passes the communication test with the
    // baud rate, parity and handshake chosen in the window.
    void emulatorAsComPort()
    {
        EmulatorThread emulator(EmulatorOptions{.announcePty = true});
        const QString pty = emulator.openPty();
        QVERIFY(!pty.isEmpty());
        QVERIFY(!emulator.ptyAnnouncementPath().isEmpty());
        // A descriptor of our own on the device shows the line settings the window gives it.
        const int line = ::open(QFile::encodeName(pty).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const auto closeLine = qScopeGuard([line] { ::close(line); });
        QVERIFY(line >= 0);

        TestWindow t(preparedSystem());
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        auto *ports = t.control<QComboBox>(u"Combo1"_s);
        QTest::keyClick(ports, Qt::Key_F4);
        QAbstractItemView *list = ports->view();
        QTRY_VERIFY(list->isVisible());

        // The entries as a screen reader reads them: name and description of each.
        QStringList entries;
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(list);
        for (int i = 0; table != nullptr && i < table->childCount(); ++i)
            entries.append(table->child(i)->text(QAccessible::Name) + u" = "_s +
                           table->child(i)->text(QAccessible::Description));
        const QString emulated = u"printer emulator (%1)"_s.arg(pty);
        QCOMPARE(entries.mid(2, 4), (QStringList{u"COM1 = /dev/ttyS0"_s, u"COM2 = "_s + kUsbAdapter,
                                                 u"COM3 = "_s + emulated, u"COM4 = no device"_s}));
        QCOMPARE(entries.first(), u"TCP/IP = "_s);
        for (int i = 0; i < ports->count(); ++i)
            QCOMPARE(ports->itemData(i, Qt::ToolTipRole),
                     ports->itemData(i, Qt::AccessibleDescriptionRole));

        // Hovering the emulator's entry shows what it is.
        const QModelIndex entry = list->model()->index(ports->findText(u"COM3"_s), 0);
        const QPoint at = list->visualRect(entry).center();
        QTest::mouseMove(list->viewport(), at);
        QTRY_COMPARE(list->currentIndex(), entry);
        QHelpEvent hover(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), emulated);
        QVERIFY(list->window()->grab().save(screenshotPath(u"port-list-open.png"_s)));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(!list->isVisible());
        QToolTip::hideText();
        QCOMPARE(ports->currentText(), u"COM3"_s);
        QCOMPARE(t.control<QLabel>(u"lblDEVICE"_s)->text(), emulated);

        for (const char *option : {"com_BR_9600", "com_PK_EVEN", "com_HS_SW"})
            QTest::mouseClick(t.control<QRadioButton>(QLatin1String(option)), Qt::LeftButton);
        QTest::mouseClick(t.control<QPushButton>(u"cmdCommunicate"_s), Qt::LeftButton);
        QCOMPARE(t.prompter.texts(), QStringList{kGreeting});
        QVERIFY(emulator.received().startsWith(QByteArray::fromHex("1D4942")));
        // The line runs at the baud rate chosen; a pseudo-terminal keeps no parity (Linux clears
        // it), so the parity is read from the settings the port was opened with.
        termios settings{};
        QCOMPARE(::tcgetattr(line, &settings), 0);
        QCOMPARE(::cfgetospeed(&settings), speed_t(B9600));
        QCOMPARE(t.window.findChild<LinkPanel *>(u"linkPanel"_s)->serialSettings(),
                 (SerialSettings{BaudRate::Baud9600, Parity::Even, Handshake::XonXoff}));
        QVERIFY(t.window.grab().save(screenshotPath(u"communication-test-emulator-COM3.png"_s)));
    }

    // An emulator that has ended is no longer behind its COM port, in the list and at the open.
    void emulatorEnded()
    {
        auto emulator = std::make_unique<EmulatorThread>(EmulatorOptions{.announcePty = true});
        QVERIFY(!emulator->openPty().isEmpty());
        const QString announcement = emulator->ptyAnnouncementPath();
        QVERIFY(QFile::exists(announcement));
        TestWindow t(preparedSystem());
        auto *ports = t.control<QComboBox>(u"Combo1"_s);
        chooseEntry(ports, ports->findText(u"COM3"_s));
        QVERIFY(t.control<QLabel>(u"lblDEVICE"_s)->text().startsWith(u"printer emulator"));

        // The emulator takes its announcement with it when it ends.
        emulator.reset();
        QVERIFY(!QFile::exists(announcement));
        ports->showPopup();
        QCOMPARE(ports->itemData(ports->currentIndex(), Qt::ToolTipRole).toString(),
                 u"no device"_s);
        ports->hidePopup();
        QCOMPARE(t.control<QLabel>(u"lblDEVICE"_s)->text(), u"no device"_s);
        QTest::mouseClick(t.control<QPushButton>(u"cmdCommunicate"_s), Qt::LeftButton);
        // The link says why, then the communication test that it could not run.
        QCOMPARE(t.prompter.texts(),
                 (QStringList{u"The COM3 can not OPEN !!\r\rPlease check that whether <printer "
                              "driver> or <other application> occupy it !\r\rNo device behind "
                              "COM3."_s,
                              u"Communication test error!!\r\n"
                              "Please check the port setting of your printer."_s}));
    }
#endif

private:
    QTemporaryDir m_runtime;
};

QTEST_MAIN(PortListTest)
#include "tst_port_list.moc"

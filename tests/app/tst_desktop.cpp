// The window on a Linux desktop: help that always shows (the desktop's viewer, else a viewer of
// the window's own), texts readable on a dark palette (measured on renders), whole entries in the
// closed language lists, a logo for high-DPI screens, and the window and its switch pairs as
// assistive technology sees and works them.

#include "EmulatorThread.h"
#include "HelpLocator.h"
#include "LinkPanel.h"
#include "LinkStatus.h"
#include "QtDesktopShell.h"
#include "ReadableColours.h"
#include "SwitchMeanings.h"
#include "TestWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The contrast of a control's text on a picture of the window: its background is the colour
// most of its box has, its text the pixel farthest from that.
double measuredContrast(const QImage &picture, const QWidget &window, QWidget *control)
{
    QWidget *area = control;
    if (auto *log = qobject_cast<QPlainTextEdit *>(control))
        area = log->viewport();
    QRect box = area->contentsRect().adjusted(2, 2, -2, -2);
    box.moveTopLeft(area->mapTo(&window, box.topLeft()));
    QHash<QRgb, int> counts;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            ++counts[picture.pixel(x, y)];
    const QRgb paper =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first;
    const auto distance = [paper](QRgb c) {
        return std::abs(qRed(c) - qRed(paper)) + std::abs(qGreen(c) - qGreen(paper)) +
               std::abs(qBlue(c) - qBlue(paper));
    };
    QRgb ink = paper;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
        ink = distance(*it) > distance(ink) ? *it : ink;
    return ReadableColours::contrastRatio(QColor(ink), QColor(paper));
}

const QByteArray kHelpText = "Printer Software Switch Utility v1.1 - help\n\xe2\x80\x94 the text\n";

// Where copies of the help file lie: in the working directory (or only a folder of its name there),
// and in the user's data folder or not.
struct HelpFolder
{
    enum Entry { File, Folder };

    explicit HelpFolder(Entry inWorkDir, bool inDataHome = false,
                        const QByteArray &text = kHelpText)
    {
        QDir::setCurrent(work.path());
        // Installed copies of the help file on this machine must not answer.
        qputenv("XDG_DATA_HOME", QFile::encodeName(work.filePath(u"data"_s)));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(work.filePath(u"none"_s)));
        QDir(work.path()).mkpath(u"data/printer-switch-utility"_s);
        if (inWorkDir == Folder)
            QDir(work.path()).mkpath(HelpLocator::helpFileName());
        for (const QString &copy : {inWorkDir == File ? workDirCopy() : QString(),
                                    inDataHome ? dataHomeCopy() : QString()}) {
            QFile file(copy);
            if (!copy.isEmpty() && file.open(QIODevice::WriteOnly))
                file.write(text);
        }
    }
    ~HelpFolder() { QDir::setCurrent(previous); }
    QString workDirCopy() const { return work.filePath(HelpLocator::helpFileName()); }
    QString dataHomeCopy() const
    {
        return work.filePath(u"data/printer-switch-utility/"_s + HelpLocator::helpFileName());
    }

    QString previous = QDir::currentPath();
    QTemporaryDir work;
};

QWidget *helpViewer(const QWidget &window)
{
    return window.findChild<QWidget *>(u"helpViewer"_s);
}

} // namespace

// Where the help file lies, the help asked for, how the desktop's opener of files (xdg-open) ends,
// and what the user then sees. The working directory's copy comes first, then the data folder's;
// without either, a message says where the file was looked for.
struct HelpRow
{
    HelpFolder::Entry inWorkDir = HelpFolder::File;
    bool inDataHome = false;
    std::optional<int> opener = 0; // its exit status, 0 when it shows the file; none: no xdg-open
    bool pressF1 = false;          // else the Help button
    bool ownViewer = false;
    QByteArray text = kHelpText;
    // Why the viewer refuses the file, after "The help file PATH cannot be read: ".
    QString refusal{};
};
Q_DECLARE_METATYPE(HelpRow)

class DesktopTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    }
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }

    void help_data()
    {
        QTest::addColumn<HelpRow>("row");
        QTest::newRow("working directory's copy first, the desktop shows it: no viewer of its own")
            << HelpRow{.inDataHome = true};
        QTest::newRow("F1, xdg-open finds no viewer: the file's text in the window's own viewer")
            << HelpRow{.opener = 3, .pressF1 = true, .ownViewer = true};
        QTest::newRow("no xdg-open: the window's own viewer")
            << HelpRow{.opener = std::nullopt, .ownViewer = true};
        QTest::newRow("a folder of the file's name passed over: the data folder's copy")
            << HelpRow{.inWorkDir = HelpFolder::Folder, .inDataHome = true};
        QTest::newRow("no help file, only a folder of its name: the folders it was looked for in")
            << HelpRow{.inWorkDir = HelpFolder::Folder};
        QTest::newRow("a line of 90 characters: the viewer as wide as it, nothing cut off")
            << HelpRow{.opener = 3,
                       .ownViewer = true,
                       .text = "short\r\n" + QByteArray(89, 'W') + "M\r\nshort\r\n"};
        QTest::newRow("1 MiB and one byte: refused, the message names the file")
            << HelpRow{.opener = 3,
                       .text = QByteArray(1024 * 1024 + 1, 'x'),
                       .refusal = u"it is larger than 1 MiB."_s};
        QTest::newRow("a NUL byte: refused as no text")
            << HelpRow{.opener = 3,
                       .text = QByteArray("help\0\x01", 6),
                       .refusal = u"it is not a text file."_s};
    }

    void help()
    {
        QFETCH(HelpRow, row);
        const HelpFolder folder(row.inWorkDir, row.inDataHome, row.text);
        const QString path = row.inWorkDir == HelpFolder::File ? folder.workDirCopy()
                             : row.inDataHome                  ? folder.dataHomeCopy()
                                                               : QString();
        QTemporaryDir bin;
        const QString opened = bin.filePath(u"opened"_s);
        if (row.opener) {
            QFile opener(bin.filePath(u"xdg-open"_s));
            QVERIFY(opener.open(QIODevice::WriteOnly));
            opener.write(u"#!/bin/sh\necho \"$1\" > '%1'\nexit %2\n"_s.arg(opened)
                             .arg(*row.opener)
                             .toUtf8());
            opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // Only the test's opener, and no browser to fall back on.
        const QByteArray paths = qgetenv("PATH");
        const auto restore = qScopeGuard([paths] { qputenv("PATH", paths); });
        qputenv("PATH", QFile::encodeName(bin.path()));
        qunsetenv("BROWSER");
        RecordingPrompter prompter;
        QtDesktopShell shell;
        QtEventPump pump;
        MainWindow window(prompter, shell, pump,
                          testDevices(std::make_unique<FixedDeviceResolver>()));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        if (row.pressF1)
            QTest::keyClick(&window, Qt::Key_F1);
        else
            QTest::mouseClick(window.findChild<QPushButton *>(u"cmdHELP"_s), Qt::LeftButton);

        // The opener is given the file found, and nothing when none is.
        if (!path.isEmpty() && row.opener) {
            QTRY_VERIFY(QFile(opened).size() > 0);
            QFile given(opened);
            QVERIFY(given.open(QIODevice::ReadOnly));
            QCOMPARE(given.readAll(), QFile::encodeName(path) + '\n');
        }
        QCOMPARE(QFile::exists(opened), !path.isEmpty() && row.opener);
        if (!row.refusal.isEmpty())
            QTRY_COMPARE(prompter.texts(), QStringList{u"The help file %1 cannot be read: %2"_s.arg(
                                               path, row.refusal)});
        else
            QCOMPARE(prompter.texts().size(), path.isEmpty() ? 1 : 0);
        if (path.isEmpty()) {
            const QStringList lines = prompter.texts().first().split(u"\r\n"_s);
            QCOMPARE(lines.first(),
                     u"The help file KV_SW_Help.txt was not found. It was looked for in:"_s);
            QCOMPARE(lines.value(1), QDir::currentPath());
            QVERIFY(lines.contains(folder.work.filePath(u"data/printer-switch-utility"_s)));
        }
        if (row.ownViewer)
            QTRY_VERIFY(helpViewer(window) != nullptr && helpViewer(window)->isVisible());
        QWidget *viewer = helpViewer(window);
        QCOMPARE(viewer != nullptr && viewer->isVisible(), row.ownViewer);
        if (row.ownViewer) {
            QCOMPARE(viewer->windowTitle(), u"KV_SW_Help.txt"_s);
            auto *text = viewer->findChild<QPlainTextEdit *>();
            QVERIFY(QTest::qWaitForWindowExposed(viewer));
            QVERIFY(text->isReadOnly());
            QCOMPARE(text->toPlainText(), QString::fromUtf8(row.text).remove(u'\r'));
            // Every line whole, and the window free to be resized.
            QCOMPARE(text->horizontalScrollBar()->maximum(), 0);
            QVERIFY(viewer->minimumSize() != viewer->maximumSize());
        }
    }

    // On a dark palette every coloured text keeps a contrast of 4.5:1, measured on a render of
    // the window after a communication test with the emulator over TCP; afterwards, back on the
    // light palette, the documented colours are back.
    void readableOnDarkPalette_data()
    {
        QTest::addColumn<int>("tab"); // -1: before the communication test
        QTest::addColumn<int>("statusCode");
        QTest::newRow("TCP-IP chosen: address and port") << -1 << 0;
        QTest::newRow("printer information") << 0 << 7;
        QTest::newRow("first switch page: SW2 meanings") << 1 << 7;
        QTest::newRow("second switch page: SW3 meaning") << 2 << 7;
        QTest::newRow("language page") << 3 << 7;
        QTest::newRow("log history") << 4 << 7;
        QTest::newRow("status Disconnect, red") << 0 << 0;
        QTest::newRow("status Connecting..., black") << 0 << 6;
    }

    void readableOnDarkPalette()
    {
        QFETCH(int, tab);
        QFETCH(int, statusCode);
        // A dark palette as a desktop theme gives it: light text on dark grey, black fields.
        const QPalette dark(QColor(53, 53, 53));
        QApplication::setPalette(dark);
        if (!m_emulator) {
            m_emulator = std::make_unique<EmulatorThread>();
            m_rig = std::make_unique<TestWindow>();
            m_rig->window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&m_rig->window));
            chooseEntry(m_rig->control<QComboBox>(u"Combo1"_s), 0);
            m_rig->control<QLineEdit>(u"tcpIP"_s)->setText(u"127.0.0.1"_s);
            m_rig->control<QLineEdit>(u"tcpListenPort"_s)
                ->setText(QString::number(m_emulator->listenTcp()));
        }
        MainWindow &window = m_rig->window;
        // A new palette of the application reaches the windows through the event loop.
        QTRY_COMPARE(window.palette().color(QPalette::Window), dark.color(QPalette::Window));
        if (tab >= 0 && m_rig->prompter.shown.isEmpty()) {
            m_rig->control<QPushButton>(u"cmdCommunicate"_s)->click();
            QCOMPARE(m_rig->prompter.texts(), QStringList{kGreeting});
        }
        if (tab >= 0)
            m_rig->control<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(tab);
        window.findChild<LinkPanel *>(u"linkPanel"_s)->showLinkStatus(linkStatusStyle(statusCode));

        const QImage picture = window.grab().toImage();
        QVERIFY(picture.save(
            screenshotPath(u"dark-palette-%1.png"_s.arg(QString::fromLatin1(QTest::currentDataTag())
                                                            .replace(u' ', u'-')
                                                            .remove(u',')
                                                            .remove(u':')))));
        // The texts that the window colours itself.
        const QRegularExpression coloured(
            u"^(lblKV_INFO_|lblLANG_INFO_|lblSW|tcpIP|tcpListenPort|txtSTATUS|txtLOG)"_s);
        QStringList measured, unreadable;
        const QList<QWidget *> all = window.findChildren<QWidget *>();
        for (QWidget *control : all) {
            const QString text =
                control->property(qobject_cast<QPlainTextEdit *>(control) ? "plainText" : "text")
                    .toString()
                    .trimmed();
            if (!coloured.match(control->objectName()).hasMatch() ||
                !control->isVisibleTo(&window) || !control->isEnabled() || text.isEmpty() ||
                text == u"=")
                continue;
            const double contrast = measuredContrast(picture, window, control);
            measured.append(control->objectName());
            if (contrast < ReadableColours::kMinimumContrast)
                unreadable.append(u"%1 %2:1"_s.arg(control->objectName()).arg(contrast, 0, 'f', 2));
        }
        QVERIFY2(!measured.isEmpty(), "no coloured text on the picture");
        QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(u", "_s)));
        QVERIFY(measured.contains(u"txtSTATUS"_s));

        // On the light palette the documented colours are back as they are.
        const QPalette light = QApplication::style()->standardPalette();
        QApplication::setPalette(light);
        QTRY_COMPARE(window.palette().color(QPalette::Window), light.color(QPalette::Window));
        const std::tuple<const char *, QPalette::ColorRole, QColor> documented[] = {
            {"lblKV_INFO_0", QPalette::WindowText, QColor(0, 0, 255)},
            {"lblSW2Function_0", QPalette::WindowText, QColor(0, 0, 255)},
            {"tcpIP", QPalette::Text, QColor(0, 0, 255)},
            {"txtLOG", QPalette::Text, QColor(0, 0, 128)}};
        for (const auto &[name, role, colour] : documented)
            QCOMPARE(m_rig->control<QWidget>(QLatin1String(name))
                         ->palette()
                         .color(QPalette::Active, role),
                     colour);
        const LinkStatusStyle status = linkStatusStyle(statusCode);
        auto *box = m_rig->control<QLineEdit>(u"txtSTATUS"_s);
        QCOMPARE(box->palette().color(QPalette::Active, QPalette::Text),
                 QColor(status.red, status.green, status.blue));
        QCOMPARE(box->palette().color(QPalette::Active, QPalette::Base), QColor(224, 224, 224));
    }

    // The closed code-page and character-set lists show every entry whole at the window's font.
    void wholeEntries_data()
    {
        QTest::addColumn<QString>("list");
        QTest::newRow("code page") << u"comboCodePage"_s;
        QTest::newRow("code page name") << u"comboCodePageName"_s;
        QTest::newRow("international character set") << u"comboInterChars"_s;
    }

    void wholeEntries()
    {
        QFETCH(QString, list);
        TestWindow t;
        auto *combo = t.control<QComboBox>(list);
        QCOMPARE(combo->font(), t.window.font());
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.frame = true;
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        // The longest entry is chosen, for a look at the picture.
        QStringList cut;
        int longest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            const int width = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
            if (width > field.width())
                cut.append(combo->itemText(i));
            if (width > combo->fontMetrics().horizontalAdvance(combo->itemText(longest)))
                longest = i;
        }
        QCOMPARE(cut, QStringList());
        combo->setCurrentIndex(longest);
        QVERIFY(combo->parentWidget()->grab().save(
            screenshotPath(u"whole-entries-%1.png"_s.arg(list))));
        // The list stays inside its frame.
        QVERIFY(combo->parentWidget()->contentsRect().contains(combo->geometry()));
    }

    // On a screen of device pixel ratio 2 the logo is drawn from its image of twice the size.
    void logoForHighDpi_data()
    {
        QTest::addColumn<int>("ratio");
        QTest::addColumn<QString>("image");
        QTest::newRow("ratio 1: logo.png") << 1 << u":/images/logo.png"_s;
        QTest::newRow("ratio 2: logo@2x.png") << 2 << u":/images/logo@2x.png"_s;
    }

    void logoForHighDpi()
    {
        QFETCH(int, ratio);
        QFETCH(QString, image);
        TestWindow t;
        auto *logo = t.control<QLabel>(u"Image1"_s);
        QImage drawn(logo->size() * ratio, QImage::Format_RGB32);
        drawn.setDevicePixelRatio(ratio);
        drawn.fill(Qt::black);
        logo->render(&drawn);
        const QImage source = QImage(image).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(source.size(), drawn.size());
        drawn.setDevicePixelRatio(1);
        QVERIFY(drawn == source);
    }

    // To assistive technology the window is a frame with its title; printer data on labels is
    // read as it is, never as markup; lists and fields, whose names are what they hold, say what
    // they are for.
    void accessibleTexts()
    {
        TestWindow t;
        const QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&t.window);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), u"Printer Software Switch Utility v1.1"_s);
        auto *label = t.control<QLabel>(u"lblKV_INFO_3"_s);
        label->setText(u"<b>KV-4100</b>"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
                 label->text());
        const QList<QWidget *> all = t.window.findChildren<QWidget *>();
        for (QWidget *w : all) {
            const QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            if (a->role() == QAccessible::ComboBox || a->role() == QAccessible::EditableText)
                QVERIFY2(!a->text(QAccessible::Description).isEmpty(), qPrintable(w->objectName()));
        }

        // Only the control with the focus claims it: not the current tab of the hidden tabs, and
        // that tab once the shown tab bar has the focus.
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        t.control<QPushButton>(u"cmdCommunicate"_s)->setFocus();
        QTabBar *bar = t.control<QTabWidget>(u"SSTab1"_s)->tabBar();
        const QAccessibleInterface *tabs = QAccessible::queryAccessibleInterface(bar);
        const QAccessibleInterface *first = tabs->child(0);
        QCOMPARE(first->role(), QAccessible::PageTab);
        QCOMPARE(first->text(QAccessible::Name), u"Printer Infomation"_s);
        QVERIFY(first->state().selected);
        QVERIFY(!first->state().focused);
        t.control<QTabWidget>(u"SSTab1"_s)->setVisible(true);
        bar->setFocus();
        QTRY_VERIFY(first->state().focused);
        QVERIFY(!tabs->child(1)->state().focused);
        QCOMPARE(tabs->focusChild(), first);
    }

    // To a screen reader each switch button names its byte and switch and is described by the
    // meaning shown for it: after a read of SW2 = 36 from a KV-4100, and after a switch changed by
    // a click or by the accessibility action, which behaves as a click: the meanings are
    // refreshed, the selected button stands out and the change is unwritten.
    void switchNamesAndMeanings_data()
    {
        QTest::addColumn<QString>("action"); // empty: a click
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("sw2"); // afterwards
        // Switches 1 and 2 decide the print density together.
        QTest::newRow("click on SW2 switch 1 OFF: both density meanings")
            << QString() << u"optSW2OFF_0"_s << 0x25;
        QTest::newRow("toggle on SW2 switch 3 ON")
            << QAccessibleActionInterface::toggleAction() << u"optSW2ON_2"_s << 0x20;
        QTest::newRow("press on SW3 switch 1 OFF")
            << QAccessibleActionInterface::pressAction() << u"optSW3OFF_0"_s << 0x24;
    }

    void switchNamesAndMeanings()
    {
        QFETCH(QString, action);
        QFETCH(QString, button);
        QFETCH(int, sw2);
        TestWindow t;
        PrinterDisplay &view = displayOf(t.window);
        view.settings().printerInfo[0] = u"KV-4100"_s;
        view.ShowSW2Value(0x24);
        view.ShowSW3Value(0x00);
        const auto heard = [&t] {
            QStringList said;
            for (int i = 0; i < 8; ++i) {
                for (const QString &state : {u"ON"_s, u"OFF"_s}) {
                    const QAccessibleInterface *pair = QAccessible::queryAccessibleInterface(
                        t.control<QRadioButton>(u"optSW2%1_%2"_s.arg(state).arg(i)));
                    said.append(pair->text(QAccessible::Name) + u": "_s +
                                pair->text(QAccessible::Description));
                }
            }
            return said;
        };
        // Every button of a switch tells the meaning the window's table gives the byte shown.
        const auto expected = [](int value) {
            QStringList said;
            for (int i = 0; i < 8; ++i) {
                const QString meaning =
                    SwitchMeanings::meaning(SwitchByte::SW2, u"KV-4100"_s, i, value)->text;
                for (const QString &state : {u"ON"_s, u"OFF"_s})
                    said.append(u"SW2 switch %1 %2: %3"_s.arg(i + 1).arg(state, meaning));
            }
            return said;
        };
        QCOMPARE(heard(), expected(0x24));
        QCOMPARE(heard().first(), u"SW2 switch 1 ON: Print Density = LIGHT"_s);
        // The meaning label of SW2's switch, or SW3's one meaning.
        const QString sw = button.mid(3, 3);
        auto *meaning = t.control<QLabel>(
            u"lbl%1Function_%2"_s.arg(sw).arg(sw == u"SW3" ? 0 : button.back().digitValue()));
        const QString before = meaning->text();

        auto *target = t.control<QRadioButton>(button);
        if (action.isEmpty())
            target->click();
        else
            QAccessible::queryAccessibleInterface(target)->actionInterface()->doAction(action);
        QTRY_VERIFY(target->isChecked());
        QTRY_VERIFY(view.dataChanged());
        QVERIFY(meaning->text() != before);
        QCOMPARE(target->font().bold(), true);
        QCOMPARE(heard(), expected(sw2));
    }

    // The window lies inside the screen's available area, at its design size where that holds
    // it, and Tab reaches every control, each then inside the part of the window shown. The suite
    // runs this again on a screen that cannot hold the window: 1280x800 at a scale factor of 2.
    void smallScreen()
    {
        TestWindow t;
        // As after a communication test with a KV-4100, on its first switch page.
        auto *tabs = t.control<QTabWidget>(u"SSTab1"_s);
        tabs->setVisible(true);
        tabs->setCurrentIndex(1);
        t.control<QWidget>(u"frameSW2m"_s)->setVisible(true);
        for (const QString &button : {u"cmdCommunicate"_s, u"cmd0"_s, u"cmd1"_s, u"cmd2"_s})
            t.control<QPushButton>(button)->setEnabled(true);
        t.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&t.window));
        const QRect available = t.window.screen()->availableGeometry();
        const QSize frame = t.window.frameGeometry().size() - t.window.size();
        QVERIFY(available.contains(t.window.frameGeometry()));
        QCOMPARE(t.window.size(), QSize(756, 512).boundedTo(available.size() - frame));

        const QWidget *shown = t.window.findChild<QScrollArea *>()->viewport();
        QStringList reached, outside;
        for (QWidget *focused = QApplication::focusWidget();
             focused != nullptr && !reached.contains(focused->objectName());
             focused = QApplication::focusWidget()) {
            reached << focused->objectName() << focused->parentWidget()->objectName();
            // Of the tab bar, its current tab.
            const auto *bar = qobject_cast<QTabBar *>(focused);
            QRect box = bar != nullptr ? bar->tabRect(bar->currentIndex()) : focused->rect();
            box.moveTopLeft(focused->mapTo(shown, box.topLeft()));
            if (!shown->rect().contains(box))
                outside.append(focused->objectName());
            // A picture with the last button in view.
            if (focused->objectName() == u"cmdHELP")
                QVERIFY(t.window.grab().save(screenshotPath(
                    u"small-screen-%1x%2.png"_s.arg(available.width()).arg(available.height()))));
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(outside, QStringList());
        // Every button and list, and one option of every group (the group's frame stands for it).
        for (const QString &name :
             {u"Combo1"_s, u"frameCOM_0"_s, u"frameCOM_1"_s, u"frameCOM_2"_s,
              u"qt_tabwidget_tabbar"_s, u"frameSW2m"_s, u"frameSW2_6"_s, u"cmdCommunicate"_s,
              u"cmd0"_s, u"cmd1"_s, u"cmd2"_s, u"cmdEXIT"_s, u"cmdHELP"_s})
            QVERIFY2(reached.contains(name), qPrintable(name));
    }

    void cleanupTestCase()
    {
        m_rig.reset();
        m_emulator.reset();
    }

private:
    std::unique_ptr<EmulatorThread> m_emulator;
    std::unique_ptr<TestWindow> m_rig;
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"

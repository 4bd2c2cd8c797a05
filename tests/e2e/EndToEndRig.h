#pragma once

// What the end-to-end tests share: the commands a printer receives, and a rig of a printer
// emulator with the real window, over TCP loopback and pseudo-terminals.

#include "EmulatorThread.h"
#include "Screenshot.h"
#include "TestWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

enum class Port { Tcp, Com, Lpt };
inline const char *const kPortName[] = {"TCP", "COM", "LPT"}; // by Port

inline const QString kGreeting =
    u"Welcome to NORVANTA world.\r\n\r\nCommunication test finished."_s;
inline const QString kWrongMaker = u"Please connected NORVANTA POS printer before test."_s;
inline const QString kPowerCycle = u"After writed software switch, please re-power on printer!!"_s;
inline const QString kNotSent = u"Could not send data now, please check lan printer status... 9"_s;
inline const QString kWriteFailed = u"The settings could not be written to the printer.\r\n"
                                    "Please check the printer and its cable, then write again."_s;
inline const PrinterSettings kKv = PrinterSettings::forModel(u"KV-4100"_s);
inline const PrinterSettings kZephyr = PrinterSettings::forModel(u"ZEPHYR-550"_s);

// The communication test's commands before the switch queries: the maker, four printer-information
// queries, then the four language queries.
inline const QByteArray kMakerQuery = QByteArray::fromHex("1D4942");
inline const QByteArray kLanguageQueries = QByteArray::fromHex("1D673424 1D4945 1D673421 1D673422");
inline const QByteArray kIdentityQueries =
    kMakerQuery + QByteArray::fromHex("1D4943 1D4941 1D673410 1D673416") + kLanguageQueries;
inline const QByteArray kUnlock = QByteArray::fromHex("1D67 756E6C 00");
inline const QByteArray kLock = QByteArray::fromHex("1D67 6C636B 00");

// SW1 to SW3 are the printer's settings 0x27 to 0x29.
inline QByteArray switchQuery(int sw)
{
    return QByteArray::fromHex("1D6734") + static_cast<char>(0x26 + sw) + '\0';
}
inline QByteArray settingWrite(int setting, const QByteArray &value)
{
    return QByteArray::fromHex("1D6738") + static_cast<char>(setting) + value;
}
inline QByteArray switchWrite(int sw, int value)
{
    return settingWrite(0x26 + sw, QByteArray::number(value).leftJustified(4, '\0'));
}
// SW1 to SW3 of the emulated printer, by number.
inline constexpr int PrinterSettings::*kSwitch[] = {nullptr, &PrinterSettings::sw1,
                                                    &PrinterSettings::sw2, &PrinterSettings::sw3};

// What the eight information labels show for a printer that holds `held`: printer information,
// then language information.
inline QStringList informationOf(const PrinterSettings &held)
{
    return {held.model,
            held.firmware,
            QString::number(held.hoursPowered),
            QString::number(held.cutPaperCount),
            held.languageModel,
            held.fontRom,
            QString::number(held.codePage),
            QString::number(held.charset)};
}

// The log of a communication test that read the printer `held`, with the switch bytes `read`
// and without the information labels `unread` (by their index in informationOf()).
inline QString expectedLog(const PrinterSettings &held, const QList<int> &read,
                           const QList<int> &unread = {})
{
    QString log = u"getMakerInfo-->"_s + held.maker + u"\r\n"_s;
    const QStringList info = informationOf(held);
    for (int i = 0; i < 8; ++i)
        if (!unread.contains(i))
            log += (i < 4 ? u"getPrinterInfo%1-->"_s.arg(i + 1)
                          : u"getLanguageInfo%1-->"_s.arg(i - 3)) +
                   info.at(i) + u"\r\n"_s;
    for (const int sw : read)
        log += u"getSW%1-->%2\r\n"_s.arg(sw).arg(held.*kSwitch[sw]);
    return log;
}

// A printer emulator and a window whose COM3 and LPT1 lead to the emulator's pseudo-terminal.
struct Rig
{
    explicit Rig(const PrinterSettings &printer, const Faults &faults = Faults())
        : emulator(EmulatorOptions{printer, faults, QString()})
    {
        tcpPort = emulator.listenTcp();
        ptyPath = emulator.openPty();
        auto resolver = std::make_unique<FixedDeviceResolver>();
        resolver->serialPorts.insert(3, ptyPath);
        resolver->lptDevice = ptyPath;
        ui = std::make_unique<TestWindow>(std::move(resolver));
    }

    MainWindow &window() { return ui->window; }
    template<typename C> C *control(QAnyStringView name) { return ui->control<C>(name.toString()); }
    void click(QAnyStringView button) { control<QAbstractButton>(button)->click(); }
    QTabWidget *tabs() { return control<QTabWidget>("SSTab1"); }
    void chooseTab(int tab) { tabs()->setCurrentIndex(tab); }
    bool tabsShown() { return tabs()->isVisibleTo(&window()); }
    QStringList shown() { return ui->prompter.texts(); }
    void clear()
    {
        emulator.clearReceived();
        ui->prompter.shown.clear();
    }
    // Clicks `button` with nothing received or shown before it.
    void press(QAnyStringView button)
    {
        clear();
        click(button);
    }
    void choose(QAnyStringView comboName, QAnyStringView entry)
    {
        auto *combo = control<QComboBox>(comboName);
        combo->setCurrentIndex(combo->findText(entry.toString()));
        Q_EMIT combo->activated(combo->currentIndex());
    }

    // Runs the communication test over `port`, after a click on the baud rate `rate` if given.
    void communicate(Port port, const char *rate = nullptr)
    {
        choose("Combo1", port == Port::Tcp ? "TCP/IP" : port == Port::Lpt ? "LPT1" : "COM3");
        control<QLineEdit>("tcpIP")->setText(u"127.0.0.1"_s);
        control<QLineEdit>("tcpListenPort")->setText(QString::number(tcpPort));
        if (rate != nullptr)
            click(rate);
        click("cmdCommunicate");
    }

    // The OFF or ON button of switch i + 1 of SW`sw`; OFF is a set bit.
    QAbstractButton *option(int sw, bool off, int i)
    {
        return control<QAbstractButton>(u"optSW%1%2_%3"_s.arg(sw).arg(off ? u"OFF" : u"ON").arg(i));
    }
    int shownValue(int sw)
    {
        int value = 0;
        for (int i = 0; i < 8; ++i)
            value |= option(sw, true, i)->isChecked() << i;
        return value;
    }
    // The switch byte whose frame is visible: 0 for none, -1 for more than one.
    int shownFrame()
    {
        int shown = 0;
        for (const int sw : {1, 2, 3})
            if (control<QWidget>(u"frameSW%1m"_s.arg(sw))->isVisibleTo(&window()))
                shown = shown == 0 ? sw : -1;
        return shown;
    }
    // The buttons of the bottom row that are enabled, and the language lists if shown.
    QStringList usable()
    {
        QStringList names;
        for (const char *button : {"cmdCommunicate", "cmd0", "cmd1", "cmd2"})
            if (control<QWidget>(button)->isEnabled())
                names << QLatin1String(button);
        if (control<QWidget>("frameLanguageInfo")->isVisibleTo(&window()))
            names << u"frameLanguageInfo"_s;
        return names;
    }
    // The eight information labels: printer information, then language information.
    QStringList informationLabels()
    {
        QStringList labels;
        for (const char16_t *box : {u"KV", u"LANG"})
            for (int i = 0; i < 4; ++i)
                labels << control<QLabel>(u"lbl%1_INFO_%2"_s.arg(box).arg(i))->text();
        return labels;
    }

    EmulatorThread emulator;
    quint16 tcpPort = 0;
    QString ptyPath;
    std::unique_ptr<TestWindow> ui;
};

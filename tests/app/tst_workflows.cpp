// The user workflows against a stand-in for the window, the link, the command set and the message
// boxes, all writing one journal: which queries and writes run in which order for each model,
// page and port, what the user is told, and when the program ends.

#include "CommandSet.h"
#include "LinkControl.h"
#include "Prompter.h"
#include "SettingsModel.h"
#include "WorkflowView.h"
#include "Workflows.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kCheckPort = u"Please check the port setting of your printer."_s;
const QString kPowerCycle = u"After writed software switch, please re-power on printer!!"_s;

// The printer and the window as the workflows see them. Queries and writes succeed unless named
// in `failing`; every call is written to `journal`.
class Desk : public WorkflowView, public LinkControl, public CommandSet, public Prompter
{
public:
    // The settings model as the fields below make it.
    SettingsModel &settings()
    {
        m_settings.printerInfo[0] = model;
        m_settings.switchByte(SwitchByte::SW2) = zephyrSoftwareSwitches ? 0x00 : 0x01;
        m_settings.switchToWrite(SwitchByte::SW1) = sw1ToWrite;
        return m_settings;
    }

    // WorkflowView
    void setButtonEnabled(WindowButton button, bool on) override { enabled[int(button)] = on; }
    int currentTab() const override { return tab; }
    void setCurrentTab(int newTab) override
    {
        const int previous = std::exchange(tab, newTab);
        journal << u"tab %1"_s.arg(newTab);
        if (workflows)
            workflows->tabChanged(previous);
    }
    QString tabCaption(int index) const override { return captions.value(index); }
    void setTabCaption(int index, const QString &caption) override { captions[index] = caption; }
    void setTabsVisible(bool visible) override { tabsVisible = visible; }
    void setLanguageFrameVisible(bool visible) override { languageFrame = visible; }
    void setSwitchFrameVisible(SwitchByte sw, bool visible) override
    {
        switchFrames[int(sw)] = visible;
    }
    bool isSwitchOn(SwitchByte sw, int index) const override
    {
        return sw == SwitchByte::SW2 && index == 0 && zephyrSoftwareSwitches;
    }
    void disablePortChoice() override { portChoiceEnabled = false; }
    bool isSerialFrameVisible() const override { return port == PortKind::Serial; }
    bool isTcpFrameVisible() const override { return port == PortKind::Tcp; }
    void disableControlsWithPrefix(const QString &prefix) override { disabled << prefix; }
    void ShowCodePage() override { journal << u"ShowCodePage"_s; }
    void ShowInterChars() override { journal << u"ShowInterChars"_s; }
    bool dataChanged() const override { return changed; }
    void setDataChanged(bool on) override { changed = on; }
    void exitProgram() override { journal << u"exit"_s; }

    // LinkControl
    bool OpenPort(bool open) override { return call(open ? u"open"_s : u"close"_s); }
    PortKind portKind() const override { return port; }
    SerialSettings serialSettings() const override { return serial; }

    // CommandSet
    bool getMakerInfo() override { return call(u"getMakerInfo"_s); }
    bool getPrinterInfo1() override { return call(u"getPrinterInfo1"_s); }
    bool getPrinterInfo2() override { return call(u"getPrinterInfo2"_s); }
    bool getPrinterInfo3() override { return call(u"getPrinterInfo3"_s); }
    bool getPrinterInfo4() override { return call(u"getPrinterInfo4"_s); }
    bool getLanguageInfo1() override { return call(u"getLanguageInfo1"_s); }
    bool getLanguageInfo2() override { return call(u"getLanguageInfo2"_s); }
    bool getLanguageInfo3() override { return call(u"getLanguageInfo3"_s); }
    bool getLanguageInfo4() override { return call(u"getLanguageInfo4"_s); }
    bool getSW1() override { return call(u"getSW1"_s); }
    bool getSW2() override { return call(u"getSW2"_s); }
    bool getSW3() override { return call(u"getSW3"_s); }
    WriteResult setSW1() override { return write(u"setSW1"_s); }
    WriteResult setSW2() override { return write(u"setSW2"_s); }
    WriteResult setSW3() override { return write(u"setSW3"_s); }
    WriteResult setLanguage() override { return write(u"setLanguage"_s); }

    // Prompter
    void inform(const QString &text, const QString &title) override
    {
        journal << title + u": "_s + text;
    }
    bool ask(const QString &text, const QString &title) override
    {
        journal << title + u"? "_s + text;
        return answerYes;
    }

    bool isEnabled(WindowButton button) const { return enabled[int(button)]; }

    // The printer and the window before the workflow runs.
    QString model = u"KV-4100"_s;
    bool zephyrSoftwareSwitches = true; // SW2 switch 1 ON
    quint8 sw1ToWrite = 0x01;           // switches 1 OFF and 2 ON: 115200 baud on a ZEPHYR-550
    PortKind port = PortKind::Serial;
    SerialSettings serial;
    QSet<QString> failing;
    WriteResult writeResult = WriteResult::Written;
    bool answerYes = true;
    int tab = 0;
    bool changed = false;
    QMap<int, QString> captions{{1, u"Software_switch 2"_s}, {2, u"Software_switch 3"_s}};
    Workflows *workflows = nullptr;

    // What the workflows did.
    QStringList journal;
    std::array<bool, 4> enabled{true, false, false, false};
    bool tabsVisible = false;
    bool languageFrame = false;
    std::array<bool, 3> switchFrames{};
    bool portChoiceEnabled = true;
    QStringList disabled;

private:
    SettingsModel m_settings;
    bool call(const QString &name)
    {
        journal << name;
        return !failing.contains(name);
    }
    WriteResult write(const QString &name)
    {
        journal << name;
        return writeResult;
    }
};

// Queries of a communication test up to the switch bytes.
const QStringList kIdentity{u"open"_s,
                            u"getMakerInfo"_s,
                            u"getPrinterInfo1"_s,
                            u"getPrinterInfo2"_s,
                            u"getPrinterInfo3"_s,
                            u"getPrinterInfo4"_s,
                            u"getLanguageInfo1"_s,
                            u"getLanguageInfo2"_s,
                            u"getLanguageInfo3"_s,
                            u"getLanguageInfo4"_s,
                            u"ShowCodePage"_s,
                            u"ShowInterChars"_s};

} // namespace

struct CommunicationRow
{
    QString model = u"KV-4100"_s;
    bool zephyrSoftwareSwitches = true;
    PortKind port = PortKind::Serial;
    QSet<QString> failing{};
    QStringList journal{};
    bool passed = true;
    QStringList captions{}; // of tabs 1 and 2 afterwards
    QStringList disabled{}; // name prefixes of the controls disabled
};
Q_DECLARE_METATYPE(CommunicationRow)

struct WriteRow
{
    QString model = u"KV-4100"_s;
    PortKind port = PortKind::Serial;
    int tab = 1;
    bool changed = true;
    quint8 sw1 = 0x01; // to write: 115200 baud on a ZEPHYR-550
    BaudRate portRate = BaudRate::Baud115200;
    WriteResult result = WriteResult::Written;
    QStringList journal{};
    bool changedAfter = false;
};
Q_DECLARE_METATYPE(WriteRow)

struct ReadRow
{
    QString model = u"KV-4100"_s;
    int tab = 1;
    QSet<QString> failing{};
    QStringList journal{};
};
Q_DECLARE_METATYPE(ReadRow)

struct TabRow
{
    QString model = u"KV-4100"_s;
    QStringList captions = {u"Software_switch 2"_s, u"Software_switch 3"_s}; // of tabs 1 and 2
    int from = 1;
    int to = 4;
    bool changed = true;
    bool answerYes = true;
    QSet<QString> failing{};
    QStringList journal{};
    int tabAfter = 4;
    bool changedAfter = false;
};
Q_DECLARE_METATYPE(TabRow)

class TestWorkflows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void communicationTest_data();
    void communicationTest();
    void writeSettings_data();
    void writeSettings();
    void readSettings_data();
    void readSettings();
    void tabChange_data();
    void tabChange();
    void tabView_data();
    void tabView();
};

void TestWorkflows::communicationTest_data()
{
    QTest::addColumn<CommunicationRow>("row");

    const QStringList kv = QStringList(kIdentity) << u"getSW2"_s << u"getSW3"_s;
    const QString title = u"KV_SW_Utility: "_s;
    // (Each known model's switch bytes in their order, its captions and the frozen port options
    // the end-to-end tests see over every kind of port.)
    QTest::newRow("another model: no switch byte, captions kept")
        << CommunicationRow{.model = u"KV-4100 "_s,
                            .journal = kIdentity,
                            .captions = {u"Software_switch 2"_s, u"Software_switch 3"_s},
                            .disabled = {u"com_"_s}};
    QTest::newRow("switch bytes unreadable: the test passes all the same")
        << CommunicationRow{.failing = {u"getSW2"_s, u"getSW3"_s},
                            .journal = kv,
                            .captions = {u"Software_switch 2"_s, u"Software_switch 3"_s},
                            .disabled = {u"com_"_s}};
    QTest::newRow("language 2 to 4 unanswered: the test goes on") << CommunicationRow{
        .failing = {u"getLanguageInfo2"_s, u"getLanguageInfo3"_s, u"getLanguageInfo4"_s},
        .journal = kv,
        .captions = {u"Software_switch 2"_s, u"Software_switch 3"_s},
        .disabled = {u"com_"_s}};
    QTest::newRow("port cannot be opened: Communication test error!!") << CommunicationRow{
        .failing = {u"open"_s},
        .journal = {u"open"_s, title + u"Communication test error!!\r\n"_s + kCheckPort},
        .passed = false};
    QTest::newRow("another maker: no further query") << CommunicationRow{
        .failing = {u"getMakerInfo"_s},
        .journal = {u"open"_s, u"getMakerInfo"_s,
                    title + u"Please connected NORVANTA POS printer before test."_s},
        .passed = false};
    QTest::newRow("printer information 3 unanswered: blank line before the advice")
        << CommunicationRow{.failing = {u"getPrinterInfo3"_s},
                            .journal = QStringList(kIdentity.mid(0, 5))
                                       << title + u"Read printer information3 error!!\r\n\r\n"_s +
                                              kCheckPort,
                            .passed = false};
    QTest::newRow("language information 1 unanswered: no blank line") << CommunicationRow{
        .failing = {u"getLanguageInfo1"_s},
        .journal = QStringList(kIdentity.mid(0, 7))
                   << title + u"Read language information1 error!!\r\n"_s + kCheckPort,
        .passed = false};
}

void TestWorkflows::communicationTest()
{
    QFETCH(CommunicationRow, row);

    Desk desk;
    desk.model = row.model;
    desk.zephyrSoftwareSwitches = row.zephyrSoftwareSwitches;
    desk.port = row.port;
    desk.failing = row.failing;
    Workflows workflows(desk, desk, desk, desk, desk.settings());
    workflows.communicationTest();

    QCOMPARE(desk.journal, row.journal);
    // The window opens up and freezes the port choice only after a test that passed; the test can
    // always be run again.
    QCOMPARE(desk.tabsVisible, row.passed);
    QCOMPARE(desk.languageFrame, row.passed);
    QCOMPARE(desk.portChoiceEnabled, !row.passed);
    QCOMPARE(desk.isEnabled(WindowButton::SelfTest), row.passed);
    QVERIFY(desk.isEnabled(WindowButton::Communicate));
    if (row.passed)
        QCOMPARE((QStringList{desk.captions[1], desk.captions[2]}), row.captions);
    QCOMPARE(desk.disabled, row.disabled);
}

void TestWorkflows::writeSettings_data()
{
    QTest::addColumn<WriteRow>("row");

    const QString power = u"KV_SW_Utility: "_s + kPowerCycle;
    // (A KV-4100's writes over COM and TCP, and a ZEPHYR-550's that keeps or changes the baud
    // rate, the end-to-end tests make on the emulator.)
    QTest::newRow("nothing changed: nothing sent")
        << WriteRow{.changed = false, .journal = {u"KV_SW_Utility: There is no data changed..."_s}};
    QTest::newRow("language page over LPT: runs on") << WriteRow{
        .port = PortKind::PrinterDevice, .tab = 3, .journal = {u"setLanguage"_s, power}};
    QTest::newRow("ZEPHYR-550 page 1, port at 9600 and 9600 chosen: runs on")
        << WriteRow{.model = u"ZEPHYR-550"_s,
                    .sw1 = 0x02,
                    .portRate = BaudRate::Baud9600,
                    .journal = {u"setSW1"_s, power}};
    QTest::newRow("ZEPHYR-550 page 2 over COM: SW2, no baud-rate test") << WriteRow{
        .model = u"ZEPHYR-550"_s, .tab = 2, .sw1 = 0x02, .journal = {u"setSW2"_s, power}};
    QTest::newRow("ZEPHYR-550 page 1 over LPT, new baud rate: runs on")
        << WriteRow{.model = u"ZEPHYR-550"_s,
                    .port = PortKind::PrinterDevice,
                    .sw1 = 0x02,
                    .journal = {u"setSW1"_s, power}};
    QTest::newRow("another model page 1 over TCP: nothing sent, still ends")
        << WriteRow{.model = u"KV-4100 "_s, .port = PortKind::Tcp, .journal = {power, u"exit"_s}};
    QTest::newRow("write not delivered: told so, change kept, runs on") << WriteRow{
        .port = PortKind::Tcp,
        .result = WriteResult::Failed,
        .journal = {u"setSW2"_s, u"KV_SW_Utility: The settings could not be written to the "
                                 "printer.\r\nPlease check the printer and its cable, then write "
                                 "again."_s},
        .changedAfter = true};
    QTest::newRow("switch byte never read: told so, nothing sent, change kept") << WriteRow{
        .port = PortKind::Tcp,
        .result = WriteResult::NotRead,
        .journal = {u"setSW2"_s, u"KV_SW_Utility: The switch settings of this page could not be "
                                 "read from the printer.\r\nNothing was written to the printer."_s},
        .changedAfter = true};
    QTest::newRow("language write refused: change kept, nothing more said")
        << WriteRow{.tab = 3,
                    .result = WriteResult::Refused,
                    .journal = {u"setLanguage"_s},
                    .changedAfter = true};
    QTest::newRow("log page: nothing") << WriteRow{.tab = 4};
}

void TestWorkflows::writeSettings()
{
    QFETCH(WriteRow, row);

    Desk desk;
    desk.model = row.model;
    desk.port = row.port;
    desk.tab = row.tab;
    desk.changed = row.changed;
    desk.sw1ToWrite = row.sw1;
    desk.serial.baudRate = row.portRate;
    desk.writeResult = row.result;
    desk.enabled[int(WindowButton::Write)] = true;
    Workflows workflows(desk, desk, desk, desk, desk.settings());
    workflows.writeSettings();

    QCOMPARE(desk.journal, row.journal);
    QCOMPARE(desk.changed, row.changedAfter);
    // The button is back unless the program has ended.
    QCOMPARE(desk.isEnabled(WindowButton::Write), !desk.journal.contains(u"exit"_s));
}

void TestWorkflows::readSettings_data()
{
    QTest::addColumn<ReadRow>("row");

    const QStringList language{u"getLanguageInfo1"_s, u"getLanguageInfo2"_s, u"getLanguageInfo3"_s,
                               u"getLanguageInfo4"_s, u"ShowCodePage"_s,     u"ShowInterChars"_s};
    QTest::newRow("ZEPHYR-550 page 2: SW2")
        << ReadRow{.model = u"ZEPHYR-550"_s, .tab = 2, .journal = {u"getSW2"_s}};
    // A page whose byte could not be read still shows what it showed before: the user is told.
    QTest::newRow("KV-4100 page 2, SW3 unanswered: told so")
        << ReadRow{.tab = 2,
                   .failing = {u"getSW3"_s},
                   .journal = {u"getSW3"_s,
                               u"KV_SW_Utility: Read software switch error!!\r\n"_s + kCheckPort}};
    QTest::newRow("model in lower case, page 1: nothing") << ReadRow{.model = u"kv-4100"_s};
    QTest::newRow("another model, language page: read all the same")
        << ReadRow{.model = u" "_s, .tab = 3, .journal = language};
    QTest::newRow("language model unanswered: told so, nothing more read") << ReadRow{
        .tab = 3,
        .failing = {u"getLanguageInfo1"_s},
        .journal = {u"getLanguageInfo1"_s,
                    u"KV_SW_Utility: Read language information1 error!!\r\n"_s + kCheckPort}};
    QTest::newRow("code page unanswered: the rest still read")
        << ReadRow{.tab = 3, .failing = {u"getLanguageInfo3"_s}, .journal = language};
    QTest::newRow("printer information page: nothing") << ReadRow{.tab = 0};
}

void TestWorkflows::readSettings()
{
    QFETCH(ReadRow, row);

    Desk desk;
    desk.model = row.model;
    desk.tab = row.tab;
    desk.failing = row.failing;
    desk.changed = true;
    Workflows workflows(desk, desk, desk, desk, desk.settings());
    workflows.readSettings();

    QCOMPARE(desk.journal, row.journal);
    // What was read, or not read, counts as unchanged.
    QVERIFY(!desk.changed);
    QVERIFY(desk.isEnabled(WindowButton::Read));
}

void TestWorkflows::tabChange_data()
{
    QTest::addColumn<TabRow>("row");

    const QString title = u"Switch Change confirm? "_s;
    QTest::newRow("no change: no question") << TabRow{.changed = false, .changedAfter = false};
    QTest::newRow("change on KV-4100 page 1, Yes: SW2 read back, new page stays")
        << TabRow{.journal = {title + u"Are you sure to ignore <SW2> settings?"_s, u"getSW2"_s}};
    QTest::newRow("change on ZEPHYR-550 page 2, Yes: SW2 named after the caption, read back")
        << TabRow{.model = u"ZEPHYR-550"_s,
                  .captions = {u"Software_switch 1"_s, u"Software_switch 2"_s},
                  .from = 2,
                  .to = 0,
                  .journal = {title + u"Are you sure to ignore <SW2> settings?"_s, u"getSW2"_s},
                  .tabAfter = 0};
    QTest::newRow("change on KV-4100 page 1, Yes, SW2 unanswered: told so")
        << TabRow{.failing = {u"getSW2"_s},
                  .journal = {title + u"Are you sure to ignore <SW2> settings?"_s, u"getSW2"_s,
                              u"KV_SW_Utility: Read software switch error!!\r\n"_s + kCheckPort}};
    QTest::newRow("change on the language page, No: back on it, asked once") << TabRow{
        .from = 3,
        .to = 1,
        .answerYes = false,
        .journal = {title + u"Are you sure to ignore <Additional Switch> settings?"_s, u"tab 3"_s},
        .tabAfter = 3,
        .changedAfter = true};
    QTest::newRow("leaving the log page: no question")
        << TabRow{.from = 4, .to = 1, .tabAfter = 1, .changedAfter = true};
}

void TestWorkflows::tabChange()
{
    QFETCH(TabRow, row);

    Desk desk;
    desk.model = row.model;
    desk.captions = {{1, row.captions.at(0)}, {2, row.captions.at(1)}};
    desk.changed = row.changed;
    desk.answerYes = row.answerYes;
    desk.failing = row.failing;
    desk.tab = row.from;
    Workflows workflows(desk, desk, desk, desk, desk.settings());
    desk.workflows = &workflows;
    desk.tab = row.to;
    workflows.tabChanged(row.from);

    QCOMPARE(desk.journal, row.journal);
    QCOMPARE(desk.tab, row.tabAfter);
    QCOMPARE(desk.changed, row.changedAfter);
}

void TestWorkflows::tabView_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("zephyrSoftwareSwitches");
    QTest::addColumn<int>("tab");
    // Language frame, switch frame (0: none), then Communicate, Self test, Read and Write enabled.
    QTest::addColumn<QList<int>>("shown");

    const auto row = [](const char *name, const QString &model, bool softwareSwitches, int tab,
                        QList<int> shown) {
        QTest::newRow(name) << model << softwareSwitches << tab << shown;
    };
    const QString kv = u"KV-4100"_s, zephyr = u"ZEPHYR-550"_s;
    row("printer information", kv, true, 0, {1, 0, 1, 1, 0, 0});
    row("KV-4100 page 1: SW2", kv, true, 1, {0, 2, 0, 1, 1, 1});
    row("KV-4100 page 2: SW3", kv, true, 2, {0, 3, 0, 1, 1, 1});
    row("language page", kv, true, 3, {1, 0, 0, 1, 1, 1});
    row("log page: every button off", kv, true, 4, {0, 0, 0, 0, 0, 0});
    row("ZEPHYR-550 page 1: SW1", zephyr, true, 1, {0, 1, 0, 1, 1, 1});
    row("ZEPHYR-550 hardware switches page 1: no frame", zephyr, false, 1, {0, 0, 0, 1, 1, 1});
    row("ZEPHYR-550 page 2: SW2", zephyr, false, 2, {0, 2, 0, 1, 1, 1});
    row("another model page 1: no frame", u"KV-4100X"_s, true, 1, {0, 0, 0, 1, 1, 1});
}

void TestWorkflows::tabView()
{
    QFETCH(QString, model);
    QFETCH(bool, zephyrSoftwareSwitches);
    QFETCH(int, tab);
    QFETCH(QList<int>, shown);

    Desk desk;
    desk.model = model;
    desk.zephyrSoftwareSwitches = zephyrSoftwareSwitches;
    desk.switchFrames = {true, true, true};
    desk.tab = tab;
    Workflows workflows(desk, desk, desk, desk, desk.settings());
    workflows.tabChanged(0);
    int frame = 0;
    for (int sw = 0; sw < 3; ++sw)
        if (desk.switchFrames[std::size_t(sw)])
            frame = frame == 0 ? sw + 1 : -1;
    QList<int> seen{desk.languageFrame, frame};
    for (const bool on : desk.enabled)
        seen << on;
    QCOMPARE(seen, shown);
}

QTEST_GUILESS_MAIN(TestWorkflows)
#include "tst_workflows.moc"

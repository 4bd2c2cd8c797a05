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
        // SW2 switch 1 ON: a ZEPHYR-550 uses its software switches.
        m_settings.switchByte(SwitchByte::SW2) = 0x00;
        // SW1 switch 1 ON and switch 2 OFF: 9600 baud on a ZEPHYR-550, not the port's 115200.
        m_settings.switchToWrite(SwitchByte::SW1) = 0x02;
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
        return sw == SwitchByte::SW2 && index == 0;
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
    SerialSettings serialSettings() const override { return {}; }

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
    PortKind port = PortKind::Serial;
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
    QSet<QString> failing{};
    QStringList journal{};
    bool passed = true;
};
Q_DECLARE_METATYPE(CommunicationRow)

// The user on a page of the window reads it, writes it, or leaves it for another tab.
enum class Action { Read, Write, Leave };

struct PageRow
{
    Action action = Action::Write;
    QString model = u"KV-4100"_s;
    PortKind port = PortKind::Serial;
    int tab = 1;
    bool changed = true;
    QSet<QString> failing{};
    WriteResult result = WriteResult::Written;
    bool answerYes = true;
    // On leaving: the captions of tabs 1 and 2, the tab chosen, the tab shown afterwards.
    QStringList captions = {u"Software_switch 2"_s, u"Software_switch 3"_s};
    int to = 4;
    int tabAfter = 4;
    QStringList journal{};
    bool changedAfter = false;
};
Q_DECLARE_METATYPE(PageRow)

class TestWorkflows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void communicationTest_data();
    void communicationTest();
    void onPage_data();
    void onPage();
    void tabView_data();
    void tabView();
};

void TestWorkflows::communicationTest_data()
{
    QTest::addColumn<CommunicationRow>("row");

    const QString title = u"KV_SW_Utility: "_s;
    // (Each known model's switch bytes in their order, its captions, the frozen port options, the
    // printer of another maker, a printer gone after printer information 2 and unreadable switch
    // bytes: the end-to-end tests see them on the emulator.)
    QTest::newRow("another model: no switch byte, captions kept")
        << CommunicationRow{.model = u"KV-4100 "_s, .journal = kIdentity};
    QTest::newRow("language 2 to 4 unanswered: the test goes on") << CommunicationRow{
        .failing = {u"getLanguageInfo2"_s, u"getLanguageInfo3"_s, u"getLanguageInfo4"_s},
        .journal = QStringList(kIdentity) << u"getSW2"_s << u"getSW3"_s};
    QTest::newRow("port cannot be opened: Communication test error!!") << CommunicationRow{
        .failing = {u"open"_s},
        .journal = {u"open"_s, title + u"Communication test error!!\r\n"_s + kCheckPort},
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
    QCOMPARE((QStringList{desk.captions[1], desk.captions[2]}),
             (QStringList{u"Software_switch 2"_s, u"Software_switch 3"_s}));
    QCOMPARE(desk.disabled, row.passed ? QStringList{u"com_"_s} : QStringList());
}

void TestWorkflows::onPage_data()
{
    QTest::addColumn<PageRow>("row");

    const QString power = u"KV_SW_Utility: "_s + kPowerCycle;
    const QString readFailed = u"KV_SW_Utility: Read software switch error!!\r\n"_s + kCheckPort;
    const QString ignore = u"Switch Change confirm? Are you sure to ignore <%1> settings?"_s;
    // (A KV-4100's writes over every port, a ZEPHYR-550's that keeps or changes the baud rate, a
    // write that does not reach the printer or whose byte was never read, reading the language
    // page, and Yes and No to the question on leaving a page: the end-to-end tests make them on
    // the emulator.)
    QTest::newRow("write, nothing changed: nothing sent")
        << PageRow{.changed = false, .journal = {u"KV_SW_Utility: There is no data changed..."_s}};
    QTest::newRow("write ZEPHYR-550 page 2 over COM: SW2, no baud-rate test")
        << PageRow{.model = u"ZEPHYR-550"_s, .tab = 2, .journal = {u"setSW2"_s, power}};
    QTest::newRow("write ZEPHYR-550 page 1 over LPT, new baud rate: runs on") << PageRow{
        .model = u"ZEPHYR-550"_s, .port = PortKind::PrinterDevice, .journal = {u"setSW1"_s, power}};
    QTest::newRow("write another model page 1 over TCP: nothing sent, still ends")
        << PageRow{.model = u"KV-4100 "_s, .port = PortKind::Tcp, .journal = {power, u"exit"_s}};
    QTest::newRow("write language refused: change kept, nothing more said")
        << PageRow{.tab = 3,
                   .result = WriteResult::Refused,
                   .journal = {u"setLanguage"_s},
                   .changedAfter = true};
    QTest::newRow("write log page: nothing") << PageRow{.tab = 4};
    // A page whose byte could not be read still shows what it showed before: the user is told.
    QTest::newRow("read KV-4100 page 2, SW3 unanswered: told so")
        << PageRow{.action = Action::Read,
                   .tab = 2,
                   .failing = {u"getSW3"_s},
                   .journal = {u"getSW3"_s, readFailed}};
    QTest::newRow("read model in lower case, page 1: nothing")
        << PageRow{.action = Action::Read, .model = u"kv-4100"_s};
    QTest::newRow("read another model, language page: read all the same")
        << PageRow{.action = Action::Read,
                   .model = u" "_s,
                   .tab = 3,
                   .journal = {u"getLanguageInfo1"_s, u"getLanguageInfo2"_s, u"getLanguageInfo3"_s,
                               u"getLanguageInfo4"_s, u"ShowCodePage"_s, u"ShowInterChars"_s}};
    QTest::newRow("read printer information page: nothing")
        << PageRow{.action = Action::Read, .tab = 0};
    QTest::newRow("leave, no change: no question")
        << PageRow{.action = Action::Leave, .changed = false};
    QTest::newRow("leave ZEPHYR-550 page 2 changed, Yes: SW2 named after the caption, read back")
        << PageRow{.action = Action::Leave,
                   .model = u"ZEPHYR-550"_s,
                   .tab = 2,
                   .captions = {u"Software_switch 1"_s, u"Software_switch 2"_s},
                   .to = 0,
                   .tabAfter = 0,
                   .journal = {ignore.arg(u"SW2"), u"getSW2"_s}};
    QTest::newRow("leave the language page changed, No: back on it, asked once")
        << PageRow{.action = Action::Leave,
                   .tab = 3,
                   .answerYes = false,
                   .to = 1,
                   .tabAfter = 3,
                   .journal = {ignore.arg(u"Additional Switch"), u"tab 3"_s},
                   .changedAfter = true};
    QTest::newRow("leave the log page: no question")
        << PageRow{.action = Action::Leave, .tab = 4, .to = 1, .tabAfter = 1, .changedAfter = true};
}

void TestWorkflows::onPage()
{
    QFETCH(PageRow, row);

    Desk desk;
    desk.model = row.model;
    desk.port = row.port;
    desk.tab = row.tab;
    desk.changed = row.changed;
    desk.failing = row.failing;
    desk.writeResult = row.result;
    desk.answerYes = row.answerYes;
    desk.captions = {{1, row.captions.at(0)}, {2, row.captions.at(1)}};
    desk.enabled.fill(true);
    Workflows workflows(desk, desk, desk, desk, desk.settings());
    desk.workflows = &workflows;
    switch (row.action) {
    case Action::Read:
        workflows.readSettings();
        break;
    case Action::Write:
        workflows.writeSettings();
        break;
    case Action::Leave:
        desk.tab = row.to;
        workflows.tabChanged(row.tab);
        break;
    }

    QCOMPARE(desk.journal, row.journal);
    QCOMPARE(desk.tab, row.action == Action::Leave ? row.tabAfter : row.tab);
    // What was read, or not read, counts as unchanged.
    QCOMPARE(desk.changed, row.changedAfter);
    // The button is back unless the program has ended.
    if (row.action != Action::Leave)
        QCOMPARE(
            desk.isEnabled(row.action == Action::Read ? WindowButton::Read : WindowButton::Write),
            !desk.journal.contains(u"exit"_s));
}

void TestWorkflows::tabView_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("tab");
    // Language frame, switch frame (0: none), then Communicate, Self test, Read and Write enabled.
    QTest::addColumn<QList<int>>("shown");

    // (The switch frames of each known model's pages: the end-to-end tests see them.)
    const QString kv = u"KV-4100"_s;
    QTest::newRow("printer information") << kv << 0 << QList{1, 0, 1, 1, 0, 0};
    QTest::newRow("KV-4100 page 2: SW3") << kv << 2 << QList{0, 3, 0, 1, 1, 1};
    QTest::newRow("language page") << kv << 3 << QList{1, 0, 0, 1, 1, 1};
    QTest::newRow("log page: every button off") << kv << 4 << QList{0, 0, 0, 0, 0, 0};
    QTest::newRow("another model page 1: no frame")
        << u"KV-4100X"_s << 1 << QList{0, 0, 0, 1, 1, 1};
}

void TestWorkflows::tabView()
{
    QFETCH(QString, model);
    QFETCH(int, tab);
    QFETCH(QList<int>, shown);

    Desk desk;
    desk.model = model;
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

#include "MainWindow.h"

#include "AccessibleTabBar.h"
#include "DesktopShell.h"
#include "HelpLocator.h"
#include "HelpViewer.h"
#include "LanguagePanel.h"
#include "LogHistory.h"
#include "PrinterCommands.h"
#include "Prompter.h"
#include "ReadableColours.h"
#include "ScreenFit.h"
#include "SwitchPanel.h"
#include "Workflows.h"
#include "ui_MainWindow.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QIcon>
#include <QShortcut>

namespace {

constexpr int kInfoRows = 4;

QString memberName(const QString &arrayName, int index)
{
    return arrayName + QLatin1Char('_') + QString::number(index);
}

// The members first ... first + N - 1 of a control array, found by their object names
// ("optSW1ON_0" ...).
template<typename Control, std::size_t N>
std::array<Control *, N> controlArray(const QWidget &window, const QString &arrayName,
                                      int first = 0)
{
    std::array<Control *, N> controls{};
    for (std::size_t i = 0; i < N; ++i) {
        controls[i] = window.findChild<Control *>(memberName(arrayName, first + int(i)));
        Q_ASSERT(controls[i] != nullptr);
    }
    return controls;
}

int panelIndex(SwitchByte sw)
{
    return static_cast<int>(sw);
}

QString switchName(SwitchByte sw)
{
    return QStringLiteral("SW") + QString::number(panelIndex(sw) + 1);
}

// The first selected button of a group, tested in the order given, decides the value; the
// value stays as it was when none is selected.
template<typename Value, std::size_t N>
void takeSelected(const std::array<std::pair<const QRadioButton *, Value>, N> &options,
                  Value &value)
{
    for (const auto &[button, option] : options) {
        if (button->isChecked()) {
            value = option;
            return;
        }
    }
}

QString helpNotFound(const QStringList &folders)
{
    return QStringLiteral("The help file ") + HelpLocator::helpFileName() +
           QStringLiteral(" was not found. It was looked for in:\r\n") +
           folders.join(QStringLiteral("\r\n"));
}

QString helpNotReadable(const QString &path, const QString &error)
{
    return QStringLiteral("The help file ") + path + QStringLiteral(" cannot be read: ") + error;
}

// The window is a frame to assistive technology. As a plain widget it would be a client area
// (a "filler" on AT-SPI), which screen readers do not announce as a window.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("MainWindow") && object != nullptr && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

MainWindow::MainWindow(Prompter &prompter, DesktopShell &shell, EventPump &pump,
                       PrinterLink::Devices devices, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::MainWindow>())
    , m_prompter(prompter)
    , m_shell(shell)
{
    Q_INIT_RESOURCE(app);
    static const bool accessibleAsWindow =
        (QAccessible::installFactory(windowAccessible),
         QAccessible::installFactory(AccessibleTabBar::create), true);
    Q_UNUSED(accessibleAsWindow);
    m_ui->setupUi(this);
    new ScreenFit(*this);
    m_colours = std::make_unique<ReadableColours>(*this);
    m_colours->apply();
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/icon-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/images/icon-32.png"), QSize(32, 32));
    setWindowIcon(icon);

    m_lblKV_INFO = controlArray<QLabel, kInfoRows>(*this, QStringLiteral("lblKV_INFO"));
    m_lblLANG_INFO = controlArray<QLabel, kInfoRows>(*this, QStringLiteral("lblLANG_INFO"));

    const auto model = [this] { return modelName(); };
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        const QString name = switchName(sw);
        const auto on = controlArray<QRadioButton, 8>(*this, QStringLiteral("opt%1ON").arg(name));
        const auto off = controlArray<QRadioButton, 8>(*this, QStringLiteral("opt%1OFF").arg(name));
        const QString labelArray = QStringLiteral("lbl%1Function").arg(name);
        QList<QLabel *> labels;
        // SW3 has meaning labels 0 to 6; SW1 and SW2 one for each of their eight pairs.
        const int labelCount = sw == SwitchByte::SW3 ? 7 : 8;
        for (int i = 0; i < labelCount; ++i) {
            labels.append(findChild<QLabel *>(memberName(labelArray, i)));
            Q_ASSERT(labels.last() != nullptr);
        }
        m_switchPanels[panelIndex(sw)] = std::make_unique<SwitchPanel>(sw, on, off, labels, model);
    }
    m_languagePanel = std::make_unique<LanguagePanel>(
        *m_ui->comboCodePage, *m_ui->comboCodePageName, *m_ui->comboInterChars, *m_lblLANG_INFO[2],
        *m_lblLANG_INFO[3]);
    m_log = std::make_unique<LogHistory>(*m_ui->txtLOG);

    m_ui->Combo1->addItems(PortChoice::portList());
    m_ui->Combo1->setCurrentIndex(m_ui->Combo1->findText(QStringLiteral("COM1")));

    m_link = std::make_unique<PrinterLink>(*this, *this, pump, std::move(devices));
    m_commands = std::make_unique<PrinterCommands>(*m_link, *this);
    m_workflow = std::make_unique<Workflows>(*this, *m_link, *m_commands, prompter);

    connectControls();
    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls()
{
    connect(m_ui->Combo1, &QComboBox::activated, this, &MainWindow::Combo1_Click);
    connect(m_ui->Combo1, &PortComboBox::aboutToShowPopup, this,
            &MainWindow::refreshPortDescriptions);
    connect(m_ui->cmdSTATUS, &QPushButton::clicked, this, &MainWindow::cmdSTATUS_Click);
    connect(m_ui->cmdCommunicate, &QPushButton::clicked, this, &MainWindow::cmdCommunicate_Click);
    connect(m_ui->cmd0, &QPushButton::clicked, this, &MainWindow::cmd0_Click);
    connect(m_ui->cmd1, &QPushButton::clicked, this, &MainWindow::cmd1_Click);
    connect(m_ui->cmd2, &QPushButton::clicked, this, &MainWindow::cmd2_Click);
    connect(m_ui->SSTab1, &QTabWidget::currentChanged, this, [this](int tab) {
        const int previousTab = m_shownTab;
        m_shownTab = tab;
        SSTab1_Click(previousTab);
    });
    connect(m_ui->cmdEXIT, &QPushButton::clicked, this, &MainWindow::cmdEXIT_Click);
    connect(m_ui->cmdHELP, &QPushButton::clicked, this, &MainWindow::cmdHELP_Click);
    // F1 does what HELP does.
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        if (m_ui->cmdHELP->isEnabled())
            cmdHELP_Click();
    });
    connect(m_ui->cmdCLEARlst, &QPushButton::clicked, this, &MainWindow::cmdCLEARlst_Click);

    // The click handling runs on the user's choices only (the panel also takes a selection by
    // the accessibility action, and a click here covers one on the button already selected);
    // values shown by the program refresh their meanings themselves.
    for (const auto &panel : m_switchPanels) {
        SwitchPanel *switches = panel.get();
        for (int i = 0; i < 8; ++i) {
            const auto selected = [switches, i] { switches->selectedByUser(i); };
            connect(switches->onButton(i), &QRadioButton::clicked, switches, selected);
            connect(switches->offButton(i), &QRadioButton::clicked, switches, selected);
        }
        connect(switches, &SwitchPanel::changedByUser, this, [this] { setDataChanged(true); });
    }
    connect(m_ui->comboCodePage, &QComboBox::activated, this, &MainWindow::comboCodePage_Click);
    connect(m_ui->comboInterChars, &QComboBox::activated, this, &MainWindow::comboInterChars_Click);
    connect(m_languagePanel.get(), &LanguagePanel::changeAssessed, this,
            &MainWindow::setDataChanged);
}

void MainWindow::Form_Load()
{
    // The port list shows its first choice, and the options frame of that kind is shown.
    Combo1_Click();
    cmdSTATUS_Click();
    m_ui->comboInterChars->setCurrentIndex(0);
    bDataChanged = false;
}

void MainWindow::Form_Unload()
{
    m_link->OpenPort(false);
}

void MainWindow::cmdEXIT_Click()
{
    // Closing the window closes the port (Form_Unload); then the program ends.
    close();
    m_shell.quit();
}

void MainWindow::cmdHELP_Click()
{
    m_ui->cmdHELP->setEnabled(false);
    const HelpLocator locator = HelpLocator::forThisProgram();
    const QString path = locator.find();
    if (path.isEmpty())
        m_prompter.inform(helpNotFound(locator.folders()), appTitle());
    else
        m_shell.openHelp(path, this, [this, path] { showHelpViewer(path); });
    m_ui->cmdHELP->setEnabled(true);
}

void MainWindow::showHelpViewer(const QString &path)
{
    if (m_helpViewer == nullptr)
        m_helpViewer = new HelpViewer(this);
    QString error;
    if (!m_helpViewer->showFile(path, &error))
        m_prompter.inform(helpNotReadable(path, error), appTitle());
}

void MainWindow::Combo1_Click()
{
    const PortKind kind = m_link->selectPort(m_ui->Combo1->currentText());
    // The printer device has no options.
    m_ui->frameCOMm->setVisible(kind == PortKind::Serial);
    m_ui->frameTCPIP->setVisible(kind == PortKind::Tcp);
    refreshPortDescriptions();
}

void MainWindow::refreshPortDescriptions()
{
    QComboBox &ports = *m_ui->Combo1;
    QStringList names;
    for (int i = 0; i < ports.count(); ++i)
        names.append(ports.itemText(i));
    const QStringList descriptions = m_link->describePorts(names);
    for (int i = 0; i < ports.count(); ++i) {
        ports.setItemData(i, descriptions.at(i), Qt::ToolTipRole);
        ports.setItemData(i, descriptions.at(i), Qt::AccessibleDescriptionRole);
    }
    // The device of the chosen entry in one line; the whole text in the label's tooltip.
    const QString device = ports.currentData(Qt::ToolTipRole).toString();
    QLabel &label = *m_ui->lblDEVICE;
    label.setText(
        label.fontMetrics().elidedText(device, Qt::ElideRight, label.contentsRect().width()));
    label.setToolTip(device);
    label.setAccessibleName(device);
}

void MainWindow::cmdSTATUS_Click()
{
    m_link->refreshStatus();
}

template<typename Work> void MainWindow::runWorkflow(Work work)
{
    ++m_workflows;
    work();
    if (--m_workflows == 0 && std::exchange(m_closeRequested, false))
        close();
}

void MainWindow::cmdCommunicate_Click()
{
    runWorkflow([this] {
        // The device label shows the device that is opened now.
        refreshPortDescriptions();
        m_workflow->communicationTest();
    });
}

void MainWindow::cmd0_Click()
{
    runWorkflow([this] {
        m_ui->cmd0->setEnabled(false);
        m_commands->startSelfTest();
        m_ui->cmd0->setEnabled(true);
    });
}

void MainWindow::cmd1_Click()
{
    runWorkflow([this] { m_workflow->readSettings(); });
}

void MainWindow::cmd2_Click()
{
    runWorkflow([this] { m_workflow->writeSettings(); });
}

void MainWindow::SSTab1_Click(int previousTab)
{
    runWorkflow([this, previousTab] { m_workflow->tabChanged(previousTab); });
}

void MainWindow::comboCodePage_Click()
{
    m_languagePanel->codePageChosen();
}

void MainWindow::comboInterChars_Click()
{
    m_languagePanel->interCharsChosen();
}

void MainWindow::cmdCLEARlst_Click()
{
    m_log->clear();
}

void MainWindow::ShowCodePage()
{
    m_languagePanel->ShowCodePage();
}

void MainWindow::ShowInterChars()
{
    m_languagePanel->ShowInterChars();
}

PrinterLink &MainWindow::link()
{
    return *m_link;
}

const QString &MainWindow::logText() const
{
    return m_log->text();
}

QString MainWindow::modelName() const
{
    return m_lblKV_INFO[0]->text();
}

SwitchPanel &MainWindow::switchPanel(SwitchByte sw) const
{
    return *m_switchPanels[panelIndex(sw)];
}

SerialSettings MainWindow::serialSettings() const
{
    using BaudRateOption = std::pair<const QRadioButton *, BaudRate>;
    using ParityOption = std::pair<const QRadioButton *, Parity>;
    using HandshakeOption = std::pair<const QRadioButton *, Handshake>;
    SerialSettings settings;
    takeSelected(std::array{BaudRateOption{m_ui->com_BR_115200, BaudRate::Baud115200},
                            BaudRateOption{m_ui->com_BR_38400, BaudRate::Baud38400},
                            BaudRateOption{m_ui->com_BR_19200, BaudRate::Baud19200},
                            BaudRateOption{m_ui->com_BR_9600, BaudRate::Baud9600}},
                 settings.baudRate);
    takeSelected(std::array{ParityOption{m_ui->com_PK_NONE, Parity::None},
                            ParityOption{m_ui->com_PK_EVEN, Parity::Even}},
                 settings.parity);
    takeSelected(std::array{HandshakeOption{m_ui->com_HS_HW, Handshake::DtrDsr},
                            HandshakeOption{m_ui->com_HS_SW, Handshake::XonXoff}},
                 settings.handshake);
    return settings;
}

QString MainWindow::tcpAddress() const
{
    return m_ui->tcpIP->text();
}

QString MainWindow::tcpPort() const
{
    return m_ui->tcpListenPort->text();
}

void MainWindow::showLinkStatus(const LinkStatusStyle &style)
{
    m_colours->setColour(*m_ui->txtSTATUS, QPalette::Text,
                         QColor(style.red, style.green, style.blue));
    m_ui->txtSTATUS->setText(style.text);
}

void MainWindow::report(const LinkProblem &problem)
{
    const QString title =
        problem.source == LinkProblem::Source::Socket ? QStringLiteral("Error") : appTitle();
    m_prompter.inform(problem.text, title);
}

void MainWindow::ShowSW1Value(int value)
{
    switchPanel(SwitchByte::SW1).ShowValue(value);
}

void MainWindow::ShowSW2Value(int value)
{
    switchPanel(SwitchByte::SW2).ShowValue(value);
}

void MainWindow::ShowSW3Value(int value)
{
    switchPanel(SwitchByte::SW3).ShowValue(value);
}

std::array<quint8, 3> MainWindow::GetSW1Digits() const
{
    return switchPanel(SwitchByte::SW1).GetDigits();
}

std::array<quint8, 3> MainWindow::GetSW2Digits() const
{
    return switchPanel(SwitchByte::SW2).GetDigits();
}

std::array<quint8, 3> MainWindow::GetSW3Digits() const
{
    return switchPanel(SwitchByte::SW3).GetDigits();
}

void MainWindow::setPrinterInfo(int index, const QString &text)
{
    if (index >= 0 && index < kInfoRows)
        m_lblKV_INFO[index]->setText(text);
}

void MainWindow::setLanguageInfo(int index, const QString &text)
{
    if (index >= 0 && index < kInfoRows)
        m_lblLANG_INFO[index]->setText(text);
}

QString MainWindow::codePageText() const
{
    return m_ui->comboCodePage->currentText();
}

QString MainWindow::codePageNameText() const
{
    return m_ui->comboCodePageName->currentText();
}

QString MainWindow::interCharsText() const
{
    return m_ui->comboInterChars->currentText();
}

void MainWindow::setDataChanged(bool changed)
{
    bDataChanged = changed;
}

void MainWindow::AppendLog(const QString &text)
{
    m_log->AppendLog(text);
}

void MainWindow::showMessage(const QString &text)
{
    m_prompter.inform(text, appTitle());
}

void MainWindow::setButtonEnabled(WindowButton button, bool enabled)
{
    switch (button) {
    case WindowButton::Communicate:
        m_ui->cmdCommunicate->setEnabled(enabled);
        break;
    case WindowButton::SelfTest:
        m_ui->cmd0->setEnabled(enabled);
        break;
    case WindowButton::Read:
        m_ui->cmd1->setEnabled(enabled);
        break;
    case WindowButton::Write:
        m_ui->cmd2->setEnabled(enabled);
        break;
    }
}

int MainWindow::currentTab() const
{
    return m_ui->SSTab1->currentIndex();
}

void MainWindow::setCurrentTab(int tab)
{
    m_ui->SSTab1->setCurrentIndex(tab);
}

QString MainWindow::tabCaption(int tab) const
{
    return m_ui->SSTab1->tabText(tab);
}

void MainWindow::setTabCaption(int tab, const QString &caption)
{
    m_ui->SSTab1->setTabText(tab, caption);
}

void MainWindow::setTabsVisible(bool visible)
{
    m_ui->SSTab1->setVisible(visible);
}

void MainWindow::setLanguageFrameVisible(bool visible)
{
    m_ui->frameLanguageInfo->setVisible(visible);
}

void MainWindow::setSwitchFrameVisible(SwitchByte sw, bool visible)
{
    QWidget *const frames[] = {m_ui->frameSW1m, m_ui->frameSW2m, m_ui->frameSW3m};
    frames[panelIndex(sw)]->setVisible(visible);
}

bool MainWindow::isSwitchOn(SwitchByte sw, int index) const
{
    return switchPanel(sw).isOn(index);
}

QString MainWindow::switchMeaningText(SwitchByte sw, int labelIndex) const
{
    return switchPanel(sw).meaningText(labelIndex);
}

void MainWindow::disablePortChoice()
{
    m_ui->lblPORT->setEnabled(false);
    m_ui->Combo1->setEnabled(false);
}

bool MainWindow::isSerialFrameVisible() const
{
    return m_ui->frameCOMm->isVisibleTo(this);
}

bool MainWindow::isTcpFrameVisible() const
{
    return m_ui->frameTCPIP->isVisibleTo(this);
}

void MainWindow::disableControlsWithPrefix(const QString &prefix)
{
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->objectName().startsWith(prefix, Qt::CaseSensitive))
            control->setEnabled(false);
    }
}

bool MainWindow::dataChanged() const
{
    return bDataChanged;
}

void MainWindow::exitProgram()
{
    cmdEXIT_Click();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A close that arrives during a workflow (the window manager's close is no user input and
    // gets through its waits and message boxes) is carried out as soon as the workflow has
    // ended, so that the port is never closed under it. Closing is never refused.
    if (m_workflows > 0) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void MainWindow::changeEvent(QEvent *event)
{
    // The window's colours follow a new palette (a light or dark desktop theme).
    if (event->type() == QEvent::PaletteChange && m_colours)
        m_colours->apply();
    QWidget::changeEvent(event);
}

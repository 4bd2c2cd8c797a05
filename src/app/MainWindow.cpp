#include "MainWindow.h"

#include "AccessibleTabBar.h"
#include "DesktopShell.h"
#include "HelpLocator.h"
#include "HelpViewer.h"
#include "LanguagePanel.h"
#include "LinkPanel.h"
#include "LogHistory.h"
#include "PrinterCommands.h"
#include "PrinterDisplay.h"
#include "Prompter.h"
#include "ReadableColours.h"
#include "ScreenFit.h"
#include "SwitchPanel.h"
#include "WindowPages.h"
#include "Workflows.h"
#include "ui_MainWindow.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QIcon>
#include <QShortcut>

namespace {

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

    m_display = new PrinterDisplay(*this, *m_ui, m_settings, prompter);
    m_linkPanel = new LinkPanel(*this, *m_ui, *m_colours, prompter);
    m_pages = std::make_unique<WindowPages>(*this, *m_ui, *m_display, [this] { cmdEXIT_Click(); });

    m_ui->Combo1->addItems(PortChoice::portList());
    m_ui->Combo1->setCurrentIndex(m_ui->Combo1->findText(QStringLiteral("COM1")));

    m_link = std::make_unique<PrinterLink>(*m_linkPanel, *m_linkPanel, pump, std::move(devices));
    m_commands = std::make_unique<PrinterCommands>(*m_link, m_settings, *m_display);
    m_workflow = std::make_unique<Workflows>(*m_pages, *m_link, *m_commands, prompter, m_settings);

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
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        SwitchPanel *switches = &m_display->switchPanel(sw);
        for (int i = 0; i < 8; ++i) {
            const auto selected = [switches, i] { switches->selectedByUser(i); };
            connect(switches->onButton(i), &QRadioButton::clicked, switches, selected);
            connect(switches->offButton(i), &QRadioButton::clicked, switches, selected);
        }
    }
    connect(m_ui->comboCodePage, &QComboBox::activated, this, &MainWindow::comboCodePage_Click);
    connect(m_ui->comboInterChars, &QComboBox::activated, this, &MainWindow::comboInterChars_Click);
}

void MainWindow::Form_Load()
{
    // The port list shows COM1, and the options frame of that kind is shown.
    Combo1_Click();
    cmdSTATUS_Click();
    m_ui->comboInterChars->setCurrentIndex(0);
    m_display->setDataChanged(false);
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
    const PortKind kind = m_linkPanel->choosePort().kind;
    m_link->setSettings(m_linkPanel->settings());
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
        // The port opens with the options and the address as they stand now, and the device
        // label shows the device that is opened.
        m_link->setSettings(m_linkPanel->settings());
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
    m_display->languagePanel().codePageChosen();
}

void MainWindow::comboInterChars_Click()
{
    m_display->languagePanel().interCharsChosen();
}

void MainWindow::cmdCLEARlst_Click()
{
    m_display->log().clear();
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

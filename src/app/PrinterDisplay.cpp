#include "PrinterDisplay.h"

#include "LanguagePanel.h"
#include "LogHistory.h"
#include "Prompter.h"
#include "SettingsModel.h"
#include "SwitchPanel.h"
#include "ui_MainWindow.h"

namespace {

constexpr int kInfoRows = 4;

QString memberName(const QString &arrayName, int index)
{
    return arrayName + QLatin1Char('_') + QString::number(index);
}

// The members first ... first + N - 1 of a control array, found by their object names
// ("optSW1ON_0" ...).
template<typename Control, std::size_t N>
std::array<Control *, N> controlArray(const QWidget &window, const QString &arrayName)
{
    std::array<Control *, N> controls{};
    for (std::size_t i = 0; i < N; ++i) {
        controls[i] = window.findChild<Control *>(memberName(arrayName, int(i)));
        Q_ASSERT(controls[i] != nullptr);
    }
    return controls;
}

std::size_t panelIndex(SwitchByte sw)
{
    return static_cast<std::size_t>(sw);
}

} // namespace

PrinterDisplay::PrinterDisplay(QWidget &window, Ui::MainWindow &ui, SettingsModel &settings,
                               Prompter &prompter)
    : QObject(&window)
    , m_settings(settings)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("printerDisplay"));
    m_lblKV_INFO = controlArray<QLabel, kInfoRows>(window, QStringLiteral("lblKV_INFO"));
    m_lblLANG_INFO = controlArray<QLabel, kInfoRows>(window, QStringLiteral("lblLANG_INFO"));

    const auto modelName = [this] { return m_settings.modelName(); };
    for (const SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        const QString name = switchName(sw);
        const auto on = controlArray<QRadioButton, 8>(window, QStringLiteral("opt%1ON").arg(name));
        const auto off =
            controlArray<QRadioButton, 8>(window, QStringLiteral("opt%1OFF").arg(name));
        const QString labelArray = QStringLiteral("lbl%1Function").arg(name);
        QList<QLabel *> labels;
        // SW3 has meaning labels 0 to 6; SW1 and SW2 one for each of their eight pairs.
        const int labelCount = sw == SwitchByte::SW3 ? 7 : 8;
        for (int i = 0; i < labelCount; ++i) {
            labels.append(window.findChild<QLabel *>(memberName(labelArray, i)));
            Q_ASSERT(labels.last() != nullptr);
        }
        auto panel = std::make_unique<SwitchPanel>(sw, on, off, labels, modelName);
        // The user's choice is the value the next write of this byte sends.
        connect(panel.get(), &SwitchPanel::changedByUser, this, [this, sw, p = panel.get()] {
            m_settings.switchToWrite(sw) = p->value();
            setDataChanged(true);
        });
        // The pages start with every switch OFF; the settings hold what they show from the start.
        m_settings.switchToWrite(sw) = panel->value();
        m_switchPanels[panelIndex(sw)] = std::move(panel);
    }
    m_languagePanel = std::make_unique<LanguagePanel>(*ui.comboCodePage, *ui.comboCodePageName,
                                                      *ui.comboInterChars, settings);
    connect(m_languagePanel.get(), &LanguagePanel::changeAssessed, this,
            &PrinterDisplay::setDataChanged);
    m_log = std::make_unique<LogHistory>(*ui.txtLOG);
}

PrinterDisplay::~PrinterDisplay() = default;

void PrinterDisplay::AppendLog(const QString &text)
{
    m_log->AppendLog(text);
}

void PrinterDisplay::showMessage(const QString &text)
{
    m_prompter.inform(text, appTitle());
}

void PrinterDisplay::switchQueried(SwitchByte sw, bool read)
{
    if (const std::optional<quint8> value = m_settings.switchByte(sw); read && value)
        ShowSwitchValue(sw, *value);
    // A byte just read counts as unchanged, whatever was changed on its page before.
    setDataChanged(false);
}

void PrinterDisplay::infoFilled(InfoGroup group, int index)
{
    const auto &labels = group == InfoGroup::Printer ? m_lblKV_INFO : m_lblLANG_INFO;
    if (index >= 0 && index < kInfoRows)
        labels[std::size_t(index)]->setText(m_settings.info(group, index).value_or(QString()));
}

void PrinterDisplay::ShowSwitchValue(SwitchByte sw, int value)
{
    switchPanel(sw).ShowValue(value);
}

void PrinterDisplay::ShowSW1Value(int value)
{
    ShowSwitchValue(SwitchByte::SW1, value);
}

void PrinterDisplay::ShowSW2Value(int value)
{
    ShowSwitchValue(SwitchByte::SW2, value);
}

void PrinterDisplay::ShowSW3Value(int value)
{
    ShowSwitchValue(SwitchByte::SW3, value);
}

void PrinterDisplay::ShowCodePage()
{
    m_languagePanel->ShowCodePage();
}

void PrinterDisplay::ShowInterChars()
{
    m_languagePanel->ShowInterChars();
}

SwitchPanel &PrinterDisplay::switchPanel(SwitchByte sw) const
{
    return *m_switchPanels[panelIndex(sw)];
}

LanguagePanel &PrinterDisplay::languagePanel() const
{
    return *m_languagePanel;
}

LogHistory &PrinterDisplay::log() const
{
    return *m_log;
}

SettingsModel &PrinterDisplay::settings() const
{
    return m_settings;
}

bool PrinterDisplay::dataChanged() const
{
    return bDataChanged;
}

void PrinterDisplay::setDataChanged(bool changed)
{
    bDataChanged = changed;
}

#include "LinkPanel.h"

#include "Prompter.h"
#include "ReadableColours.h"
#include "ui_MainWindow.h"

namespace {

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

} // namespace

LinkPanel::LinkPanel(QWidget &window, Ui::MainWindow &ui, ReadableColours &colours,
                     Prompter &prompter)
    : QObject(&window)
    , m_ui(ui)
    , m_colours(colours)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("linkPanel"));
}

const PortChoice &LinkPanel::choosePort()
{
    m_port = PortChoice::fromName(m_ui.Combo1->currentText());
    return m_port;
}

LinkSettings LinkPanel::settings() const
{
    return {m_port, serialSettings(), m_ui.tcpIP->text(),
            tcpPortFromText(m_ui.tcpListenPort->text())};
}

SerialSettings LinkPanel::serialSettings() const
{
    using BaudRateOption = std::pair<const QRadioButton *, BaudRate>;
    using ParityOption = std::pair<const QRadioButton *, Parity>;
    using HandshakeOption = std::pair<const QRadioButton *, Handshake>;
    SerialSettings settings;
    takeSelected(std::array{BaudRateOption{m_ui.com_BR_115200, BaudRate::Baud115200},
                            BaudRateOption{m_ui.com_BR_38400, BaudRate::Baud38400},
                            BaudRateOption{m_ui.com_BR_19200, BaudRate::Baud19200},
                            BaudRateOption{m_ui.com_BR_9600, BaudRate::Baud9600}},
                 settings.baudRate);
    takeSelected(std::array{ParityOption{m_ui.com_PK_NONE, Parity::None},
                            ParityOption{m_ui.com_PK_EVEN, Parity::Even}},
                 settings.parity);
    takeSelected(std::array{HandshakeOption{m_ui.com_HS_HW, Handshake::DtrDsr},
                            HandshakeOption{m_ui.com_HS_SW, Handshake::XonXoff}},
                 settings.handshake);
    return settings;
}

void LinkPanel::showLinkStatus(const LinkStatusStyle &style)
{
    m_colours.setColour(*m_ui.txtSTATUS, QPalette::Text,
                        QColor(style.red, style.green, style.blue));
    m_ui.txtSTATUS->setText(style.text);
}

void LinkPanel::report(const LinkProblem &problem)
{
    const QString title =
        problem.source == LinkProblem::Source::Socket ? QStringLiteral("Error") : appTitle();
    m_prompter.inform(problem.text, title);
}

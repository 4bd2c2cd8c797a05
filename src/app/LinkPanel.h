#pragma once

#include "LinkReporter.h"
#include "LinkSettings.h"
#include "LinkStatusView.h"

#include <QObject>

class QWidget;

namespace Ui {
class MainWindow;
}

class Prompter;
class ReadableColours;

// The window's port settings as values for the printer link (the port chosen, the serial
// options, the address and port), the status box the link colours, and the message boxes it
// reports in.
class LinkPanel : public QObject, public LinkStatusView, public LinkReporter
{
    Q_OBJECT

public:
    // A child of `window`, found by its object name "linkPanel".
    LinkPanel(QWidget &window, Ui::MainWindow &ui, ReadableColours &colours, Prompter &prompter);

    // The entry shown in the port list becomes the port chosen (`PortName`); returns it.
    const PortChoice &choosePort();
    // The port chosen, and the options and address as they stand now.
    LinkSettings settings() const;
    // The serial options selected now.
    SerialSettings serialSettings() const;

    // LinkStatusView
    void showLinkStatus(const LinkStatusStyle &style) override;
    // LinkReporter
    void report(const LinkProblem &problem) override;

private:
    Ui::MainWindow &m_ui;
    ReadableColours &m_colours;
    Prompter &m_prompter;
    PortChoice m_port;
};

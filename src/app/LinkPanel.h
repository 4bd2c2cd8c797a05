#pragma once

#include "LinkReporter.h"
#include "LinkView.h"

#include <QObject>

class QWidget;

namespace Ui {
class MainWindow;
}

class Prompter;
class ReadableColours;

// The window's port settings as the printer link reads them (the serial options, the address
// and port), the status box it colours, and the message boxes it reports in.
class LinkPanel : public QObject, public LinkView, public LinkReporter
{
    Q_OBJECT

public:
    // A child of `window`, found by its object name "linkPanel".
    LinkPanel(QWidget &window, Ui::MainWindow &ui, ReadableColours &colours, Prompter &prompter);

    // LinkView
    SerialSettings serialSettings() const override;
    QString tcpAddress() const override;
    QString tcpPort() const override;
    void showLinkStatus(const LinkStatusStyle &style) override;
    // LinkReporter
    void report(const LinkProblem &problem) override;

private:
    Ui::MainWindow &m_ui;
    ReadableColours &m_colours;
    Prompter &m_prompter;
};

#pragma once

#include "CommandReport.h"
#include "LinkReporter.h"
#include "LinkStatusView.h"
#include "PortArgument.h"
#include "PrinterSurvey.h"
#include "ReplyReader.h"
#include "SerialSettings.h"
#include "SettingsModel.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class Console;
class DryRunChannel;
class DeviceResolver;
class PrinterCommands;
class PrinterLink;
class QtEventPump;

// The system's device names; tests give their own.
using ResolverFactory = std::function<std::unique_ptr<DeviceResolver>()>;

// One printer as printer-switch reaches it: the link of its port, the command set over it and
// the settings model the queries fill and the writes take their bytes from. The link's messages go
// to standard error, each with the port in front. A session lives in the thread that made it, from
// start to end, and closes its port when it ends.
class PrinterSession : public LinkStatusView, public LinkReporter, public CommandReport
{
public:
    struct Options
    {
        SerialSettings serial;
        // How long a TCP printer may take to accept the connection.
        std::chrono::milliseconds connectTimeout{3000};
        // How long the printer may take to begin an answer.
        std::chrono::milliseconds replyTimeout{kWindowReplyTimeout};
        // The link's and the printer's messages are not shown (a scan tries silent addresses).
        bool quiet = false;
    };

    PrinterSession(const PortArgument &port, const Options &options, Console &console,
                   const ResolverFactory &resolvers);
    ~PrinterSession() override;

    // Opens the port; a TCP printer must accept the connection within the connect timeout.
    // False when it cannot carry a command; what went wrong has been shown.
    bool open();
    // Opens the port and runs the communication test as the window does: the printer is
    // identified, its language read, and the switch bytes of its model read. Nothing is shown:
    // where it stops, `stopReason` says why in one line.
    TestStop communicationTest();
    // Why a communication test stopped at `stop`, in a few words for a result line.
    QString stopReason(TestStop stop) const;
    // What the link reported while the printer was identified, in one line; empty for nothing.
    QString linkProblem() const;

    const PortArgument &port() const;
    PrinterCommands &commands();
    // The channel the command set sends through, which can hold writes back for a dry run.
    DryRunChannel &channel();
    SettingsModel &record();
    // The maker's name as the printer gave it; empty without an answer.
    QString maker() const;
    // Shows a message on standard error, with the port in front.
    void tell(const QString &message);

    // LinkStatusView: there is no status box.
    void showLinkStatus(const LinkStatusStyle &style) override;
    // LinkReporter
    void report(const LinkProblem &problem) override;
    // CommandReport: the command set's notices go to standard error, except the maker's
    // greeting; there is no log history and nothing to show.
    void AppendLog(const QString &text) override;
    void showMessage(const QString &text) override;
    void switchQueried(SwitchByte sw, bool read) override;
    void infoFilled(InfoGroup group, int index) override;

private:
    QString stopCause(TestStop stop) const;

    PortArgument m_port;
    Options m_options;
    Console &m_console;
    SettingsModel m_record;
    std::unique_ptr<QtEventPump> m_pump;
    std::unique_ptr<PrinterLink> m_link;
    std::unique_ptr<DryRunChannel> m_channel;
    std::unique_ptr<PrinterCommands> m_commands;
    bool m_opened = false;
    bool m_surveying = false;
    // Why the printer could not be reached or identified, in one line: the path's or the link's.
    QString m_problem;
};

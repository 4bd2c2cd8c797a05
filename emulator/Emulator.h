#pragma once

#include "Faults.h"
#include "Printer.h"
#include "PrinterSettings.h"
#include "PrinterStatus.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class PseudoTerminal;
class PtyAnnouncement;
class TcpLink;
class TcpListener;

// What the program's command line, or a test, sets up the emulator with.
struct EmulatorOptions
{
    PrinterSettings printer = PrinterSettings::forModel(QStringLiteral("KV-4100"));
    Faults faults = {};
    // Where stored settings are written after each change; empty for nowhere.
    QString statePath = {};
    // Make the pseudo-terminal known to the switch utility (PtyAnnouncement) while it is open.
    bool announcePty = false;
    PrinterStatus status = {}; // the printer's sensors at start
};

// One emulated printer behind a TCP listener and/or a pseudo-terminal. Both front ends share the
// printer; each serves one client at a time (a second TCP client waits until the first has gone).
// Lives in one thread; EmulatorThread gives other threads safe access.
class Emulator : public QObject
{
    Q_OBJECT

public:
    // Received bytes kept for inspection; the oldest go beyond this.
    static constexpr qsizetype kMaxRecordedBytes = 1 << 20;
    // Print-out lines kept for inspection; the oldest go beyond this.
    static constexpr qsizetype kMaxKeptLines = 4096;
    // TCP clients waiting for their turn; beyond, the listener stops accepting for a while.
    static constexpr qsizetype kMaxWaitingClients = 16;

    explicit Emulator(const EmulatorOptions &options, QObject *parent = nullptr);
    ~Emulator() override;

    bool listenTcp(const QHostAddress &address, quint16 port, QString *error);
    QHostAddress tcpAddress() const;
    quint16 tcpPort() const;

    bool openPty(const QString &linkPath, QString *error);
    QString ptyPath() const;
    // The file that announces the pseudo-terminal; empty when none is written.
    QString ptyAnnouncementPath() const;

    PrinterSnapshot snapshot() const { return m_printer.snapshot(); }
    QByteArray received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    QStringList printOut() const { return m_printOut; }
    void clearPrintOut() { m_printOut.clear(); }
    Faults faults() const { return m_faults; }
    void setFaults(const Faults &faults);
    PrinterStatus status() const { return m_printer.status(); }
    // The sensors change: clients that enabled automatic status back for a changed group get a
    // status block.
    void setStatus(const PrinterStatus &status);

    // Carries out one command on the printer, reports its line and print-out, and keeps the
    // stored settings.
    Exchange execute(const ParsedCommand &command);
    // A client has gone: what it left unfinished on the paper is printed.
    void finishJob();
    // Keeps bytes as they arrived, from any client.
    void record(const QByteArray &bytes);

Q_SIGNALS:
    void commandReceived(const QString &line);
    // One line of the print-out.
    void printed(const QString &line);
    // Clients coming and going, a pseudo-terminal replaced, a state file that cannot be written,
    // the printer's status changed.
    void notice(const QString &text);
    void ptyReopened(const QString &path);
    // Groups of automatic status back whose bytes changed (PrinterStatus::Group).
    void statusChanged(int groups);
    void faultsChanged();

private:
    struct WaitingClient
    {
        int descriptor;
        QString peer;
    };

    void accept(int descriptor);
    void serveNextTcpClient();
    void print(const QStringList &lines);
    void announcePty();

    Printer m_printer;
    Faults m_faults;
    QString m_statePath;
    bool m_announcePty;
    TcpListener *m_server = nullptr;
    TcpLink *m_tcpClient = nullptr;
    QList<WaitingClient> m_waiting;
    PseudoTerminal *m_pty = nullptr;
    std::unique_ptr<PtyAnnouncement> m_announcement;
    QByteArray m_received;
    QStringList m_printOut;
};

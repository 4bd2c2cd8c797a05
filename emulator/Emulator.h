#pragma once

#include "Faults.h"
#include "Printer.h"
#include "PrinterSettings.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class PseudoTerminal;
class QTcpServer;
class TcpLink;

// What the program's command line, or a test, sets up the emulator with.
struct EmulatorOptions
{
    PrinterSettings printer = PrinterSettings::forModel(QStringLiteral("KV-4100"));
    Faults faults;
    QString statePath; // where stored settings are written after each change; empty for nowhere
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

    explicit Emulator(const EmulatorOptions &options, QObject *parent = nullptr);
    ~Emulator() override;

    bool listenTcp(const QHostAddress &address, quint16 port, QString *error);
    QHostAddress tcpAddress() const;
    quint16 tcpPort() const;

    bool openPty(const QString &linkPath, QString *error);
    QString ptyPath() const;

    PrinterSnapshot snapshot() const { return m_printer.snapshot(); }
    QByteArray received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    Faults faults() const { return m_faults; }
    void setFaults(const Faults &faults) { m_faults = faults; }

    // Carries out one command on the printer, reports its line and keeps the stored settings.
    Exchange execute(const ParsedCommand &command);
    // Keeps bytes as they arrived, from any client.
    void record(const QByteArray &bytes);

Q_SIGNALS:
    void commandReceived(const QString &line);
    void selfTestPrinted(const QString &page);
    // Clients coming and going, a pseudo-terminal replaced, a state file that cannot be written.
    void notice(const QString &text);
    void ptyReopened(const QString &path);

private:
    void serveNextTcpClient();

    Printer m_printer;
    Faults m_faults;
    QString m_statePath;
    QTcpServer *m_server = nullptr;
    TcpLink *m_tcpClient = nullptr;
    PseudoTerminal *m_pty = nullptr;
    QByteArray m_received;
};

#pragma once

#include "ClientLink.h"

#include <QDeadlineTimer>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// The printer's end of a pseudo-terminal. A client opens the slave path as it would a serial
// port. The emulator keeps a slave descriptor of its own open, so that a client may close and
// reopen the slave without the master seeing a hang-up. Hanging up closes both ends, which the
// client sees as a vanished device, and opens a fresh pseudo-terminal under a new path.
class PseudoTerminal : public ClientLink
{
    Q_OBJECT

public:
    // `linkPath`, when not empty, is kept as a symbolic link to the slave path.
    explicit PseudoTerminal(const QString &linkPath, QObject *parent = nullptr);
    ~PseudoTerminal() override;

    bool open(QString *error);
    QString path() const { return m_path; }

    // A hang-up discards what the client has not read, so it waits for the client to read the
    // last reply: at least long enough for written bytes to reach the slave, at most the limit.
    static constexpr int kDrainMinimumMs = 20;
    static constexpr int kDrainLimitMs = 1000;
    static constexpr int kDrainPollMs = 5;

    void write(const QByteArray &bytes) override;
    void hangUp() override;
    qsizetype backlog() const override { return m_pending.size(); }
    bool isOpen() const override { return m_master >= 0; }
    bool isSerial() const override { return true; }

Q_SIGNALS:
    // A hang-up replaced the pseudo-terminal; the slave now has this path.
    void reopened(const QString &path);
    void failed(const QString &error);

private:
    void readMaster();
    void writePending();
    bool updateLink(QString *error);
    void finishHangUp();
    void close();

    QString m_linkPath;
    QString m_path;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
    QTimer m_drainTimer;
    QDeadlineTimer m_drainEarliest;
    QDeadlineTimer m_drainDeadline;
};

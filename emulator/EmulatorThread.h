#pragma once

#include "Emulator.h"

#include <QThread>

#include <functional>
#include <type_traits>

// Runs an Emulator in a thread of its own, so that a test can block its main thread (a window
// waiting for the printer) while the printer answers. Every accessor is safe to call from any
// other thread: it runs inside the emulator's thread and waits for the result.
class EmulatorThread
{
public:
    explicit EmulatorThread(const EmulatorOptions &options = EmulatorOptions());
    ~EmulatorThread();

    EmulatorThread(const EmulatorThread &) = delete;
    EmulatorThread &operator=(const EmulatorThread &) = delete;

    // Listens on 127.0.0.1 on a free port and returns it; 0 when that fails.
    quint16 listenTcp(QString *error = nullptr);
    // Opens a pseudo-terminal and returns its slave path; empty when that fails.
    QString openPty(const QString &linkPath = QString(), QString *error = nullptr);
    // The slave path now; it changes when a dropped connection replaced the pseudo-terminal.
    QString ptyPath() const;
    // The file announcing the pseudo-terminal (EmulatorOptions::announcePty); empty without one.
    QString ptyAnnouncementPath() const;

    PrinterSnapshot snapshot() const;
    QByteArray received() const;
    void clearReceived();
    // The latest print-out lines, Emulator::kMaxKeptLines at most.
    QStringList printOut() const;
    void clearPrintOut();
    void setFaults(const Faults &faults);
    // Changes the printer's sensors, as a line on the program's standard input does.
    void setStatus(const PrinterStatus &status);
    // Calls `hook` in the emulator's thread with the readable line of every command the printer
    // carries out ("unlock", "write SW2 = 129" ...), before its reply goes out.
    void onCommand(const std::function<void(const QString &line)> &hook);

private:
    template<typename Function> std::invoke_result_t<Function> call(Function function) const;

    QThread m_thread;
    Emulator *m_emulator;
};

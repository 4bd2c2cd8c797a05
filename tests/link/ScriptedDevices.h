#pragma once

// In-memory stand-ins for the printer's devices, on a virtual clock: what the printer sends is a
// script of arrivals, and every wait of the link moves the clock instead of sleeping, so that a
// row about a reply 999 ms late runs at once and always the same way.

#include "EventPump.h"
#include "LptDevice.h"
#include "SerialDevice.h"
#include "TcpClient.h"

#include <QList>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

using std::chrono::milliseconds;
using namespace std::chrono_literals;

// Waits by moving `clock`, a steady clock that moves only when the link waits; a pass of the
// event loop runs `onPass`, if any.
struct VirtualPump : EventPump
{
    void sleep(milliseconds duration) override { clock += duration; }
    void processEvents() override
    {
        if (onPass)
            onPass();
    }
    milliseconds now() const override { return clock; }

    milliseconds clock{0};
    std::function<void()> onPass;
};

// Bytes the printer sends at a moment of the virtual clock; no bytes: the printer goes away.
struct Arrival
{
    milliseconds at{0};
    QByteArray bytes;
};

// What a test sets and reads on any scripted device.
class ScriptControls
{
public:
    virtual ~ScriptControls() = default;

    // The printer's answers by command, played whenever what reached it ends with that command.
    // It answers in the order it was asked: the times count from when it has given the answers it
    // owes for earlier commands.
    QList<std::pair<QByteArray, QList<Arrival>>> answersTo;
    // Brings the device up to the clock: held bytes the printer now takes, arrivals now due.
    virtual void catchUp() = 0;

    // What reached the printer.
    QByteArray written;
    bool writeFails = false;
    // The printer holds what it is sent up until this moment (as with XOFF), then takes it.
    std::optional<milliseconds> holdsOutputUntil;
    // How the device was opened and closed.
    QStringList journal;
};

// The byte stream of a device: what is written is kept, what arrives follows the script.
template<typename Device> class Scripted : public Device, public ScriptControls
{
public:
    explicit Scripted(milliseconds &clock)
        : m_clock(clock)
    {}

    bool isOpen() const override { return m_open; }
    bool write(const QByteArray &bytes) override
    {
        if (!m_open || writeFails)
            return false;
        m_held += bytes;
        release();
        return true;
    }
    qint64 bytesToWrite() const override
    {
        release();
        return m_held.size();
    }
    void waitForBytesWritten(milliseconds timeout) override
    {
        m_clock += timeout;
        release();
    }
    void discardOutput() override { m_held.clear(); }
    void catchUp() override
    {
        release();
        deliver();
    }
    void setReceiving(bool receiving) override
    {
        deliver();
        m_receiving = receiving;
    }
    qint64 bytesAvailable() const override
    {
        deliver();
        return m_buffer.size();
    }
    QByteArray read(qint64 maxBytes) override
    {
        deliver();
        const QByteArray taken = m_buffer.left(maxBytes);
        m_buffer.remove(0, taken.size());
        return taken;
    }
    bool waitForReadyRead(milliseconds timeout) override
    {
        deliver();
        if (m_buffer.isEmpty() && m_open) {
            const milliseconds deadline = m_clock + timeout;
            const bool arrives = !m_script.isEmpty() && m_script.first().at <= deadline;
            m_clock = arrives ? std::max(m_clock, m_script.first().at) : deadline;
            deliver();
        }
        return !m_buffer.isEmpty();
    }
    void discardInput() override
    {
        deliver();
        m_buffer.clear();
    }

protected:
    void setOpen(bool open) { m_open = open; }
    // Closes the device; only a close of an open device is kept in the journal.
    bool closeDevice()
    {
        if (m_open)
            journal << QStringLiteral("close");
        m_open = false;
        return true;
    }

private:
    // Hands held bytes to the printer once it takes them, and schedules its answer.
    void release() const
    {
        if (m_held.isEmpty() || (holdsOutputUntil && m_clock < *holdsOutputUntil))
            return;
        auto &self = const_cast<Scripted &>(*this);
        self.written += std::exchange(m_held, {});
        for (const auto &[command, arrivals] : answersTo) {
            if (!written.endsWith(command))
                continue;
            const milliseconds turn = std::max(m_clock, m_owedUntil);
            // The script stays in the order of time.
            for (const Arrival &arrival : arrivals) {
                m_owedUntil = turn + arrival.at;
                m_script.insert(std::ranges::upper_bound(m_script, m_owedUntil, {}, &Arrival::at),
                                {m_owedUntil, arrival.bytes});
            }
        }
    }
    // Arrivals now due; what comes while the device is not receiving is dropped.
    void deliver() const
    {
        while (!m_script.isEmpty() && m_script.first().at <= m_clock) {
            const Arrival arrival = m_script.takeFirst();
            if (arrival.bytes.isEmpty())
                m_open = false;
            else if (m_open && m_receiving)
                m_buffer += arrival.bytes;
        }
    }

    milliseconds &m_clock;
    mutable QByteArray m_held;
    // When the printer has given every answer it owes.
    mutable milliseconds m_owedUntil{0};
    mutable QList<Arrival> m_script;
    mutable QByteArray m_buffer;
    mutable bool m_open = false;
    bool m_receiving = false;
};

// A serial port.
class ScriptedSerial : public Scripted<SerialDevice>
{
public:
    using Scripted::Scripted;

    bool open(const QString &name, const SerialSettings &settings) override
    {
        journal << QStringLiteral("open %1 %2%3")
                       .arg(name, settingsText(settings),
                            settings.handshake == Handshake::XonXoff ? u" XON/XOFF" : u" DTR/DSR");
        setOpen(true);
        return true;
    }
    bool close() override { return closeDevice(); }
    bool dsr() const override { return dsrOn; }
    bool cts() const override { return true; }

    bool dsrOn = true;
};

// A TCP client whose state is set by the test.
class ScriptedTcp : public Scripted<TcpClient>
{
public:
    using Scripted::Scripted;

    int state() const override { return isOpen() ? Connected : stateCode; }
    bool holdsSocket() const override { return state() != Closed; }
    void close() override
    {
        journal << QStringLiteral("close");
        setOpen(false);
        stateCode = Closed;
    }
    void connectToHost(const QString &host, quint16 port) override
    {
        journal << QStringLiteral("connect %1:%2").arg(host).arg(port);
        setOpen(connects);
        stateCode = connects ? Connected : Connecting;
        dropped = false;
    }
    std::optional<TcpError> takeError() override { return std::exchange(error, std::nullopt); }
    bool allWritten() const override { return !writeFails && !dropped && bytesToWrite() == 0; }
    bool write(const QByteArray &bytes) override
    {
        if (errorOnWrite)
            error = errorOnWrite;
        return Scripted::write(bytes);
    }
    void discardOutput() override
    {
        Scripted::discardOutput();
        setOpen(false);
        stateCode = Failed;
        dropped = true;
    }

    bool connects = true;
    int stateCode = Closed;
    std::optional<TcpError> error;
    // An error the client raises once a command is being sent.
    std::optional<TcpError> errorOnWrite;
    bool dropped = false; // output dropped since the connection was asked for
};

// A printer device. It is open for reading inside a query only, so it keeps whatever arrives while
// it is.
class ScriptedLpt : public Scripted<LptDevice>
{
public:
    explicit ScriptedLpt(milliseconds &clock)
        : Scripted(clock)
    {
        Scripted::setReceiving(true);
    }

    void setReceiving(bool) override {}

    bool open(const QString &path, Access access) override
    {
        journal << (access == Access::Read ? QStringLiteral("open read ")
                                           : QStringLiteral("open write ")) +
                       path;
        const bool opens = access == Access::Read || !refusesWrite;
        setOpen(opens);
        return opens;
    }
    bool close() override { return closeDevice(); }
    SystemError lastError() const override
    {
        return {2, QStringLiteral("No such file or directory")};
    }

    bool refusesWrite = false;
};

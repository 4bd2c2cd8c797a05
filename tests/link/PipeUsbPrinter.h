#pragma once

#include "CommandParser.h"
#include "Printer.h"

#include <QString>

#include <thread>

#include <windows.h>

// A USB printer played by the emulator's printer model behind a named pipe, on a thread of its
// own. Every open of the device is a connection of its own: the link opens it for writing, then
// again for reading. What the printer answers to one connection's commands it sends on the next,
// as a USB printer keeps its reply until the computer reads it.
class PipeUsbPrinter
{
public:
    PipeUsbPrinter(const QString &name, const QString &model)
        : m_path(
              QStringLiteral("\\\\.\\pipe\\psu-usb-%1-%2").arg(name).arg(::GetCurrentProcessId()))
        , m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
        , m_printer(PrinterSettings::forModel(model))
        , m_listening(listen())
        , m_thread([this] { serve(); })
    {}
    ~PipeUsbPrinter()
    {
        ::SetEvent(m_stop);
        m_thread.join();
        ::CloseHandle(m_stop);
    }
    PipeUsbPrinter(const PipeUsbPrinter &) = delete;
    PipeUsbPrinter &operator=(const PipeUsbPrinter &) = delete;

    QString path() const { return m_path; }

private:
    HANDLE listen() const
    {
        return ::CreateNamedPipeW(reinterpret_cast<const wchar_t *>(m_path.utf16()),
                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE,
                                  PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    }

    // Waits for the operation on `pipe` to end; false when the printer is stopped meanwhile or
    // the operation failed.
    bool await(HANDLE pipe, OVERLAPPED &io, DWORD *count) const
    {
        const HANDLE events[] = {io.hEvent, m_stop};
        if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            ::CancelIoEx(pipe, &io);
            ::GetOverlappedResult(pipe, &io, count, TRUE);
            return false;
        }
        return ::GetOverlappedResult(pipe, &io, count, FALSE) != 0;
    }

    bool run(HANDLE pipe, OVERLAPPED &io, BOOL started, DWORD *count) const
    {
        if (started)
            return ::GetOverlappedResult(pipe, &io, count, FALSE) != 0;
        const DWORD code = ::GetLastError();
        return code == ERROR_PIPE_CONNECTED || (code == ERROR_IO_PENDING && await(pipe, io, count));
    }

    void serve()
    {
        // A second end always listens, so that the link's next open finds one at once.
        while (m_listening != INVALID_HANDLE_VALUE) {
            const HANDLE current = m_listening;
            OVERLAPPED io = {};
            io.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
            DWORD count = 0;
            const bool connected = run(current, io, ::ConnectNamedPipe(current, &io), &count);
            m_listening = connected ? listen() : INVALID_HANDLE_VALUE;
            if (connected)
                talk(current, io);
            ::CloseHandle(io.hEvent);
            ::DisconnectNamedPipe(current);
            ::CloseHandle(current);
        }
    }

    // Sends what the printer owes, then takes commands until the link closes the device.
    void talk(HANDLE pipe, OVERLAPPED &io)
    {
        DWORD count = 0;
        if (!m_owed.isEmpty()) {
            ::ResetEvent(io.hEvent);
            if (!run(pipe, io,
                     ::WriteFile(pipe, m_owed.constData(), DWORD(m_owed.size()), nullptr, &io),
                     &count))
                return;
            m_owed.clear();
        }
        char buffer[4096];
        for (;;) {
            ::ResetEvent(io.hEvent);
            if (!run(pipe, io, ::ReadFile(pipe, buffer, sizeof buffer, nullptr, &io), &count))
                return;
            m_parser.feed(QByteArrayView(buffer, count), [this](const ParsedCommand &command) {
                m_owed += m_printer.execute(command).reply;
            });
        }
    }

    QString m_path;
    HANDLE m_stop;
    Printer m_printer;
    CommandParser m_parser;
    QByteArray m_owed;
    HANDLE m_listening;
    std::thread m_thread;
};

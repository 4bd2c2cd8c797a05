#pragma once

#include "PortChoice.h"
#include "ReplyReader.h"
#include "SerialSettings.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

// A TCP port number.
enum class TcpPort : quint16 {};

// The port number a text gives as the window's "Listen Port:" box is read: a whole number from 0
// to 65535, blanks around it allowed; none for any other text.
std::optional<TcpPort> tcpPortFromText(const QString &text);

// How the user chose to reach the printer: the port, the options of a serial port and the
// printer's network address. The link is handed them whole; an open takes them as they are then.
struct LinkSettings
{
    PortChoice port{};
    SerialSettings serial{};
    QString tcpHost{};
    // None when what was given is no port number: the next connection keeps the port of the one
    // before.
    std::optional<TcpPort> tcpPort{};
    // How long the printer may take to begin a reply: the window's timing, or longer for a
    // printer that finishes a long print job before it answers.
    std::chrono::milliseconds replyTimeout{kWindowReplyTimeout};
};

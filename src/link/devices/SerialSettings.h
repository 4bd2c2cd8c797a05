#pragma once

#include <QString>
#include <QtGlobal>

// The baud rates a printer's serial port runs at.
enum class BaudRate : qint32 {
    Baud9600 = 9600,
    Baud19200 = 19200,
    Baud38400 = 38400,
    Baud115200 = 115200,
};

enum class Parity { None, Even };

// DTR/DSR: flow control stays off and the modem lines DSR and CTS tell whether the printer is
// ready. XON/XOFF: the printer starts and stops what it is sent with XON and XOFF bytes.
enum class Handshake { DtrDsr, XonXoff };

// How a serial port is set up; always 8 data bits and 1 stop bit.
struct SerialSettings
{
    BaudRate baudRate = BaudRate::Baud115200;
    Parity parity = Parity::None;
    Handshake handshake = Handshake::DtrDsr;

    friend bool operator==(const SerialSettings &, const SerialSettings &) = default;
};

// The settings text of a port: baud rate, parity letter, 8 data bits and 1 stop bit, as in
// "9600,E,8,1".
QString settingsText(const SerialSettings &settings);

#pragma once

#include <QString>

// A serial port as the operating system reports it.
struct SystemSerialPort
{
    QString portName;       // "ttyUSB0"
    QString systemLocation; // "/dev/ttyUSB0"
    // What the system knows of a USB adapter; empty for on-board ports.
    QString manufacturer; // "FTDI"
    QString product;      // "FT232R USB UART"
    QString serialNumber; // "A10K3XYZ"
};

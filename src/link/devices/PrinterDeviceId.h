#pragma once

#include <QByteArray>
#include <QString>

// The IEEE 1284 device ID with which a printer names itself: fields "KEY:value;", as in
// "MFG:NORVANTA;MDL:KV-4100;CMD:ESC/POS;". Printers write the keys in full or short, in any case.
struct PrinterDeviceId
{
    QString manufacturer; // MFG or MANUFACTURER
    QString model;        // MDL or MODEL
    QString commandSet;   // CMD or COMMAND SET
    // The fields that came whole, as the printer wrote them.
    QString text;
    // The reply held fewer bytes than its length announced: the fields after the cut are lost.
    bool truncated = false;

    // From a device's reply: a two-byte big-endian length, then the ID. The standard counts the
    // two length bytes in; some printers leave them out, and both are taken. A last field that the
    // cut ends early is dropped; an unbroken ID may leave out its last ";".
    static PrinterDeviceId fromReply(const QByteArray &reply);

    // "NORVANTA KV-4100": maker and model as far as the printer gave them; empty when it gave
    // neither.
    QString makerAndModel() const;
    // The printer names `maker` as its manufacturer, in any case.
    bool isMadeBy(const QString &maker) const;
};

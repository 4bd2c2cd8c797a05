#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The IPv4 addresses a scan tries: "A.B.C.D/NN" (the hosts of that network: without its network
// and broadcast addresses up to /30, both addresses of a /31, the one of a /32) or
// "A.B.C.D-A.B.C.E" (both ends included).
struct AddressRange
{
    quint32 first = 0;
    quint32 last = 0;

    static constexpr qint64 kMaxAddresses = 4096;

    // Nothing, and `error` says why, when the text is no range or holds more than kMaxAddresses.
    static std::optional<AddressRange> parse(const QString &text, QString *error);

    qint64 count() const;
    // The address `index` places after the first, in dotted form.
    QString address(qint64 index) const;
};

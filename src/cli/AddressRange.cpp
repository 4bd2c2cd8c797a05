#include "AddressRange.h"

#include <QStringList>

namespace {

std::optional<quint32> ipv4(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || value > 255 || part.isEmpty() || part.size() > 3 || !part.at(0).isDigit())
            return std::nullopt;
        address = address << 8 | value;
    }
    return address;
}

} // namespace

std::optional<AddressRange> AddressRange::parse(const QString &text, QString *error)
{
    AddressRange range;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (slash >= 0) {
        const std::optional<quint32> address = ipv4(text.left(slash));
        bool ok = false;
        const int prefix = text.mid(slash + 1).toInt(&ok);
        if (!address || !ok || prefix < 0 || prefix > 32 || !text.at(slash + 1).isDigit()) {
            *error = QStringLiteral("%1: a range is A.B.C.D/NN or A.B.C.D-A.B.C.E").arg(text);
            return std::nullopt;
        }
        const quint64 size = quint64(1) << (32 - prefix);
        const quint32 network = quint32(*address & ~(size - 1));
        range.first = network;
        range.last = quint32(network + (size - 1));
        if (size > 2) {
            ++range.first;
            --range.last;
        }
    } else if (dash >= 0) {
        const std::optional<quint32> first = ipv4(text.left(dash));
        const std::optional<quint32> last = ipv4(text.mid(dash + 1));
        if (!first || !last || *first > *last) {
            *error = QStringLiteral("%1: a range is A.B.C.D/NN or A.B.C.D-A.B.C.E, the lower "
                                    "address first")
                         .arg(text);
            return std::nullopt;
        }
        range.first = *first;
        range.last = *last;
    } else {
        *error = QStringLiteral("%1: a range is A.B.C.D/NN or A.B.C.D-A.B.C.E").arg(text);
        return std::nullopt;
    }
    if (range.count() > kMaxAddresses) {
        *error = QStringLiteral("%1 holds %2 addresses; at most %3 are scanned at a time")
                     .arg(text)
                     .arg(range.count())
                     .arg(kMaxAddresses);
        return std::nullopt;
    }
    return range;
}

qint64 AddressRange::count() const
{
    return qint64(last) - qint64(first) + 1;
}

QString AddressRange::address(qint64 index) const
{
    const quint32 value = quint32(first + quint64(index));
    return QStringLiteral("%1.%2.%3.%4")
        .arg(value >> 24)
        .arg(value >> 16 & 0xFF)
        .arg(value >> 8 & 0xFF)
        .arg(value & 0xFF);
}

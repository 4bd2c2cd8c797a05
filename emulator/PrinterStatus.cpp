#include "PrinterStatus.h"

#include <QStringList>

#include <array>

namespace {

// Bits that ESC/POS fixes in every DLE EOT reply: bit 1 and bit 4 set, bit 0 and bit 7 clear.
constexpr quint8 kFixedRealTimeBits = 0x12;
// Bit 4 of the first byte of an automatic status block is fixed at 1.
constexpr quint8 kFixedAutoStatusBits = 0x10;

constexpr quint8 kOfflineBit = 0x08;      // DLE EOT 1, first status block byte
constexpr quint8 kCoverOpenCause = 0x04;  // DLE EOT 2
constexpr quint8 kPaperEndCause = 0x20;   // DLE EOT 2: printing stopped for want of paper
constexpr quint8 kNearEndSensor = 0x0C;   // DLE EOT 4
constexpr quint8 kPaperEndSensor = 0x60;  // DLE EOT 4
constexpr quint8 kCoverOpenBit = 0x20;    // first status block byte
constexpr quint8 kNearEndBits = 0x03;     // GS r 1, third status block byte
constexpr quint8 kPaperEndBits = 0x0C;    // GS r 1, third status block byte
constexpr quint8 kDrawerPinBit = 0x04;    // first status block byte
constexpr quint8 kOnlineGroupBits = 0x28; // first status block byte: off-line, cover

struct LineEffect
{
    const char *line;
    void (*apply)(PrinterStatus &);
};

// The operator's lines, in the order the help lists them.
constexpr std::array<LineEffect, 9> kLines{{
    {"cover open", [](PrinterStatus &s) { s.coverOpen = true; }},
    {"cover closed", [](PrinterStatus &s) { s.coverOpen = false; }},
    {"paper near end",
     [](PrinterStatus &s) {
         s.paperNearEnd = true;
         s.paperEnd = false;
     }},
    {"paper end", [](PrinterStatus &s) { s.paperEnd = true; }},
    {"paper ok",
     [](PrinterStatus &s) {
         s.paperNearEnd = false;
         s.paperEnd = false;
     }},
    {"offline", [](PrinterStatus &s) { s.offline = true; }},
    {"online", [](PrinterStatus &s) { s.offline = false; }},
    {"ok", [](PrinterStatus &s) { s = PrinterStatus(); }},
    {"status", [](PrinterStatus &) {}},
}};

} // namespace

std::optional<quint8> PrinterStatus::realTimeStatus(int n) const
{
    quint8 status = kFixedRealTimeBits;
    switch (n) {
    case 1:
        return quint8(status | (isOffline() ? kOfflineBit : 0));
    case 2:
        return quint8(status | (coverOpen ? kCoverOpenCause : 0) | (paperEnd ? kPaperEndCause : 0));
    case 3: // no cutter, mechanical or other error is ever reported
        return status;
    case 4:
        return quint8(status | (nearEndSensed() ? kNearEndSensor : 0) |
                      (paperEnd ? kPaperEndSensor : 0));
    default:
        return std::nullopt;
    }
}

std::optional<quint8> PrinterStatus::transmittedStatus(int n) const
{
    switch (n) {
    case 1:
    case '1':
        return quint8((nearEndSensed() ? kNearEndBits : 0) | (paperEnd ? kPaperEndBits : 0));
    case 2:
    case '2':
        return quint8(0); // no drawer is connected: pin 3 reads low
    default:
        return std::nullopt;
    }
}

QByteArray PrinterStatus::autoStatusBlock() const
{
    QByteArray block(4, '\0');
    block[0] = char(kFixedAutoStatusBits | (isOffline() ? kOfflineBit : 0) |
                    (coverOpen ? kCoverOpenBit : 0));
    block[2] = char((nearEndSensed() ? kNearEndBits : 0) | (paperEnd ? kPaperEndBits : 0));
    return block;
}

int PrinterStatus::changedGroups(const PrinterStatus &before, const PrinterStatus &after)
{
    const QByteArray a = before.autoStatusBlock();
    const QByteArray b = after.autoStatusBlock();
    const quint8 first = quint8(a[0] ^ b[0]);
    int groups = 0;
    if (first & kDrawerPinBit)
        groups |= DrawerGroup;
    if (first & kOnlineGroupBits)
        groups |= OnlineGroup;
    if (a[1] != b[1])
        groups |= ErrorGroup;
    if (a[2] != b[2])
        groups |= PaperGroup;
    return groups;
}

QString PrinterStatus::describe() const
{
    QStringList parts;
    if (coverOpen)
        parts << QStringLiteral("cover open");
    if (paperEnd)
        parts << QStringLiteral("paper end");
    else if (paperNearEnd)
        parts << QStringLiteral("paper near end");
    if (offline)
        parts << QStringLiteral("off-line");
    else if (isOffline())
        parts.last() += QStringLiteral(" (off-line)");
    return parts.isEmpty() ? QStringLiteral("ready") : parts.join(QStringLiteral(", "));
}

std::optional<PrinterStatus> PrinterStatus::applyLine(const PrinterStatus &current,
                                                      const QString &line)
{
    const QString wanted = line.simplified().toLower();
    for (const LineEffect &effect : kLines) {
        if (wanted == QLatin1String(effect.line)) {
            PrinterStatus next = current;
            effect.apply(next);
            return next;
        }
    }
    return std::nullopt;
}

QString PrinterStatus::acceptedLines()
{
    QStringList lines;
    for (const LineEffect &effect : kLines)
        lines << QLatin1String(effect.line);
    return lines.join(QStringLiteral(", "));
}

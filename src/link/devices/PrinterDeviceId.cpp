#include "PrinterDeviceId.h"

#include <QStringList>

#include <array>

namespace {

constexpr qsizetype kLengthBytes = 2;

struct FieldKeys
{
    const char *shortKey;
    const char *longKey;
    QString PrinterDeviceId::*value;
};

constexpr std::array kFields{
    FieldKeys{"MFG", "MANUFACTURER", &PrinterDeviceId::manufacturer},
    FieldKeys{"MDL", "MODEL", &PrinterDeviceId::model},
    FieldKeys{"CMD", "COMMAND SET", &PrinterDeviceId::commandSet},
};

void takeField(PrinterDeviceId &id, const QString &field)
{
    const qsizetype colon = field.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return;
    const QString key = field.left(colon).trimmed();
    for (const FieldKeys &keys : kFields) {
        if (key.compare(QLatin1String(keys.shortKey), Qt::CaseInsensitive) == 0 ||
            key.compare(QLatin1String(keys.longKey), Qt::CaseInsensitive) == 0)
            id.*keys.value = field.mid(colon + 1).trimmed();
    }
}

} // namespace

PrinterDeviceId PrinterDeviceId::fromReply(const QByteArray &reply)
{
    PrinterDeviceId id;
    if (reply.size() < kLengthBytes) {
        id.truncated = !reply.isEmpty();
        return id;
    }
    const qsizetype announced =
        (qsizetype(quint8(reply.at(0))) << 8) | qsizetype(quint8(reply.at(1)));
    QByteArray body = reply.mid(kLengthBytes, announced);
    id.truncated = body.size() < announced - kLengthBytes;
    // A driver's buffer may be padded with zeros after the ID.
    if (const qsizetype end = body.indexOf('\0'); end >= 0)
        body.truncate(end);
    // The bytes are ASCII as the standard asks; Latin-1 keeps any other byte readable.
    QStringList fields = QString::fromLatin1(body).split(QLatin1Char(';'));
    // What follows the last ";" is either nothing or a field: cut short when the reply is, whole
    // when the printer left the ";" out.
    if (id.truncated || fields.constLast().trimmed().isEmpty())
        fields.removeLast();
    for (const QString &field : std::as_const(fields))
        takeField(id, field);
    id.text = fields.isEmpty() ? QString() : fields.join(QLatin1Char(';')) + QLatin1Char(';');
    return id;
}

QString PrinterDeviceId::makerAndModel() const
{
    QStringList parts;
    for (const QString &part : {manufacturer, model}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1Char(' '));
}

bool PrinterDeviceId::isMadeBy(const QString &maker) const
{
    return manufacturer.compare(maker, Qt::CaseInsensitive) == 0;
}

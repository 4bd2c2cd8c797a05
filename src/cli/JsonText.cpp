#include "JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

// Members named here come first, in this order; any others follow in name order.
constexpr std::array kMemberOrder{
    "maker", "model",    "firmware", "hoursPowered", "cutCount", "language", "fontRom",
    "value", "switches", "codePage", "charset",      "number",   "on",       "meaning",
};

qsizetype rank(const QString &key)
{
    const auto known =
        std::find_if(kMemberOrder.cbegin(), kMemberOrder.cend(),
                     [&key](const char *name) { return key == QLatin1String(name); });
    return std::distance(kMemberOrder.cbegin(), known);
}

bool isContainer(const QJsonValue &value)
{
    return value.isObject() || value.isArray();
}

QString scalarText(const QJsonValue &value)
{
    // QJsonDocument writes scalars only inside an array: "[...]".
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

QString text(const QJsonValue &value, int depth)
{
    if (!isContainer(value))
        return scalarText(value);

    QStringList members;
    bool nested = false;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        QStringList keys = object.keys();
        std::stable_sort(keys.begin(), keys.end(),
                         [](const QString &a, const QString &b) { return rank(a) < rank(b); });
        for (const QString &key : keys) {
            nested = nested || isContainer(object.value(key));
            members << scalarText(key) + QStringLiteral(": ") + text(object.value(key), depth + 1);
        }
    } else {
        for (const QJsonValue element : value.toArray()) {
            nested = nested || isContainer(element);
            members << text(element, depth + 1);
        }
    }
    const auto [open, close] = value.isObject() ? std::pair{u'{', u'}'} : std::pair{u'[', u']'};
    if (members.isEmpty())
        return QString(open) + close;
    if (!nested)
        return open + members.join(QStringLiteral(", ")) + close;
    const QString inner(2 * (depth + 1), u' ');
    const QString outer(2 * depth, u' ');
    return open + (u'\n' + inner) + members.join(QStringLiteral(",\n") + inner) + u'\n' + outer +
           close;
}

} // namespace

QString jsonText(const QJsonValue &value)
{
    return text(value, 0);
}

#include "NumberText.h"

#include <QByteArray>

#include <algorithm>
#include <limits>

namespace NumberText {

namespace {

bool isIgnored(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<double> leadingNumber(const QString &text)
{
    // Collect sign, digits and at most one decimal point, skipping the ignored characters, into
    // a plain C-locale number text.
    QByteArray number;
    bool signSeen = false;
    bool pointSeen = false;
    bool digitSeen = false;
    bool integerNonZero = false;
    for (const QChar c : text) {
        if (isIgnored(c))
            continue;
        if (isDigit(c)) {
            digitSeen = true;
            if (!pointSeen && c != u'0')
                integerNonZero = true;
        } else if ((c == u'-' || c == u'+') && !signSeen && !pointSeen && !digitSeen) {
            signSeen = true;
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
        } else {
            break;
        }
        number.append(char(c.unicode()));
    }
    if (!digitSeen)
        return std::nullopt;

    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // The text is a well-formed number that a double cannot hold: too large in magnitude when
    // its integer part is not zero, otherwise too small.
    const bool negative = number.startsWith('-');
    const double magnitude = integerNonZero ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

std::optional<int> replyNumber(const QString &reply, int highest)
{
    if (reply.isEmpty() || !std::all_of(reply.cbegin(), reply.cend(), isDigit))
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : reply) {
        value = value * 10 + c.digitValue();
        if (value > highest)
            return std::nullopt;
    }
    return int(value);
}

double valueOf(const QString &text)
{
    return leadingNumber(text).value_or(0.0);
}

} // namespace NumberText

#include "SettingRequest.h"

#include "LanguageTables.h"

#include <QRegularExpression>

namespace {

constexpr int kMaxNumberDigits = 3;

std::optional<int> plainNumber(const QString &text, int maxDigits)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (text.size() > maxDigits || !digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

// "0 to 5, 17 to 19, 21, 22 or 250": the numbers in their order, a run of three or more as a
// range.
QString spokenList(const QList<int> &numbers)
{
    QStringList parts;
    for (qsizetype first = 0; first < numbers.size();) {
        qsizetype last = first;
        while (last + 1 < numbers.size() && numbers.at(last + 1) == numbers.at(last) + 1)
            ++last;
        if (last - first < 2)
            last = first;
        parts << (last == first
                      ? QString::number(numbers.at(first))
                      : QStringLiteral("%1 to %2").arg(numbers.at(first)).arg(numbers.at(last)));
        first = last + 1;
    }
    const QString lastPart = parts.isEmpty() ? QString() : parts.takeLast();
    return parts.isEmpty() ? lastPart
                           : parts.join(QStringLiteral(", ")) + QStringLiteral(" or ") + lastPart;
}

} // namespace

QString SettingRequest::allowedValues(Kind kind)
{
    switch (kind) {
    case Kind::SwitchByte:
        break;
    case Kind::Switch:
        return QStringLiteral("ON or OFF");
    case Kind::CodePage:
        return spokenList(LanguageTables::codePageNumbers());
    case Kind::Charset:
        return spokenList(LanguageTables::interCharsNumbers());
    }
    return QStringLiteral("0 to 255");
}

SettingRequest SettingRequest::switchByte(SwitchByte sw, int value)
{
    return {Kind::SwitchByte, sw, 0, false, value};
}

SettingRequest SettingRequest::codePage(int number)
{
    return {Kind::CodePage, SwitchByte::SW1, 0, false, number};
}

SettingRequest SettingRequest::charset(int number)
{
    return {Kind::Charset, SwitchByte::SW1, 0, false, number};
}

std::optional<SettingRequest> SettingRequest::parse(const QString &text, QString *error)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    const QString name = text.left(equals);
    const QString value = equals < 0 ? QString() : text.mid(equals + 1);
    static const QRegularExpression switchPattern(QStringLiteral("^SW([1-3])(?:\\.([1-8]))?$"),
                                                  QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = switchPattern.match(name); match.hasMatch()) {
        const auto sw = static_cast<SwitchByte>(match.captured(1).toInt() - 1);
        if (match.hasCaptured(2)) {
            const QString state = value.toUpper();
            if (state != QLatin1String("ON") && state != QLatin1String("OFF")) {
                *error =
                    QStringLiteral("%1: a switch is %2").arg(text, allowedValues(Kind::Switch));
                return std::nullopt;
            }
            return SettingRequest{Kind::Switch, sw, match.captured(2).toInt(),
                                  state == QLatin1String("OFF"), 0};
        }
        const std::optional<int> byte = plainNumber(value, kMaxNumberDigits);
        if (!byte || *byte > 255) {
            *error = QStringLiteral("%1: a switch byte is a number from %2")
                         .arg(text, allowedValues(Kind::SwitchByte));
            return std::nullopt;
        }
        return switchByte(sw, *byte);
    }
    const bool isCodePage = name.compare(QLatin1String("codepage"), Qt::CaseInsensitive) == 0;
    const bool isCharset = name.compare(QLatin1String("charset"), Qt::CaseInsensitive) == 0;
    if (!isCodePage && !isCharset) {
        *error = QStringLiteral("%1: a setting is SW1=N, SW2=N, SW3=N, SWn.k=ON|OFF, codepage=N "
                                "or charset=N")
                     .arg(text);
        return std::nullopt;
    }
    const std::optional<int> number = plainNumber(value, kMaxNumberDigits);
    if (!number) {
        *error = QStringLiteral("%1: %2 is %3")
                     .arg(text, name.toLower(),
                          allowedValues(isCodePage ? Kind::CodePage : Kind::Charset));
        return std::nullopt;
    }
    return isCodePage ? codePage(*number) : charset(*number);
}

QString listRefusal(const QList<SettingRequest> &requests)
{
    for (const SettingRequest &request : requests) {
        const QString number = QString::number(request.value);
        if (request.kind == SettingRequest::Kind::CodePage &&
            LanguageTables::findCodePage(request.value) < 0)
            return QStringLiteral("code page %1 is not in the list of code pages (%2)")
                .arg(number, SettingRequest::allowedValues(request.kind));
        if (request.kind == SettingRequest::Kind::Charset &&
            LanguageTables::findInterChars(request.value) < 0)
            return QStringLiteral("character set %1 is not in the list of international "
                                  "character sets (%2)")
                .arg(number, SettingRequest::allowedValues(request.kind));
    }
    return {};
}

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

} // namespace

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
                *error = QStringLiteral("%1: a switch is ON or OFF").arg(text);
                return std::nullopt;
            }
            return SettingRequest{Kind::Switch, sw, match.captured(2).toInt(),
                                  state == QLatin1String("OFF"), 0};
        }
        const std::optional<int> byte = plainNumber(value, kMaxNumberDigits);
        if (!byte || *byte > 255) {
            *error = QStringLiteral("%1: a switch byte is a number from 0 to 255").arg(text);
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
        *error = QStringLiteral("%1: %2 is a number").arg(text, name.toLower());
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
            return QStringLiteral("code page %1 is not in the list of code pages").arg(number);
        if (request.kind == SettingRequest::Kind::Charset &&
            LanguageTables::findInterChars(request.value) < 0)
            return QStringLiteral("character set %1 is not in the list of international "
                                  "character sets")
                .arg(number);
    }
    return {};
}

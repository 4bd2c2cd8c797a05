#include "ChangePlan.h"

#include "PrinterModels.h"
#include "PrinterReport.h"
#include "SettingsModel.h"
#include "SwitchBits.h"

#include <array>

namespace {

// Why `sw` of the printer cannot be changed; empty when it can.
QString switchRefusal(const SettingsModel &printer, SwitchByte sw)
{
    const QString model = printer.modelName();
    if (!PrinterModels::switchBytes(model).contains(sw))
        return QStringLiteral("model \"%1\" has no %2")
            .arg(PrinterReport::shownText(model), switchName(sw));
    if (!PrinterModels::isInUse(printer, sw))
        return QStringLiteral("%1 is not in use on this %2 while switch 1 of SW2 is OFF")
            .arg(switchName(sw), model);
    if (!printer.switchByte(sw))
        return QStringLiteral("%1 could not be read").arg(switchName(sw));
    return {};
}

} // namespace

ChangePlan ChangePlan::make(const SettingsModel &printer, const QList<SettingRequest> &requests)
{
    ChangePlan plan;
    plan.refusal = listRefusal(requests);
    if (!plan.refusal.isEmpty())
        return plan;

    // The values the printer is to hold, starting from those it holds.
    std::array<std::optional<int>, 3> wanted{};
    std::optional<int> codePage;
    std::optional<int> charset;
    for (const SettingRequest &request : requests) {
        std::optional<int> &value = wanted[std::size_t(request.sw)];
        switch (request.kind) {
        case SettingRequest::Kind::SwitchByte:
        case SettingRequest::Kind::Switch:
            if (const QString refusal = switchRefusal(printer, request.sw); !refusal.isEmpty()) {
                plan.refusal = refusal;
                return plan;
            }
            if (!value)
                value = printer.switchByte(request.sw);
            value = request.kind == SettingRequest::Kind::SwitchByte
                        ? request.value
                        : SwitchBits::withSwitch(*value, request.number - 1, request.off);
            break;
        case SettingRequest::Kind::CodePage:
            codePage = request.value;
            break;
        case SettingRequest::Kind::Charset:
            charset = request.value;
            break;
        }
    }

    for (const SwitchByte sw : PrinterModels::switchBytes(printer.modelName())) {
        const std::optional<int> to = wanted[std::size_t(sw)];
        if (to && *to != *printer.switchByte(sw))
            plan.switches.append({sw, *printer.switchByte(sw), *to});
    }

    if (codePage || charset) {
        // The language write carries both; the one not asked for stays as the printer has it,
        // which must then be an entry of its list.
        LanguageChange language{printer.codePage(), codePage.value_or(0), printer.charset(),
                                charset.value_or(0)};
        if (!codePage) {
            if (!language.codePageFrom ||
                !listRefusal({SettingRequest::codePage(*language.codePageFrom)}).isEmpty()) {
                plan.refusal = QStringLiteral("the printer's code page is not in the list, so "
                                              "the character set cannot be written alone");
                return plan;
            }
            language.codePage = *language.codePageFrom;
        }
        if (!charset) {
            if (!language.charsetFrom ||
                !listRefusal({SettingRequest::charset(*language.charsetFrom)}).isEmpty()) {
                plan.refusal = QStringLiteral("the printer's character set is not in the list, "
                                              "so the code page cannot be written alone");
                return plan;
            }
            language.charset = *language.charsetFrom;
        }
        if (language.codePageFrom != language.codePage || language.charsetFrom != language.charset)
            plan.language = language;
    }
    return plan;
}

bool ChangePlan::isEmpty() const
{
    return switches.isEmpty() && !language;
}

QList<SettingChange> ChangePlan::changes() const
{
    QList<SettingChange> entries;
    for (const SwitchChange &change : switches)
        entries.append({switchName(change.sw), change.from, change.to, int(entries.size())});
    if (language) {
        const int step = int(switches.size());
        if (language->codePageFrom != language->codePage)
            entries.append(
                {QStringLiteral("codepage"), language->codePageFrom, language->codePage, step});
        if (language->charsetFrom != language->charset)
            entries.append(
                {QStringLiteral("charset"), language->charsetFrom, language->charset, step});
    }
    return entries;
}

QString ChangePlan::summary(const SettingChange &change)
{
    const QString before = change.from ? QString::number(*change.from) : QStringLiteral("?");
    return QStringLiteral("%1 %2->%3").arg(change.setting, before).arg(change.to);
}

QStringList ChangePlan::summary() const
{
    QStringList entries;
    for (const SettingChange &change : changes())
        entries << summary(change);
    return entries;
}

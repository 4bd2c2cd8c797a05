#include "PrinterModels.h"

#include <array>

namespace PrinterModels {

namespace {

struct ModelSwitches
{
    QLatin1String model;
    std::array<SwitchByte, 2> readOrder;
    std::array<SwitchByte, 2> pages; // shown on switch pages 1 and 2
};

constexpr std::array kModels{
    ModelSwitches{
        kModelKV4100, {SwitchByte::SW2, SwitchByte::SW3}, {SwitchByte::SW2, SwitchByte::SW3}},
    ModelSwitches{
        kModelZephyr550, {SwitchByte::SW2, SwitchByte::SW1}, {SwitchByte::SW1, SwitchByte::SW2}},
};

const ModelSwitches *find(const QString &model)
{
    for (const ModelSwitches &known : kModels) {
        if (model == known.model)
            return &known;
    }
    return nullptr;
}

} // namespace

QList<SwitchByte> switchBytes(const QString &model)
{
    const ModelSwitches *known = find(model);
    if (known == nullptr)
        return {};
    return {known->readOrder.cbegin(), known->readOrder.cend()};
}

bool isInUse(const QString &model, SwitchByte sw, bool sw2Switch1On)
{
    if (!switchBytes(model).contains(sw))
        return false;
    return model != kModelZephyr550 || sw != SwitchByte::SW1 || sw2Switch1On;
}

std::optional<SwitchByte> switchOfPage(const QString &model, int page)
{
    const ModelSwitches *known = find(model);
    if (known == nullptr || page < 1 || page > int(known->pages.size()))
        return std::nullopt;
    return known->pages[std::size_t(page - 1)];
}

} // namespace PrinterModels

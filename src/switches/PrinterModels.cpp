#include "PrinterModels.h"

#include "SettingsModel.h"
#include "SwitchBits.h"

#include <array>

namespace PrinterModels {

namespace {

struct ModelSwitches
{
    QLatin1String model;
    std::array<SwitchByte, 2> readOrder;
    std::array<SwitchByte, 2> pages; // shown on switch pages 1 and 2
    // The byte in use only while switch 1 of SW2 is ON.
    std::optional<SwitchByte> followsSw2;
};

constexpr std::array kModels{
    ModelSwitches{kModelKV4100,
                  {SwitchByte::SW2, SwitchByte::SW3},
                  {SwitchByte::SW2, SwitchByte::SW3},
                  std::nullopt},
    ModelSwitches{kModelZephyr550,
                  {SwitchByte::SW2, SwitchByte::SW1},
                  {SwitchByte::SW1, SwitchByte::SW2},
                  SwitchByte::SW1},
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

bool isInUse(const QString &model, SwitchByte sw, std::optional<quint8> sw2)
{
    if (!switchBytes(model).contains(sw))
        return false;
    return find(model)->followsSw2 != sw || (sw2 && !SwitchBits::isOff(*sw2, 0));
}

bool isInUse(const SettingsModel &printer, SwitchByte sw)
{
    return isInUse(printer.modelName(), sw, printer.switchByte(SwitchByte::SW2));
}

QList<SwitchByte> switchesInUse(const SettingsModel &printer)
{
    QList<SwitchByte> inUse = switchBytes(printer.modelName());
    inUse.removeIf([&printer](SwitchByte sw) { return !isInUse(printer, sw); });
    return inUse;
}

std::optional<SwitchByte> switchOfPage(const QString &model, int page)
{
    const ModelSwitches *known = find(model);
    if (known == nullptr || page < 1 || page > int(known->pages.size()))
        return std::nullopt;
    return known->pages[std::size_t(page - 1)];
}

} // namespace PrinterModels

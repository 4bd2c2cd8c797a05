#pragma once

#include "SwitchTypes.h"

#include <QList>
#include <QString>

#include <optional>

// What the two known printer models have: their switch bytes, in the order they are read, and
// which of them the two switch pages show. Any other model name has none.
namespace PrinterModels {

// "KV-4100": SW2 and SW3; "ZEPHYR-550": SW2 and SW1.
QList<SwitchByte> switchBytes(const QString &model);

// Whether a switch byte of the model is in use. A ZEPHYR-550 uses SW1 only while switch 1 of its
// SW2 is ON (the software switches rule instead of the hardware switches); it is read after SW2.
bool isInUse(const QString &model, SwitchByte sw, bool sw2Switch1On);

// The switch byte shown on switch page 1 or 2: SW2 and SW3 on a KV-4100, SW1 and SW2 on a
// ZEPHYR-550; none on other pages and for other models.
std::optional<SwitchByte> switchOfPage(const QString &model, int page);

} // namespace PrinterModels

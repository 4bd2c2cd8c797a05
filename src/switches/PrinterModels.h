#pragma once

#include "SwitchTypes.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

struct SettingsModel;

// What the two known printer models have: their switch bytes, in the order they are read, which
// of them are in use, and which of them the two switch pages show. Any other model name has none.
namespace PrinterModels {

// "KV-4100": SW2 and SW3; "ZEPHYR-550": SW2 and SW1.
QList<SwitchByte> switchBytes(const QString &model);

// Whether a printer of `model` whose SW2 holds `sw2` uses switch byte `sw`. A ZEPHYR-550 uses SW1
// only while switch 1 of its SW2 is ON (the software switches rule instead of the hardware
// switches), so that its SW2 is read first; an SW2 not known leaves its SW1 unused.
bool isInUse(const QString &model, SwitchByte sw, std::optional<quint8> sw2);
// The same for the printer's model, with its SW2 as last read.
bool isInUse(const SettingsModel &printer, SwitchByte sw);
// The switch bytes the printer's model uses, with its SW2 as last read, in their reading order:
// SW2 and SW3 on a KV-4100; SW2 and, while switch 1 of that SW2 is ON, SW1 on a ZEPHYR-550; none
// on any other model.
QList<SwitchByte> switchesInUse(const SettingsModel &printer);

// The switch byte shown on switch page 1 or 2: SW2 and SW3 on a KV-4100, SW1 and SW2 on a
// ZEPHYR-550; none on other pages and for other models.
std::optional<SwitchByte> switchOfPage(const QString &model, int page);

} // namespace PrinterModels

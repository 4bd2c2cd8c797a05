#pragma once

#include "SwitchTypes.h"

#include <QString>

#include <optional>

// The text to write into one meaning label.
struct MeaningUpdate
{
    int labelIndex; // index into lblSW1Function / lblSW2Function / lblSW3Function
    QString text;
};

namespace SwitchMeanings {

// What refreshing switch `index` (0 to 7) of `sw` writes, given the states of all eight pairs
// and the model name the printer reported: the label and its new text, or nothing when that
// switch has no text to write (SW1 switch 2 writes label 0; SW2 on a foreign model writes
// nothing for switches 1 to 4; SW3 writes only for switch 1; an index outside 0 to 7 writes
// nothing).
std::optional<MeaningUpdate> meaning(SwitchByte sw, const QString &model, int index,
                                     const SwitchPairs &pairs);

// The same for a switch byte read as a value 0 to 255.
std::optional<MeaningUpdate> meaning(SwitchByte sw, const QString &model, int index, int value);

// The serial baud rate an SW1 value chooses on a ZEPHYR-550 (switches 1 and 2).
int sw1BaudRate(int value);

} // namespace SwitchMeanings

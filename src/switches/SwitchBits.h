#pragma once

#include "SwitchTypes.h"

#include <QtGlobal>

#include <array>

// A switch byte as eight switches and back. OFF stands for a set bit, ON for a clear one;
// switch 1 (index 0) is bit 0.
namespace SwitchBits {

// The OFF state of each switch for a value 0 to 255.
std::array<bool, 8> offStates(int value);

// Whether switch `index` (0 to 7) of a value is OFF, and the value with that switch set.
bool isOff(int value, int index);
int withSwitch(int value, int index, bool off);

// The value whose set bits are the switches whose OFF button is selected.
int valueFromOffStates(const std::array<bool, 8> &off);

// The value as decimal digit characters, left-aligned, 0 for missing digits:
// 0 -> '0',0,0; 37 -> '3','7',0; 200 -> '2','0','0'.
std::array<quint8, 3> digitCodes(int value);

} // namespace SwitchBits

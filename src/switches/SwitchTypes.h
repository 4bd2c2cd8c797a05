#pragma once

#include <QLatin1String>
#include <QString>

#include <array>

// The three software switch bytes of the printer.
enum class SwitchByte { SW1, SW2, SW3 };

// 1, 2, 3.
inline int switchNumber(SwitchByte sw)
{
    return static_cast<int>(sw) + 1;
}

// "SW1", "SW2", "SW3".
inline QString switchName(SwitchByte sw)
{
    return QStringLiteral("SW%1").arg(switchNumber(sw));
}

// The state of one ON/OFF option pair.
enum class PairState { On, Off, None };

// The eight pairs of one switch byte; index 0 is switch 1 (bit 0).
using SwitchPairs = std::array<PairState, 8>;

// The model names the printer reports, compared whole and case-sensitively.
inline constexpr QLatin1String kModelKV4100{"KV-4100"};
inline constexpr QLatin1String kModelZephyr550{"ZEPHYR-550"};

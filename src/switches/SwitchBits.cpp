#include "SwitchBits.h"

#include <algorithm>
#include <cstddef>

namespace SwitchBits {

namespace {

// Values outside a byte are held to its ends, as the remainder scan over the bit weights would
// treat them: everything above 255 shows all switches OFF, everything below 0 all ON.
int toByte(int value)
{
    return std::clamp(value, 0, 255);
}

} // namespace

bool isOff(int value, int index)
{
    return (toByte(value) >> index & 1) != 0;
}

int withSwitch(int value, int index, bool off)
{
    const int bit = 1 << index;
    return off ? (value | bit) : (value & ~bit);
}

std::array<bool, 8> offStates(int value)
{
    std::array<bool, 8> off{};
    for (int i = 0; i < 8; ++i)
        off[i] = isOff(value, i);
    return off;
}

int valueFromOffStates(const std::array<bool, 8> &off)
{
    int value = 0;
    for (int i = 0; i < 8; ++i)
        value = withSwitch(value, i, off[i]);
    return value;
}

std::array<quint8, 3> digitCodes(int value)
{
    // The digits are worked out from the clamped byte, so that at most three are ever written.
    const int byte = toByte(value);
    const std::size_t count = byte >= 100 ? 3 : byte >= 10 ? 2 : 1;
    std::array<quint8, 3> codes{};
    int rest = byte;
    for (std::size_t i = count; i-- > 0; rest /= 10)
        codes[i] = quint8('0' + rest % 10);
    return codes;
}

} // namespace SwitchBits

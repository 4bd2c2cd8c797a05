#include "SwitchBits.h"

#include <QByteArray>

#include <algorithm>

namespace SwitchBits {

namespace {

// Values outside a byte are held to its ends, as the remainder scan over the bit weights would
// treat them: everything above 255 shows all switches OFF, everything below 0 all ON.
int toByte(int value)
{
    return std::clamp(value, 0, 255);
}

} // namespace

std::array<bool, 8> offStates(int value)
{
    const int byte = toByte(value);
    std::array<bool, 8> off{};
    for (int i = 0; i < 8; ++i)
        off[i] = (byte >> i & 1) != 0;
    return off;
}

int valueFromOffStates(const std::array<bool, 8> &off)
{
    int value = 0;
    for (int i = 0; i < 8; ++i) {
        if (off[i])
            value |= 1 << i;
    }
    return value;
}

std::array<quint8, 3> digitCodes(int value)
{
    const QByteArray digits = QByteArray::number(toByte(value));
    std::array<quint8, 3> codes{};
    std::copy(digits.cbegin(), digits.cend(), codes.begin());
    return codes;
}

} // namespace SwitchBits

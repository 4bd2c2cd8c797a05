#include "CommandBytes.h"

namespace CommandBytes {

namespace {

constexpr char kGS = 0x1D;
constexpr char kNul = 0x00;

QByteArray settingCommand(char action, QByteArrayView tail)
{
    QByteArray command;
    command.append(kGS).append('g').append(action).append(tail);
    return command;
}

} // namespace

quint8 switchSetting(SwitchByte sw)
{
    switch (sw) {
    case SwitchByte::SW1:
        return 39;
    case SwitchByte::SW2:
        return 40;
    case SwitchByte::SW3:
        return 41;
    }
    return 0;
}

QByteArray settingQuery(quint8 setting)
{
    return settingCommand('4', QByteArray(1, char(setting)));
}

QByteArray switchQuery(SwitchByte sw)
{
    return settingQuery(switchSetting(sw)).append(kNul);
}

QByteArray printerId(quint8 n)
{
    QByteArray command;
    command.append(kGS).append('I').append(char(n));
    return command;
}

QByteArray settingWrite(quint8 setting, std::span<const quint8> codes)
{
    QByteArray command = settingCommand('8', QByteArray(1, char(setting)));
    for (quint8 code : codes)
        command.append(char(code));
    return command.append(kNul);
}

QByteArray switchWrite(SwitchByte sw, const std::array<quint8, 3> &digits)
{
    return settingWrite(switchSetting(sw), digits);
}

QByteArray codePageWrite(const std::array<quint8, 3> &digits)
{
    return settingWrite(kCodePageSetting, digits);
}

QByteArray codePageNameWrite(const std::array<quint8, 20> &codes)
{
    return settingWrite(kCodePageNameSetting, codes);
}

QByteArray interCharsWrite(const std::array<quint8, 2> &digits)
{
    return settingWrite(kInterCharsSetting, digits);
}

QByteArray unlock()
{
    return settingCommand('u', QByteArrayView("nl\0", 3));
}

QByteArray lock()
{
    return settingCommand('l', QByteArrayView("ck\0", 3));
}

QByteArray selfTest()
{
    // pL = 2 and pH = 0 give two parameter bytes: n = 0, m = 2.
    constexpr char kCommand[] = {kGS, '(', 'A', 2, 0, 0, 2};
    return QByteArray(kCommand, sizeof kCommand);
}

} // namespace CommandBytes

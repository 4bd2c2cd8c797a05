#pragma once

#include "SwitchTypes.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <span>

// The bytes of every command the utility sends, built fresh for each call. All of them begin
// with GS; the printer's own settings are read with GS g "4" n and written with GS g "8" n.
namespace CommandBytes {

// Printer settings read with GS g "4" n; the language ones are written with GS g "8" n too.
inline constexpr quint8 kHoursPoweredSetting = 16;
inline constexpr quint8 kCutCountSetting = 22;
inline constexpr quint8 kCodePageSetting = 33;
inline constexpr quint8 kInterCharsSetting = 34;
inline constexpr quint8 kCodePageNameSetting = 36;

// Printer identification read with GS I n.
inline constexpr quint8 kFirmwareId = 65;
inline constexpr quint8 kMakerId = 66;
inline constexpr quint8 kModelId = 67;
inline constexpr quint8 kFontTypeId = 69;

// The setting number of a switch byte: 39, 40 or 41.
quint8 switchSetting(SwitchByte sw);

// GS g "4" n: reads setting n.
QByteArray settingQuery(quint8 setting);
// GS g "4" n NUL: reads a switch byte.
QByteArray switchQuery(SwitchByte sw);
// GS I n: transmits printer identification n.
QByteArray printerId(quint8 n);

// GS g "8" n, the value codes, NUL: writes setting n.
QByteArray settingWrite(quint8 setting, std::span<const quint8> codes);
QByteArray switchWrite(SwitchByte sw, const std::array<quint8, 3> &digits);
QByteArray codePageWrite(const std::array<quint8, 3> &digits);
QByteArray codePageNameWrite(const std::array<quint8, 20> &codes);
QByteArray interCharsWrite(const std::array<quint8, 2> &digits);

// GS g "u" "n" "l" NUL and GS g "l" "c" "k" NUL, around every setting write.
QByteArray unlock();
QByteArray lock();

// GS ( A with pL 2, pH 0, n 0, m 2: prints the self test.
QByteArray selfTest();

} // namespace CommandBytes

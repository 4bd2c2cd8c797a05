#pragma once

#include "SwitchTypes.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The information rows of the printer's two groups, each 0 to 3.
enum class InfoGroup { Printer, Language };

// What the printer holds, as its queries delivered it, and what the user chose to write. The
// queries fill the first part; the writes take their bytes from the second. The window renders it
// and hands the user's edits back into it; printer-switch reads and writes it directly.
struct SettingsModel
{
    // The last maker-name reply, "**" before the first.
    QString makerName = QStringLiteral("**");
    // Printer information 1 to 4 (model name, firmware revision, hours powered, cut paper count)
    // and language information 1 to 4 (language model, font ROM, code page, international
    // character set), as the printer sent them; nothing until a reply came.
    std::array<std::optional<QString>, 4> printerInfo;
    std::array<std::optional<QString>, 4> languageInfo;
    // The switch bytes as last read; nothing when the last query got no byte.
    std::array<std::optional<quint8>, 3> switches;

    // What the next switch writes send, and what the next language write sends: a code page and
    // a character set of the lists, nothing while none is chosen.
    std::array<quint8, 3> switchesToWrite{};
    std::optional<int> codePageToWrite;
    std::optional<int> charsetToWrite = 0;

    // The model name the printer reported; empty before.
    QString modelName() const;
    std::optional<QString> &info(InfoGroup group, int index);
    std::optional<quint8> switchByte(SwitchByte sw) const;
    std::optional<quint8> &switchByte(SwitchByte sw);
    quint8 switchToWrite(SwitchByte sw) const;
    quint8 &switchToWrite(SwitchByte sw);
    // The code page and character set the printer reported, as LanguageTables::reportedNumber
    // reads the reply; the reply text itself, empty without one.
    std::optional<int> codePage() const;
    std::optional<int> charset() const;
    QString codePageText() const;
    QString charsetText() const;
};

#pragma once

#include "SettingsModel.h"
#include "SwitchTypes.h"

#include "CommandChannel.h"

// What became of a write:
// - Written: every command reached the printer.
// - Refused: nothing was sent because the window lacked a value (the user has been told).
// - NotRead: nothing was sent because the switch byte was never read from the printer, so the
//   page does not show what the printer holds.
// - OutOfStep: nothing was sent because the printer's answers proved out of step with the
//   questions (the values read since the last proof are unread).
// - Changed: nothing was sent because the setting, read again right before the write, is not
//   what the page was read with (or did not come).
// - Failed: nothing of the write reached the printer, which holds what it held.
// - Unknown: the link ended between the unlock and the lock: the printer may hold part of the
//   new settings and may be left unlocked.
enum class WriteResult { Written, Refused, NotRead, OutOfStep, Changed, Failed, Unknown };

// The printer's queries and writes as the user workflows use them. Queries return true when the
// reply was accepted and show it; writes send unlock, their settings and lock. A switch byte is
// written only after its last query succeeded. Before the unlock of every write the link is
// proved in step and the settings the write starts from are read again.
class CommandSet
{
public:
    virtual ~CommandSet() = default;

    virtual bool getMakerInfo() = 0;
    // Row `index` (0 to 3) of the printer or of the language information.
    virtual bool getInfo(InfoGroup group, int index) = 0;
    virtual bool getSwitch(SwitchByte sw) = 0;

    // Asks the question of known answer; when another answer comes, the values read since the
    // last proof become unread (the front end tells the user).
    virtual InStepProof proveInStep() = 0;

    virtual WriteResult setSwitch(SwitchByte sw) = 0;
    virtual WriteResult setLanguage() = 0;

    // The queries and writes by their own names.
    bool getPrinterInfo1() { return getInfo(InfoGroup::Printer, 0); }
    bool getPrinterInfo2() { return getInfo(InfoGroup::Printer, 1); }
    bool getPrinterInfo3() { return getInfo(InfoGroup::Printer, 2); }
    bool getPrinterInfo4() { return getInfo(InfoGroup::Printer, 3); }
    bool getLanguageInfo1() { return getInfo(InfoGroup::Language, 0); }
    bool getLanguageInfo2() { return getInfo(InfoGroup::Language, 1); }
    bool getLanguageInfo3() { return getInfo(InfoGroup::Language, 2); }
    bool getLanguageInfo4() { return getInfo(InfoGroup::Language, 3); }
    bool getSW1() { return getSwitch(SwitchByte::SW1); }
    bool getSW2() { return getSwitch(SwitchByte::SW2); }
    bool getSW3() { return getSwitch(SwitchByte::SW3); }
    WriteResult setSW1() { return setSwitch(SwitchByte::SW1); }
    WriteResult setSW2() { return setSwitch(SwitchByte::SW2); }
    WriteResult setSW3() { return setSwitch(SwitchByte::SW3); }
};

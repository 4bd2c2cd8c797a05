#pragma once

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
    virtual bool getPrinterInfo1() = 0;
    virtual bool getPrinterInfo2() = 0;
    virtual bool getPrinterInfo3() = 0;
    virtual bool getPrinterInfo4() = 0;
    virtual bool getLanguageInfo1() = 0;
    virtual bool getLanguageInfo2() = 0;
    virtual bool getLanguageInfo3() = 0;
    virtual bool getLanguageInfo4() = 0;
    virtual bool getSW1() = 0;
    virtual bool getSW2() = 0;
    virtual bool getSW3() = 0;

    // Asks the question of known answer; when another answer comes, the values read since the
    // last proof become unread (the front end tells the user).
    virtual InStepProof proveInStep() = 0;

    virtual WriteResult setSW1() = 0;
    virtual WriteResult setSW2() = 0;
    virtual WriteResult setSW3() = 0;
    virtual WriteResult setLanguage() = 0;
};

// The query and the write of switch byte `sw`: getSW1 / setSW1 and so on.
bool getSwitch(CommandSet &commands, SwitchByte sw);
WriteResult setSwitch(CommandSet &commands, SwitchByte sw);

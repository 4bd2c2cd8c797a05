#pragma once

#include "SwitchTypes.h"

// What became of a write: every command reached the printer; nothing was sent because the
// window lacked a value (the user has been told); nothing was sent because the switch byte was
// never read from the printer, so the page does not show what the printer holds; or some command
// could not be sent.
enum class WriteResult { Written, Refused, NotRead, Failed };

// The printer's queries and writes as the user workflows use them. Queries return true when the
// reply was accepted and show it; writes send unlock, their settings and lock. A switch byte is
// written only after its last query succeeded.
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

    virtual WriteResult setSW1() = 0;
    virtual WriteResult setSW2() = 0;
    virtual WriteResult setSW3() = 0;
    virtual WriteResult setLanguage() = 0;
};

// The query and the write of switch byte `sw`: getSW1 / setSW1 and so on.
bool getSwitch(CommandSet &commands, SwitchByte sw);
WriteResult setSwitch(CommandSet &commands, SwitchByte sw);

#pragma once

#include "SwitchTypes.h"

#include <QString>

// What the communication test reads from the front end between its queries, and what it has the
// front end do once the language information is in. The window implements it over its labels,
// option buttons and lists; the command line over the values it recorded.
class CommunicationView
{
public:
    virtual ~CommunicationView() = default;

    // The model name the printer reported (the first printer-information value).
    virtual QString modelName() const = 0;
    // True when switch `index` (0 to 7) of `sw` is ON as last read.
    virtual bool isSwitchOn(SwitchByte sw, int index) const = 0;
    // The language queries have run: the front end takes the code page and then the character
    // set just read (choosing a code page resets the character set, so that comes second).
    virtual void showLanguage() = 0;
};

#pragma once

#include "LptDevice.h"
#include "OpenFailure.h"

#include <QString>

// Windows' error codes as the link reports them: the code and the system's own text for it.
namespace WinErrors {

// The code (GetLastError) and the system's text for it, in the user's language.
SystemError fromCode(unsigned long code);

// A failed open of `device` with the system's error code: a missing port, one that another
// program holds, one that cannot be a printer's port, else the system's failure as it stands.
// An empty device is a request without a device.
OpenFailure openFailure(const QString &device, unsigned long code);

} // namespace WinErrors

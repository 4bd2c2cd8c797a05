#pragma once

#include "LinkStatus.h"

// The TCP status box that the printer link keeps up to date. The window implements it; the
// command line, which has none, shows nothing.
class LinkStatusView
{
public:
    virtual ~LinkStatusView() = default;

    // Shows a state of the TCP connection in the status box.
    virtual void showLinkStatus(const LinkStatusStyle &style) = 0;
};

#pragma once

#include "EventPump.h"

// Waits on the calling thread and runs single passes of its event loop without user input.
class SystemEventPump : public EventPump
{
public:
    void sleep(int milliseconds) override;
    void processEvents() override;
};

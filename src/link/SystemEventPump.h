#pragma once

#include "EventPump.h"

#include <QElapsedTimer>

// Waits on the calling thread and runs single passes of its event loop without user input.
class SystemEventPump : public EventPump
{
public:
    SystemEventPump();

    void sleep(std::chrono::milliseconds duration) override;
    void processEvents() override;
    std::chrono::milliseconds now() const override;

private:
    QElapsedTimer m_clock;
};

#pragma once

#include "EventPump.h"

#include <QElapsedTimer>

// Waits on the calling thread and runs single passes of its event loop. User input that arrives
// meanwhile (clicks, keys, wheel, touch) is dropped, not kept for later: a button the user
// pressed while it was disabled for an exchange never acts on that press. Everything else, a
// close request from the window manager included, is delivered.
class QtEventPump : public EventPump
{
public:
    QtEventPump();

    void sleep(std::chrono::milliseconds duration) override;
    void processEvents() override;
    std::chrono::milliseconds now() const override;

private:
    QElapsedTimer m_clock;
};

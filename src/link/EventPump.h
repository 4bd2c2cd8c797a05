#pragma once

#include <chrono>

// How the link waits and tells the time: a pause of the calling thread, one pass of the event
// loop that lets timer and socket events run but no user input, so that no click can start a
// second transaction in the middle of one, and a steady clock for the bounds of every wait.
class EventPump
{
public:
    virtual ~EventPump() = default;

    virtual void sleep(std::chrono::milliseconds duration) = 0;
    virtual void processEvents() = 0;
    virtual std::chrono::milliseconds now() const = 0;
};

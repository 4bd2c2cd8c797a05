#pragma once

// How the link waits: a pause of the calling thread, and one pass of the event loop that lets
// timer and socket events run but no user input, so that no click can start a second
// transaction in the middle of one.
class EventPump
{
public:
    virtual ~EventPump() = default;

    virtual void sleep(int milliseconds) = 0;
    virtual void processEvents() = 0;
};

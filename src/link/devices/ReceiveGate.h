#pragma once

#include <QtGlobal>

// Whether a device keeps what the printer sends: only while the link is receiving a reply. The
// rest of the time the device drops the bytes as they come, so that a printer that talks to an
// idle link costs no memory; and while receiving, a device keeps at most kBufferSize bytes.
class ReceiveGate
{
public:
    // The most received bytes a device keeps at once; beyond it the device stops reading.
    static constexpr qint64 kBufferSize = 64 * 1024;

    void setReceiving(bool receiving) { m_receiving = receiving; }
    bool receiving() const { return m_receiving; }
    // Runs `drop` on bytes that arrived while the link is not receiving.
    template<typename Drop> void pass(Drop &&drop) const
    {
        if (!m_receiving)
            drop();
    }

private:
    bool m_receiving = false;
};

#include "DryRunChannel.h"

#include <utility>

DryRunChannel::DryRunChannel(CommandChannel &link)
    : m_link(link)
{}

void DryRunChannel::holdWrites(bool hold)
{
    m_holding = hold;
}

QList<QByteArray> DryRunChannel::takeHeld()
{
    return std::exchange(m_held, {});
}

int DryRunChannel::queriesSent() const
{
    return m_queriesSent;
}

bool DryRunChannel::SendCommand(const QByteArray &command, QString &reply)
{
    const bool query = reply == QLatin1String("R");
    if (query) {
        const bool sent = m_link.SendCommand(command, reply);
        m_queryRefused = m_queryRefused || !sent;
        if (!m_queryRefused)
            ++m_queriesSent;
        return sent;
    }
    if (!m_holding)
        return m_link.SendCommand(command, reply);
    m_held.append(command);
    reply.clear();
    return true;
}

bool DryRunChannel::SendClosingCommand(const QByteArray &command)
{
    if (!m_holding)
        return m_link.SendClosingCommand(command);
    m_held.append(command);
    return true;
}

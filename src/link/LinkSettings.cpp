#include "LinkSettings.h"

std::optional<TcpPort> tcpPortFromText(const QString &text)
{
    bool numeric = false;
    const int port = text.trimmed().toInt(&numeric);
    if (!numeric || port < 0 || port > 0xFFFF)
        return std::nullopt;
    return TcpPort(port);
}

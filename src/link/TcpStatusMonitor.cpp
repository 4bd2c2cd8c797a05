#include "TcpStatusMonitor.h"

#include "LinkStatus.h"
#include "LinkStatusView.h"
#include "TcpClient.h"

#include <chrono>

namespace {

constexpr std::chrono::milliseconds kInterval{1000};
// No state code is -1.
constexpr int kNoState = -1;

} // namespace

TcpStatusMonitor::TcpStatusMonitor(const TcpClient &tcp, LinkStatusView &view, QObject *parent)
    : QObject(parent)
    , m_tcp(tcp)
    , m_view(view)
{
    m_timer.setInterval(kInterval);
    connect(&m_timer, &QTimer::timeout, this, &TcpStatusMonitor::refresh);
}

void TcpStatusMonitor::refresh()
{
    if (m_tcp.state() == m_shownState)
        return;
    m_shownState = m_tcp.state();
    m_view.showLinkStatus(linkStatusStyle(m_shownState));
}

void TcpStatusMonitor::redraw()
{
    m_shownState = kNoState;
    refresh();
}

void TcpStatusMonitor::start()
{
    m_timer.start();
}

void TcpStatusMonitor::stop()
{
    m_timer.stop();
}

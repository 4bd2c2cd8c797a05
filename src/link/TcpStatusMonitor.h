#pragma once

#include <QObject>
#include <QTimer>

class LinkStatusView;
class TcpClient;

// Shows the state of the TCP connection in the window's status box. The box is redrawn only
// when the state code differs from the one shown last; while a connection is open, a timer
// looks once a second.
class TcpStatusMonitor : public QObject
{
    Q_OBJECT

public:
    TcpStatusMonitor(const TcpClient &tcp, LinkStatusView &view, QObject *parent = nullptr);

    // Redraws the status box when the state has changed since it was last shown.
    void refresh();
    // Redraws the status box whatever the state is.
    void redraw();

    // The once-a-second refresh, from a connection request to the close.
    void start();
    void stop();

private:
    const TcpClient &m_tcp;
    LinkStatusView &m_view;
    QTimer m_timer;
    // The state code shown last; at start the client is closed and the box is empty.
    int m_shownState = 0;
};

#include "ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Room kept around a control scrolled into view, so that its neighbours show where it stands.
constexpr int kFocusMargin = 8;

} // namespace

ScreenFit::ScreenFit(QWidget &window)
    : QObject(&window)
    , m_window(window)
    , m_designSize(window.size())
    , m_area(new QScrollArea(&window))
{
    m_area->setObjectName(QStringLiteral("windowScrollArea"));
    m_area->setFrameShape(QFrame::NoFrame);
    // Only the controls take the focus; the area scrolls to them.
    m_area->setFocusPolicy(Qt::NoFocus);
    // The contents are a child of the window from the start, so that the controls keep their
    // stacking and their order in the focus chain when they move into it.
    auto *contents = new QWidget(&window);
    contents->setObjectName(QStringLiteral("windowContents"));
    contents->setFixedSize(m_designSize);
    const QList<QWidget *> controls = window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls) {
        if (control != m_area && control != contents && !control->isWindow())
            control->setParent(contents);
    }
    m_area->setWidget(contents);
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_area);

    window.installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *focused) { showFocused(focused); });
    watchScreen(window.screen());
    fit();
}

bool ScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    // Once shown, the window's frame is known; it may also move to another screen.
    if (watched == &m_window &&
        (event->type() == QEvent::Show || event->type() == QEvent::ScreenChangeInternal)) {
        watchScreen(m_window.screen());
        fit();
    }
    return QObject::eventFilter(watched, event);
}

void ScreenFit::watchScreen(QScreen *screen)
{
    if (screen == m_screen)
        return;
    if (m_screen)
        disconnect(m_screen, nullptr, this, nullptr);
    m_screen = screen;
    if (screen != nullptr)
        connect(screen, &QScreen::availableGeometryChanged, this, &ScreenFit::fit);
}

void ScreenFit::fit()
{
    if (!m_screen)
        return;
    const QRect available = m_screen->availableGeometry();
    const QSize frame = m_window.frameGeometry().size() - m_window.size();
    const QSize room = available.size() - frame;
    if (room.width() >= m_designSize.width() && room.height() >= m_designSize.height()) {
        m_window.setFixedSize(m_designSize);
        return;
    }
    m_window.setMinimumSize(m_area->minimumSizeHint());
    m_window.setMaximumSize(m_designSize);
    m_window.resize(m_designSize.boundedTo(room));
    // The whole window, frame included, inside the available area.
    QRect placed(m_window.pos(), m_window.size() + frame);
    placed.moveRight(std::min(placed.right(), available.right()));
    placed.moveBottom(std::min(placed.bottom(), available.bottom()));
    placed.moveLeft(std::max(placed.left(), available.left()));
    placed.moveTop(std::max(placed.top(), available.top()));
    m_window.move(placed.topLeft());
}

void ScreenFit::showFocused(QWidget *focused)
{
    QWidget *contents = m_area->widget();
    if (focused != nullptr && contents != nullptr && contents->isAncestorOf(focused))
        m_area->ensureWidgetVisible(focused, kFocusMargin, kFocusMargin);
}

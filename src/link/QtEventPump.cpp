#include "QtEventPump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// Swallows user input for the application while it lives. User input reaches the application's
// own thread only, so elsewhere (a worker thread of the command line) there is nothing to drop.
class InputDropper : public QObject
{
public:
    InputDropper()
        : m_application(QThread::currentThread() == QCoreApplication::instance()->thread()
                            ? QCoreApplication::instance()
                            : nullptr)
    {
        if (m_application != nullptr)
            m_application->installEventFilter(this);
    }
    ~InputDropper() override
    {
        if (m_application != nullptr)
            m_application->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return isUserInput(event->type()); }

private:
    QCoreApplication *m_application;
};

} // namespace

QtEventPump::QtEventPump()
{
    m_clock.start();
}

void QtEventPump::sleep(std::chrono::milliseconds duration)
{
    if (duration.count() > 0)
        QThread::msleep(static_cast<unsigned long>(duration.count()));
}

void QtEventPump::processEvents()
{
    const InputDropper dropper;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::chrono::milliseconds QtEventPump::now() const
{
    return std::chrono::milliseconds(m_clock.elapsed());
}

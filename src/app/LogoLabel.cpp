#include "LogoLabel.h"

#include <QPaintEngine>
#include <QPainter>

namespace {

constexpr QSize kLogoSize(298, 129);

} // namespace

LogoLabel::LogoLabel(QWidget *parent)
    : QLabel(parent)
{
    m_logo.addFile(QStringLiteral(":/images/logo.png"), kLogoSize);
    m_logo.addFile(QStringLiteral(":/images/logo@2x.png"), kLogoSize * 2);
}

QSize LogoLabel::sizeHint() const
{
    return kLogoSize;
}

void LogoLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The pixel ratio of the device actually painted on: the screen's backing store, or an image
    // the window is rendered into.
    const QPaintDevice *target = painter.paintEngine()->paintDevice();
    const qreal ratio = target != nullptr ? target->devicePixelRatio() : devicePixelRatio();
    painter.drawPixmap(contentsRect(), m_logo.pixmap(contentsRect().size(), ratio));
}

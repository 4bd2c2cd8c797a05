#include "WrappingPushButton.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap;
// The smallest caption drawn, in points, and the step down to it.
constexpr qreal kSmallestPoints = 6.0;
constexpr qreal kPointStep = 0.5;

} // namespace

QRect WrappingPushButton::captionRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

QFont WrappingPushButton::captionFont() const
{
    const QRect room = captionRect();
    QFont caption = font();
    const auto fits = [&] {
        const QRect needed = QFontMetrics(caption).boundingRect(room, kCaptionFlags, text());
        return needed.width() <= room.width() && needed.height() <= room.height();
    };
    while (!fits() && caption.pointSizeF() - kPointStep >= kSmallestPoints)
        caption.setPointSizeF(caption.pointSizeF() - kPointStep);
    return caption;
}

void WrappingPushButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The style draws the bevel and the focus frame; the caption is drawn here, wrapped.
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setFont(captionFont());
    painter.drawItemText(captionRect(), kCaptionFlags, option.palette, isEnabled(), caption,
                         QPalette::ButtonText);
}

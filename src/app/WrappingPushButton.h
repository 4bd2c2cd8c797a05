#pragma once

#include <QFont>
#include <QPushButton>

// A push button whose caption breaks onto several lines when it is wider than the button, so
// that long captions stay whole on the fixed-size buttons of the window. Where a word is still
// wider than the button in the system's font, the caption is drawn smaller until it fits.
class WrappingPushButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    // The font the caption is drawn in: the button's own, or a smaller one where the caption
    // would not fit in it.
    QFont captionFont() const;
    // Where the caption is drawn.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

#pragma once

#include <QPushButton>

// A push button whose caption breaks onto several lines when it is wider than the button, so
// that long captions stay whole on the fixed-size buttons of the window.
class WrappingPushButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

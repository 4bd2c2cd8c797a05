#pragma once

#include <QIcon>
#include <QLabel>

// The logo, sharp on any screen: drawn from the image that suits the device pixel ratio it is
// painted at (logo.png, logo@2x.png for high-DPI screens).
class LogoLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LogoLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QIcon m_logo;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

class QScreen;
class QScrollArea;
class QWidget;

// Keeps a window of fixed design size usable on a screen smaller than it (a small screen, a
// large scale factor). The window's controls move into a scroll area that fills the window
// without a frame; where the screen's available area holds the window, the window keeps its
// design size, cannot be resized and shows no scroll bar. Where it does not, the window is as
// large as the area allows, can be resized up to its design size, and scroll bars appear; the
// control that takes the focus is scrolled into view.
class ScreenFit : public QObject
{
    Q_OBJECT

public:
    // Takes the window's present size as its design size. Call it once the window's controls
    // are in place.
    explicit ScreenFit(QWidget &window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Sizes the window for the available area of its screen.
    void fit();
    // Follows the screen the window is shown on.
    void watchScreen(QScreen *screen);
    void showFocused(QWidget *focused);

    QWidget &m_window;
    const QSize m_designSize;
    QScrollArea *m_area;
    QPointer<QScreen> m_screen;
};

#pragma once

#include <QColor>
#include <QList>
#include <QPalette>
#include <QPointer>

class QWidget;

// Keeps the texts that the window colours itself (blue values and meanings, the blue address and
// port, the dark blue log, the status box) readable on any palette. On a light palette every
// colour is the one the form or the program gives; when the window's background is dark, each
// text colour becomes a lighter colour of the same hue with a contrast of at least 4.5:1 against
// the background it is drawn on, and a light background of a box becomes the window's own.
class ReadableColours
{
public:
    // The least contrast a text keeps against its background on a dark palette, with a margin
    // for the edges of antialiased glyphs.
    static constexpr double kMinimumContrast = 4.5;

    // Takes note of the colours that the form gives the controls of `window`; they are the
    // colours to keep. Call it before anything else sets a palette.
    explicit ReadableColours(QWidget &window);

    // The colour of `role` on `control` is now `colour` (the program's own, as for the status
    // box), shown readable on the present palette.
    void setColour(QWidget &control, QPalette::ColorRole role, const QColor &colour);
    // Shows every colour noted for the window's present palette; for a palette change.
    void apply();

    // The WCAG 2 contrast ratio of two colours, from 1 to 21.
    static double contrastRatio(const QColor &a, const QColor &b);
    // Whether light text reads better than dark text on `background`.
    static bool isDark(const QColor &background);
    // `colour` on a light background; on a dark one, the colour mixed with white just enough to
    // keep the least contrast against `background`.
    static QColor readableOn(const QColor &colour, const QColor &background);

private:
    struct Noted
    {
        QPointer<QWidget> control;
        QPalette::ColorRole role;
        QColor colour;
    };
    void show(const Noted &noted) const;
    // The background that a text of `control` in `role` is drawn on, as shown now.
    QColor backgroundOf(const QWidget &control, QPalette::ColorRole role) const;
    QColor shownBase(const QColor &colour) const;
    static QColor paneBackground(const QPalette &palette);
    // `colour` mixed with white just enough to keep the least contrast against `background`.
    static QColor lightenedAgainst(const QColor &colour, const QColor &background);

    QWidget &m_window;
    QList<Noted> m_noted;
};

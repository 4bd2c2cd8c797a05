#include "ReadableColours.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr QPalette::ColorRole kNotedRoles[] = {QPalette::WindowText, QPalette::Text,
                                               QPalette::Base};
// Mixing towards white goes in steps this fine.
constexpr int kMixSteps = 64;
// The luminance at which black and white text have the same contrast.
constexpr double kEvenLuminance = 0.179;
// Aimed a little above the least contrast, so that the edges of glyphs keep it too.
constexpr double kContrastMargin = 0.5;
// How much lighter than the window a style may paint a pane, in percent.
constexpr int kPaneLightening = 135;

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

QColor mixedWithWhite(const QColor &colour, double share)
{
    const QColor rgb = colour.toRgb();
    const auto mix = [share](double value) { return value + (1.0 - value) * share; };
    return QColor::fromRgbF(float(mix(rgb.redF())), float(mix(rgb.greenF())),
                            float(mix(rgb.blueF())));
}

} // namespace

ReadableColours::ReadableColours(QWidget &window)
    : m_window(window)
{
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    for (QWidget *control : controls) {
        for (const QPalette::ColorRole role : kNotedRoles) {
            if (control->palette().isBrushSet(QPalette::Active, role))
                m_noted.append({control, role, control->palette().color(QPalette::Active, role)});
        }
    }
}

void ReadableColours::setColour(QWidget &control, QPalette::ColorRole role, const QColor &colour)
{
    auto noted = std::find_if(m_noted.begin(), m_noted.end(), [&](const Noted &n) {
        return n.control == &control && n.role == role;
    });
    if (noted == m_noted.end()) {
        m_noted.append({&control, role, colour});
        noted = std::prev(m_noted.end());
    }
    noted->colour = colour;
    show(*noted);
}

void ReadableColours::apply()
{
    for (const Noted &noted : std::as_const(m_noted))
        show(noted);
}

void ReadableColours::show(const Noted &noted) const
{
    if (!noted.control)
        return;
    // The window's background decides whether the palette is dark; the text must then stand
    // out from the background it is drawn on.
    QColor shown = noted.colour;
    if (noted.role == QPalette::Base)
        shown = shownBase(noted.colour);
    else if (isDark(m_window.palette().color(QPalette::Window)))
        shown = lightenedAgainst(noted.colour, backgroundOf(*noted.control, noted.role));
    // As the form sets them: for the active and the inactive window; a disabled control keeps
    // the palette's own colours.
    QPalette palette = noted.control->palette();
    palette.setColor(QPalette::Active, noted.role, shown);
    palette.setColor(QPalette::Inactive, noted.role, shown);
    noted.control->setPalette(palette);
}

QColor ReadableColours::backgroundOf(const QWidget &control, QPalette::ColorRole role) const
{
    // Read from the window: on a palette change the window hears of it before its controls.
    const QPalette &window = m_window.palette();
    if (role != QPalette::Text)
        return paneBackground(window);
    const auto ownBase = std::find_if(m_noted.cbegin(), m_noted.cend(), [&](const Noted &n) {
        return n.control == &control && n.role == QPalette::Base;
    });
    return ownBase != m_noted.cend() ? shownBase(ownBase->colour) : window.color(QPalette::Base);
}

QColor ReadableColours::paneBackground(const QPalette &palette)
{
    // A label stands on the window or on a pane that the style paints (a tab page, a group),
    // which styles draw up to about a third lighter than the window or button colour. The
    // lightest of them is the background a light text must stand out from.
    QColor lightest = palette.color(QPalette::Window);
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Button}) {
        const QColor pane = palette.color(role).lighter(kPaneLightening);
        if (luminance(pane) > luminance(lightest))
            lightest = pane;
    }
    return lightest;
}

QColor ReadableColours::shownBase(const QColor &colour) const
{
    const QColor window = m_window.palette().color(QPalette::Window);
    return isDark(window) ? window : colour;
}

double ReadableColours::contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool ReadableColours::isDark(const QColor &background)
{
    return luminance(background) < kEvenLuminance;
}

QColor ReadableColours::readableOn(const QColor &colour, const QColor &background)
{
    return isDark(background) ? lightenedAgainst(colour, background) : colour;
}

QColor ReadableColours::lightenedAgainst(const QColor &colour, const QColor &background)
{
    for (int step = 0; step < kMixSteps; ++step) {
        const QColor mixed = mixedWithWhite(colour, double(step) / kMixSteps);
        if (contrastRatio(mixed, background) >= kMinimumContrast + kContrastMargin)
            return mixed;
    }
    return Qt::white;
}

#include "ui/common/ThemeColours.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace pellimor {

namespace {

constexpr std::uint32_t SystemColour = 0x80000000u;

// The light a drawn channel value gives off.
double linear(int value)
{
    const double channel = value / 255.0;
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// Colours are drawn with 8 bits a channel; the contrast that counts is that of the
// colour as drawn, not of the finer one QColor could hold.
QColor drawn(const QColor& colour)
{
    return QColor(colour.rgb());
}

QColor withLightness(const QColor& colour, double lightness)
{
    return drawn(QColor::fromHslF(colour.hslHueF(), colour.hslSaturationF(), float(lightness)));
}

bool readable(const QColor& text, const QColor& background)
{
    return ThemeColours::contrast(text, background) >= ThemeColours::LeastContrast;
}

// The readable lightness nearest to `from` on the way to `to`, if there is one: contrast
// grows steadily as the lightness moves away from the background's.
std::optional<double> nearestOnTheWay(const QColor& colour, const QColor& background, double from, double to)
{
    if (!readable(withLightness(colour, to), background))
        return std::nullopt;
    double near = from, far = to;
    for (int step = 0; step < 24; ++step) {
        const double middle = (near + far) / 2;
        (readable(withLightness(colour, middle), background) ? far : near) = middle;
    }
    return far;
}

QColor systemColour(const QPalette& palette, std::uint32_t value)
{
    switch (value & 0xFFu) {
    case 4: return palette.color(QPalette::Active, QPalette::Window);
    case 5: return palette.color(QPalette::Active, QPalette::Base);
    default: return palette.color(QPalette::Active, QPalette::Button);
    }
}

QColor fixedColour(std::uint32_t value)
{
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

void setRole(QPalette& palette, QPalette::ColorRole role, const QColor& colour)
{
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, role, colour);
}

} // namespace

double ThemeColours::luminance(const QColor& colour)
{
    const QColor c = drawn(colour);
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double ThemeColours::contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ThemeColours::nearestReadable(const QColor& colour, const QColor& background)
{
    if (readable(colour, background))
        return drawn(colour);
    const double lightness = colour.lightnessF();
    const std::optional<double> lighter = nearestOnTheWay(colour, background, lightness, 1.0);
    const std::optional<double> darker = nearestOnTheWay(colour, background, lightness, 0.0);
    if (lighter && (!darker || *lighter - lightness <= lightness - *darker))
        return withLightness(colour, *lighter);
    if (darker)
        return withLightness(colour, *darker);
    // White or black always reads better than 4.5:1 on one side; this is only a guard.
    return contrast(Qt::white, background) > contrast(Qt::black, background) ? QColor(Qt::white)
                                                                              : QColor(Qt::black);
}

QColor ThemeColours::textColour(const QColor& fixed, const QColor& background, const QColor& paletteText)
{
    if (readable(fixed, background))
        return drawn(fixed);
    // Black, grey and white have no hue to keep: they were the text colour of their day.
    if (fixed.hslHue() < 0 || fixed.hslSaturation() == 0)
        return paletteText;
    return nearestReadable(fixed, background);
}

QColor ThemeColours::fieldColour(const QColor& fixed, const QColor& paletteText, const QColor& paletteBase)
{
    return readable(paletteText, fixed) ? drawn(fixed) : paletteBase;
}

ThemeColours::ThemeColours(QWidget& widget)
    : QObject(&widget)
    , m_widget(widget)
{
    setObjectName(QStringLiteral("themeColours"));
    widget.installEventFilter(this);
}

ThemeColours& ThemeColours::of(QWidget& widget)
{
    if (auto* existing = widget.findChild<ThemeColours*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new ThemeColours(widget);
}

void ThemeColours::setBackground(QWidget& widget, std::uint32_t value)
{
    ThemeColours& colours = of(widget);
    colours.m_background = value;
    colours.apply();
}

void ThemeColours::setForeground(QWidget& widget, std::uint32_t value)
{
    ThemeColours& colours = of(widget);
    colours.m_foreground = value;
    colours.apply();
}

bool ThemeColours::eventFilter(QObject* watched, QEvent* event)
{
    // A new palette, the desktop's or the parent's, reaches the widget as one of these
    // before it is drawn again.
    const QEvent::Type type = event->type();
    if (watched == &m_widget && !m_applying
        && (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange))
        apply();
    return QObject::eventFilter(watched, event);
}

void ThemeColours::apply()
{
    // The palette the widget would have without colours of its own.
    const QWidget* parent = m_widget.parentWidget();
    const QPalette natural = parent ? parent->palette() : QApplication::palette(&m_widget);
    QPalette palette = m_widget.palette();

    std::optional<QColor> background;
    if (m_background) {
        background = (*m_background & SystemColour)
                         ? systemColour(natural, *m_background)
                         : fieldColour(fixedColour(*m_background), natural.color(QPalette::Active, QPalette::Text),
                                       natural.color(QPalette::Active, QPalette::Base));
        setRole(palette, QPalette::Base, *background);
    }
    if (m_foreground) {
        // A label's text is read on its parent's ground, a field's on its own.
        const QPalette::ColorRole ground = m_widget.backgroundRole();
        const QColor under = ground == QPalette::Base && background ? *background
                                                                    : natural.color(QPalette::Active, ground);
        const QColor text =
            (*m_foreground & SystemColour)
                ? systemColour(natural, *m_foreground)
                : textColour(fixedColour(*m_foreground), under,
                             natural.color(QPalette::Active, m_widget.foregroundRole()));
        setRole(palette, QPalette::WindowText, text);
        setRole(palette, QPalette::Text, text);
    }
    m_applying = true;
    m_widget.setPalette(palette);
    m_applying = false;
}

} // namespace pellimor

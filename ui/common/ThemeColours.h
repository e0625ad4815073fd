#pragma once

#include <QColor>
#include <QObject>

#include <cstdint>
#include <optional>

class QPalette;
class QWidget;

namespace pellimor {

// The colours the windows are defined with, as the desktop's palette lets them be read.
//
// A system colour value is the palette's colour, looked up again whenever the palette
// changes. A fixed colour stays exactly as defined wherever it contrasts enough with
// what it is drawn on, which on a light palette is everywhere. Where it does not (a
// dark or high-contrast desktop):
//   - a coloured text becomes the nearest colour of its own hue and saturation, lighter
//     or darker, that reads at the least contrast: the result line stays blue, the links
//     blue, purple and red;
//   - a text without hue (the black labels) takes the palette's own text colour;
//   - a fixed field background (the category box's white) takes the palette's field
//     colour, on which the palette's text colour is meant to be read.
// Every window sets its colours through here, so this is the one place the rule lives.
class ThemeColours : public QObject {
    Q_OBJECT

public:
    // WCAG 2: text is readable from 4.5:1 of relative luminance.
    static constexpr double LeastContrast = 4.5;
    static double luminance(const QColor& colour);
    static double contrast(const QColor& a, const QColor& b);

    // The rule, without widgets.
    static QColor textColour(const QColor& fixed, const QColor& background, const QColor& paletteText);
    static QColor fieldColour(const QColor& fixed, const QColor& paletteText, const QColor& paletteBase);
    // The colour of the same hue and saturation whose lightness is nearest to the
    // colour's own and that reaches the least contrast on the background.
    static QColor nearestReadable(const QColor& colour, const QColor& background);

    // A 0x00BBGGRR colour or a 0x800000nn system colour for the field's background, or
    // for the widget's text; each follows the palette from now on.
    static void setBackground(QWidget& widget, std::uint32_t value);
    static void setForeground(QWidget& widget, std::uint32_t value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ThemeColours(QWidget& widget);
    static ThemeColours& of(QWidget& widget);
    void apply();

    QWidget& m_widget;
    std::optional<std::uint32_t> m_background;
    std::optional<std::uint32_t> m_foreground;
    bool m_applying = false;
};

} // namespace pellimor

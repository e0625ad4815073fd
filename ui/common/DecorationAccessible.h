#pragma once

#include <QAccessibleWidget>

namespace pellimor {

// Pictures that only decorate: the guide vegetables point at a step whose field is
// already named, and the blinking ones greet a result the result box announces itself.
// To assistive technology they are pictures with nothing to say: no name (Qt would
// otherwise lend them the caption of the frame they stand in), no description, no
// action, and never on screen, so that a screen reader, which skips what is not shown,
// passes over them as it would over a hidden one. Nor do they report anything: the
// blinking ones would otherwise send twenty shows and hides a second each, noise for
// every reader and braille display listening. An interface Qt holds invalid has none of
// its events sent, and is listed to assistive technology as no object at all, so that is
// what they are (Qt still counts every child widget).
// A widget becomes one by carrying the property "decorative" set to true before
// anything reports on it: Qt keeps the first interface it makes for a widget.
class DecorationAccessible : public QAccessibleWidget {
public:
    explicit DecorationAccessible(QWidget* widget);

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    bool isValid() const override;

    // Installs the factory that hands out this interface; safe to call repeatedly.
    static void install();
    static constexpr const char* DecorativeProperty = "decorative";
};

} // namespace pellimor

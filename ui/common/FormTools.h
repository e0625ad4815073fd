#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

#include <cstdint>

class QLabel;
class QObject;
class QPixmap;
class QTimer;
class QWidget;

// Small tools every window of the program shares: the twip geometry the windows are
// drawn in, the 0x00BBGGRR colours and system colours, the fonts, picture controls
// and the one way timers are switched on.
namespace pellimor::form {

// 1440 twips to the inch, 96 pixels to the inch: 15 twips make one pixel.
constexpr int twipsPerPixel = 15;
constexpr int px(int twips) { return twips / twipsPerPixel; }
constexpr QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// Colour values as the windows are defined with them.
constexpr std::uint32_t MenuBackground = 0x80000004u;     // a field the user can't use yet
constexpr std::uint32_t WindowBackground = 0x80000005u;   // a usable field
constexpr std::uint32_t White = 0x00FFFFFFu;

// A fixed 0x00BBGGRR colour, or the desktop's colour for a system colour value:
// the menu background is the palette's window colour, the window background its
// base colour, so the program follows the desktop's theme.
QColor color(std::uint32_t value);
// The field's background, in every state (a disabled field keeps the given colour),
// and the widget's text colour; both follow the desktop's palette (ThemeColours).
void setBackground(QWidget& field, std::uint32_t value);
void setForeground(QWidget& widget, std::uint32_t value);

// The program's fonts. Where the named face is missing, the nearest sans serif of the
// same size and weight stands in for it.
QFont sansSerif(double pointSize, bool bold = false, bool italic = false, bool underline = false);
QFont arial(double pointSize, bool bold = false, bool italic = false);

// A window timer, named and parented to its window, stopped. It fires at its interval
// or later, never before: Qt's default timers may fire up to a twentieth early, which
// would hand the splash over at 3325 ms instead of 3500.
QTimer* newTimer(QObject& window, const char* name, int interval);

// Switching on a timer that already runs must leave its schedule alone, which
// QTimer::start() would not: it restarts the period. Every "switch on" goes here.
void switchOn(QTimer& timer);

// An image control shows its picture at the picture's own size, top-left where the
// control stands, never stretched. A null picture empties the control.
void setPicture(QLabel& image, const QPixmap& picture);

} // namespace pellimor::form

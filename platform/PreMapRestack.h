#pragma once

class QWidget;

namespace pellimor {

// Every tool window is raised by the toolkit as it is shown, just before it is mapped.
// On a display without a window manager the server answers the raise with a configure
// notice that carries the place and size the window was created with; the toolkit takes
// it in before the window's first exposure and, not trusting it, asks the display four
// times where the window is and what frame surrounds it, each time waiting for the
// answer, before the window's first frame can be drawn. Nothing in that notice is news.
//
// Call as the window is shown (its native window exists, it is not yet mapped): the one
// such notice that arrives before the window's map is set aside, provided it is the
// server's own (not a window manager's), is for this window, and repeats its place and
// size exactly. Anything else, and everything after the map, reaches the toolkit as ever.
// Does nothing where the display is not X11.
void skipRestackNoticeBeforeMap(QWidget& window);

} // namespace pellimor

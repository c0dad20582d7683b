#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

// Where the main window fits on its screen, with the debug log open or closed. Plain rules on
// rectangles: the window applies what they work out.
//
// Where the window system lets the window learn and set its position (X11, Windows), an opened
// log widens the window and moves it to the left as far as the right edge needs. Where it does
// not (Wayland: the compositor places every window and tells it nothing), a wider window would
// grow to the right from wherever it was put, so the log takes its room from the pages instead,
// and the window keeps its width.
namespace WindowRoom
{

// Room kept for a desktop panel where the screen's available area cannot be learnt: a Wayland
// compositor reports the whole screen as available, its panel included.
constexpr int kPanelAllowance = 48;

struct Screen {
    QRect available;   // the screen's available geometry; empty when there is no screen
    bool placesItself; // whether the window learns and sets its own position
};

// The tallest client area that fits the screen: the design height or less, leaving room for the
// frame (frameAllowance: its height, unknown before the window is shown) and, where the
// available area includes the panels, for a panel.
int clientHeight(const Screen &screen, int designHeight, int frameAllowance);

struct Request {
    Screen screen;
    QRect frame;           // the window's frame now (its position means nothing on Wayland)
    QMargins frameMargins; // the frame around the client area; none before the window is shown
    int pagesWidth;        // the client width that the pages need without the log
    int logWidth;          // the width that the log adds beside them; 0 while it is closed
    int shift;             // how far an earlier opening moved the window to the left
};

struct Fit {
    int width;       // the client width
    QPoint position; // where the frame goes; only where the window places itself
    int pagesYield;  // how much of their width the pages give to the log (they scroll sideways)
    int shift;       // how far the window now stands left of where it was before the log opened
};

Fit fit(const Request &request);

} // namespace WindowRoom

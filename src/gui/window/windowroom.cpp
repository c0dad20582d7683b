#include "window/windowroom.h"

#include <algorithm>

namespace WindowRoom
{

int clientHeight(const Screen &screen, int designHeight, int frameAllowance)
{
    if (screen.available.isEmpty())
        return designHeight;
    const int panel = screen.placesItself ? 0 : kPanelAllowance;
    return std::min(designHeight, screen.available.height() - frameAllowance - panel);
}

Fit fit(const Request &request)
{
    const QRect &room = request.screen.available;
    const int frameWidth = request.frameMargins.left() + request.frameMargins.right();
    const int wanted = request.pagesWidth + request.logWidth;
    const int widest = room.isEmpty() ? wanted : room.width() - frameWidth;

    Fit fit{};
    if (request.logWidth == 0) {
        fit.width = request.pagesWidth;
    } else if (request.screen.placesItself) {
        fit.width = std::min(wanted, widest);
    } else {
        // Any growth could carry the window's right edge off the screen: it stays as wide as the
        // compositor has it, and the pages make room for the log.
        const int current = request.frame.width() - frameWidth;
        fit.width = std::min(current, widest);
    }
    // The log keeps its own width even where the window is narrower than the log and the least
    // of the pages.
    fit.width = std::max(fit.width, request.logWidth);
    fit.pagesYield = std::max(0, wanted - fit.width);

    if (!request.screen.placesItself) {
        fit.position = request.frame.topLeft();
        return fit;
    }
    // A closed log puts the window back where it was before the log moved it; then a window
    // that passes the screen's right edge moves left, but not past its left edge.
    int x = request.frame.x() + (request.logWidth == 0 ? request.shift : 0);
    fit.shift = request.logWidth == 0 ? 0 : request.shift;
    if (!room.isEmpty()) {
        const int right = x + fit.width + frameWidth - 1;
        const int overflow = std::min(right - room.right(), x - room.x());
        if (overflow > 0) {
            x -= overflow;
            fit.shift += overflow;
        }
    }
    fit.position = QPoint(x, request.frame.y());
    return fit;
}

} // namespace WindowRoom

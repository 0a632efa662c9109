// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/geometry.h"

#include <QWidget>

#include <algorithm>

void placeWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight)
{
    if (!window)
        return;
    // For a top-level window, move() places the frame and resize() sets the client area.
    window->move(left, top);
    window->resize(std::max(0, outerWidth - kFrameWidth), std::max(0, outerHeight - kFrameHeight));
}

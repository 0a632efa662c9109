// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Places a top-level window at left, top with the given outer size (frame and title bar
// included), as the windows' layouts were drawn: the client area is the outer size less a
// nominal frame of kFrameWidth by kFrameHeight.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 30;
void placeWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight);

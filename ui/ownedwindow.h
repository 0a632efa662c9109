// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtCore/qnamespace.h>

// Window flags of a working window owned by the main window: modeless, with its own title bar,
// minimise and close buttons, and kept above its owner by the window manager. A plain
// Qt::Window child is not announced as owned on X11 (no WM_TRANSIENT_FOR), so it falls behind
// the main window as soon as the operator clicks there. Use as
// QWidget(context.mainWindow(), ownedWindowFlags()).
inline Qt::WindowFlags ownedWindowFlags()
{
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

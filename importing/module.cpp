// SPDX-License-Identifier: GPL-3.0-or-later
// The entry the program resolves after loading this module on the first import.
#include "importing/importwindow.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT QWidget* tarnel_importing_open(AppContext* context)
{
    return context ? openImportWindow(*context) : nullptr;
}

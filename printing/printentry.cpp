// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printentry.h"

#include "printing/printsession.h"
#include "printing/printsettingswindow.h"

void openPrintSettings(AppContext& context, QWidget* sourceWindow, ReportList* source,
                       PrintPermission permission)
{
    PrintSession::of(context).setSource(sourceWindow, source, std::move(permission));
    // No owner: the settings window stands on its own and leaves the caller usable.
    auto* window = new PrintSettingsWindow(context);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/windows.h"

#include "admin/accountwindow.h"
#include "admin/lothistorywindow.h"
#include "admin/maintenance.h"
#include "admin/recorddetailswindow.h"
#include "core/context.h"

namespace
{

QWidget* openWindow(QWidget* window)
{
    window->show();
    return window;
}

} // namespace

QWidget* openRecordDetailsWindow(AppContext& context)
{
    return openWindow(new RecordDetailsWindow(context));
}

QWidget* openAccountWindow(AppContext& context, QWidget* loginWindow)
{
    return openWindow(new AccountWindow(context, loginWindow));
}

QWidget* openRestoreWindow(AppContext& context)
{
    // A server's data is restored on the server: no window, nothing changes, nothing ends.
    if (tellServerBackups(context, context.mainWindow()))
        return nullptr;
    return openWindow(new RestoreWindow(context));
}

QWidget* openLotHistoryWindow(AppContext& context, const QString& lot)
{
    if (QWidget* owner = context.mainWindow()) {
        const QList<LotHistoryWindow*> open =
            owner->findChildren<LotHistoryWindow*>(Qt::FindDirectChildrenOnly);
        for (LotHistoryWindow* window : open) {
            // A window being closed is hidden until it is deleted; it no longer counts.
            if (window->lot() != lot || !window->isVisible())
                continue;
            window->reload();
            window->showNormal();
            window->raise();
            window->activateWindow();
            return window;
        }
    }
    return openWindow(new LotHistoryWindow(context, lot));
}

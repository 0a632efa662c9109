// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/windows.h"

#include "core/context.h"
#include "insights/statisticswindow.h"
#include "insights/stockalertwindow.h"
#include "ui/dialogservice.h"

namespace
{

// The open window of a kind, shown again; null when there is none.
template <typename Window> Window* raiseOpen(AppContext& context)
{
    QWidget* owner = context.mainWindow();
    if (!owner)
        return nullptr;
    for (Window* window : owner->findChildren<Window*>(Qt::FindDirectChildrenOnly)) {
        // A window being closed is hidden until it is deleted; it no longer counts.
        if (!window->isVisible())
            continue;
        window->showNormal();
        window->raise();
        window->activateWindow();
        return window;
    }
    return nullptr;
}

} // namespace

QWidget* openStockAlertWindow(AppContext& context)
{
    if (!context.isLoggedIn()) {
        context.dialogs().message(context.mainWindow(), QStringLiteral("请登录后操作"),
                                  QStringLiteral("提示"));
        return nullptr;
    }
    if (StockAlertWindow* open = raiseOpen<StockAlertWindow>(context)) {
        open->reload();
        return open;
    }
    auto* window = new StockAlertWindow(context);
    window->show();
    return window;
}

QWidget* openSalesStatisticsWindow(AppContext& context)
{
    if (!context.isAdministrator()) {
        context.dialogs().message(context.mainWindow(), QStringLiteral("此功能仅管理员可用"));
        return nullptr;
    }
    if (StatisticsWindow* open = raiseOpen<StatisticsWindow>(context))
        return open;
    auto* window = new StatisticsWindow(context);
    window->show();
    return window;
}

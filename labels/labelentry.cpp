// SPDX-License-Identifier: GPL-3.0-or-later
#include "labels/labelentry.h"

#include "core/context.h"
#include "labels/labellots.h"
#include "labels/labelwindow.h"
#include "ui/dialogservice.h"
#include "ui/reportlist.h"

QWidget* openLabelsOfSelectedLot(AppContext& context, QWidget* owner, const ReportList* stockList)
{
    const QString title = QStringLiteral("提示");
    if (!context.isLoggedIn()) {
        context.dialogs().message(owner, QStringLiteral("请登录后操作"), title);
        return nullptr;
    }
    const int row = stockList ? stockList->currentRow() : -1;
    QWidget* window = row >= 0 && row < stockList->rowCount()
                          ? openLabelWindow(context, stockList->cellText(row, 1))
                          : nullptr;
    if (!window)
        context.dialogs().message(owner, QStringLiteral("请选择要打印标签的产品"), title);
    return window;
}

QWidget* openLabelWindow(AppContext& context, const QString& lot, int copies)
{
    const std::optional<StockLot> stored = loadStockLot(context.database(), lot);
    if (!stored)
        return nullptr;
    auto* window = new LabelWindow(context, *stored, copies);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

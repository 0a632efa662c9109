// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/windows.h"

#include "movements/borrowingwindow.h"
#include "movements/saleswindow.h"
#include "movements/stockinwindow.h"
#include "movements/stockoutwindow.h"

QWidget* openStockInWindow(AppContext& context)
{
    auto* window = new StockInWindow(context);
    return window->start() ? window : nullptr;
}

namespace
{

template <typename Window> QWidget* openListWindow(AppContext& context)
{
    auto* window = new Window(context);
    window->show();
    return window;
}

} // namespace

QWidget* openSalesWindow(AppContext& context)
{
    return openListWindow<SalesWindow>(context);
}

QWidget* openStockOutWindow(AppContext& context)
{
    return openListWindow<StockOutWindow>(context);
}

QWidget* openBorrowingWindow(AppContext& context)
{
    return openListWindow<BorrowingWindow>(context);
}

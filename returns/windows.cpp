// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/windows.h"

#include "returns/loanreturnswindow.h"
#include "returns/problemgoodswindow.h"
#include "returns/salesreturnswindow.h"

namespace
{

QWidget* openWindow(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

} // namespace

QWidget* openSalesReturnsWindow(AppContext& context)
{
    return openWindow(new SalesReturnsWindow(context));
}

QWidget* openLoanReturnsWindow(AppContext& context)
{
    return openWindow(new LoanReturnsWindow(context));
}

QWidget* openProblemGoodsWindow(AppContext& context)
{
    return openWindow(new ProblemGoodsWindow(context));
}

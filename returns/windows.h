// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AppContext;
class QWidget;

// Opens a returns window modeless, owned by the main window, deleted when closed.
QWidget* openSalesReturnsWindow(AppContext& context);
QWidget* openLoanReturnsWindow(AppContext& context);
QWidget* openProblemGoodsWindow(AppContext& context);

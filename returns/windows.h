#pragma once

class AppContext;
class QWidget;

// Opens a returns window modeless, owned by the main window, deleted when closed.
QWidget* openSalesReturnsWindow(AppContext& context);
QWidget* openLoanReturnsWindow(AppContext& context);
QWidget* openProblemGoodsWindow(AppContext& context);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AppContext;
class QWidget;

// The movement windows, opened modeless and owned by the main window (several may be open at
// once); each deletes itself when closed.

// Opens the stock-in window with its scan box. Returns nullptr when the scan was cancelled or
// empty: the window has then closed without being shown.
QWidget* openStockInWindow(AppContext& context);
QWidget* openSalesWindow(AppContext& context);
QWidget* openStockOutWindow(AppContext& context);
QWidget* openBorrowingWindow(AppContext& context);

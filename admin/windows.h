// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AppContext;
class QString;
class QWidget;

// The administration windows, opened modeless and owned by the main window; each deletes itself
// when closed.

QWidget* openRecordDetailsWindow(AppContext& context);
// The account window, opened from the login window, which it closes when it goes.
QWidget* openAccountWindow(AppContext& context, QWidget* loginWindow);
// On a server connection no window opens (null): a box says that pg_restore restores the data.
QWidget* openRestoreWindow(AppContext& context);
// The history of the stock lot (its 入库单号): one window per lot; the lot's open window is read
// again and raised instead of a second one.
QWidget* openLotHistoryWindow(AppContext& context, const QString& lot);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class AppContext;
class QWidget;
class ReportList;

// 工具 → 打印标签 of the main window: for a logged-in operator, the label window of the lot
// selected in the stock list (column 1 holds its 入库单号). Without a login "请登录后操作", with
// no lot selected (or one deleted since the list was filled) "请选择要打印标签的产品", both titled
// "提示". Returns the window opened, nullptr when none.
QWidget* openLabelsOfSelectedLot(AppContext& context, QWidget* owner, const ReportList* stockList);

// The label window of a lot, modeless and owned by the main window, with the copies to start
// with; nullptr when the master stock has no such lot.
QWidget* openLabelWindow(AppContext& context, const QString& lot, int copies = 1);

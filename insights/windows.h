// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AppContext;
class QWidget;

// The windows of the menu "工具" that answer what is running out and what sells, opened modeless
// and owned by the main window; each deletes itself when closed. Both check who may open them.

// "库存预警", for anybody logged in ("请登录后操作" otherwise); the open window is read again and
// raised instead of a second one.
QWidget* openStockAlertWindow(AppContext& context);
// "销售统计", for the administrator only ("此功能仅管理员可用" otherwise).
QWidget* openSalesStatisticsWindow(AppContext& context);

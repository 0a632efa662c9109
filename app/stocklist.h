// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/reportlist.h"

#include <QList>

class Database;

// The main window's stock list 超级列表框主: every lot of 总数据库模块, numbered from 1. The
// main window shows it and the print of "打印总数据" reads these columns from it.

// 序号 50, 入库单号 123, 产品ID 123, 产品名称 123, 产品库存 80, 产品单位 80, 备注 120.
QList<ReportColumn> stockListColumns();

// Every stock lot in the order the database returns them; the stock shows as its decimal text
// (12, 12.5). A failed query leaves the list empty. Returns the row count.
int fillStockList(Database& db, ReportList* list);

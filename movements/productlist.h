// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/reportlist.h"

#include <QList>
#include <QString>

class AppContext;
class Database;
class QWidget;

// The product list of the sales, stock-out and borrowing windows: the stock lots of
// 总数据库模块, one row each, numbered from 1.

// 序号, 入库单号, 产品ID, 产品名称, 产品库存, 产品单位, 备注.
QList<ReportColumn> productListColumns();

// Every stock lot. Returns the row count.
int fillProductList(Database& db, ReportList* list);
// The lots whose 产品名称 contains the text; only when none does, those whose 产品ID contains it.
// The text is bound as typed, so "%" and "_" keep their LIKE meaning and a quote is found as is.
int searchProductList(Database& db, ReportList* list, const QString& text);
// The lots whose 产品ID contains the text.
int listProductsById(Database& db, ReportList* list, const QString& text);
// Asks for a barcode in the scan box owned by the window and lists the lots whose 产品ID
// contains it; a cancelled or empty scan lists every lot that has a product ID.
int scanIntoProductList(AppContext& context, ReportList* list, QWidget* owner);

// The texts a window keeps from the row last selected in its product list. They survive
// searches and refills; the action still checks that the list has a current row.
struct SelectedProduct {
    QString lot;  // 入库单号, column 1
    QString id;   // 产品ID, column 2
    QString name; // 产品名称, column 3
    QString unit; // 产品单位, column 5

    // Takes the texts of the row; no row (-1, a cleared list) keeps the last ones.
    void takeFrom(const ReportList* list, int row);
};

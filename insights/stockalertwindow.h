// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "insights/stockalert.h"
#include "ui/reportlist.h"

#include <QList>
#include <QWidget>

class AppContext;
class QLabel;
class QPushButton;

// "库存预警": every product in the stock with its stock and minimum, those below their minimum
// first and in red. The administrator sets a product's minimum (double click or "设置最低库存");
// everybody else only sees them. Owned by the main window.
class StockAlertWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StockAlertWindow(AppContext& context);

    ReportList* list() const { return mList; }
    // Reads the products and minimums again.
    void reload();
    // Asks the minimum of the product in the row and stores it at once (administrator only).
    void setMinimumOfRow(int row);
    // "打印": hands the list to the print settings.
    void printList();

private:
    AppContext& mContext;
    ReportList* mList = nullptr;
    QLabel* mStatus = nullptr;
    QPushButton* mSetMinimum = nullptr;
    QList<StockAlertRow> mRows;
};

// The columns of the alert list: 产品ID, 产品名称, 现有库存, 最低库存, 缺少.
QList<ReportColumn> stockAlertColumns();
// The cell texts of an alert row in the list's column order (numbers as 12, 7.5; 缺少 empty when
// the stock is not below the minimum).
QStringList stockAlertCells(const StockAlertRow& row);

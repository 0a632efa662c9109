// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class AppContext;
class QPushButton;
class ReportList;

// The main window's alert: its button 按钮_预警 reads "库存预警", or "库存预警 (N)" in red while N
// products are below their minimum, and opens the alert window; in the stock list the stock of
// every lot of such a product is red. Lives as long as the button.
class StockAlertIndicator : public QObject
{
    Q_OBJECT
public:
    // The stock list's column of 产品ID and of 产品库存.
    StockAlertIndicator(AppContext& context, QPushButton* button, ReportList* stockList,
                        int productIdColumn, int stockColumn);

    // Counts the products below their minimum again (one query), at every refresh of the stock
    // list.
    void refresh();
    int lowCount() const { return int(mLowProducts.size()); }

private:
    AppContext& mContext;
    QPushButton* mButton;
    ReportList* mStockList;
    QSet<QString> mLowProducts;
};

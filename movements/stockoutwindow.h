// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movements/productlistwindow.h"

// 产品出库界面: takes goods out of one stock lot for a reason the operator writes down.
class StockOutWindow : public ProductListWindow
{
    Q_OBJECT
public:
    explicit StockOutWindow(AppContext& context);

private:
    void stockOut();

    QLineEdit* mQuantity = nullptr;
    QLineEdit* mReason = nullptr;
    QLineEdit* mRemark = nullptr;
    QString mStockOutNumber;
};

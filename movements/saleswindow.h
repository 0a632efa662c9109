// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movements/productlistwindow.h"

// 产品销售管理: sells goods out of one stock lot, asking the quantity in an input box.
class SalesWindow : public ProductListWindow
{
    Q_OBJECT
public:
    explicit SalesWindow(AppContext& context);

private:
    void sell();

    QLineEdit* mPrice = nullptr;
    QString mSaleNumber;
};

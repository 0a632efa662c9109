// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movements/productlistwindow.h"

// 产品借用管理: lends goods of one stock lot to a person or unit, approved by the operator.
class BorrowingWindow : public ProductListWindow
{
    Q_OBJECT
public:
    explicit BorrowingWindow(AppContext& context);

private:
    void lend();

    QLineEdit* mBorrower = nullptr;
    QLineEdit* mQuantity = nullptr;
    QLineEdit* mRemark = nullptr;
    QString mLendingNumber;
};

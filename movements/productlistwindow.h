// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movements/productlist.h"

#include <QWidget>

class AppContext;
class QLineEdit;

// What the sales, stock-out and borrowing windows share: the search label and box, the find
// and scan buttons and the product list along the top, the selected product, and the
// window's own message boxes.
class ProductListWindow : public QWidget
{
    Q_OBJECT
protected:
    // findButtonName and listName are the objectNames of this window's find button and list.
    ProductListWindow(AppContext& context, const QString& title, int outerHeight,
                      const QString& findButtonName, const QString& listName);

    void search();
    void tell(const QString& text, const QString& title = QStringLiteral("提示"));

    AppContext& mContext;
    QLineEdit* mSearchBox = nullptr;
    ReportList* mList = nullptr;
    SelectedProduct mSelected;
};

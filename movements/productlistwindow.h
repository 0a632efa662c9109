#pragma once

#include "movements/productlist.h"

#include <QWidget>

class AppContext;
class QLabel;
class QLineEdit;
class QPushButton;

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

    // A label named 透明标签N with its caption, as the buddy of its box.
    QLabel* addLabel(const QString& name, const QString& caption, const QRect& rect,
                     QWidget* buddy);
    QLineEdit* addEdit(const QString& name, const QRect& rect, const QString& text = {});
    QPushButton* addButton(const QString& name, const QString& caption, const QRect& rect);

    void search();
    void tell(const QString& text, const QString& title = QStringLiteral("提示"));

    AppContext& mContext;
    QLineEdit* mSearchBox = nullptr;
    QPushButton* mFindButton = nullptr;
    QPushButton* mScanButton = nullptr;
    ReportList* mList = nullptr;
    SelectedProduct mSelected;
};

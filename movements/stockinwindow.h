// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppContext;
class QComboBox;
class QLineEdit;
class QPushButton;

// 入库信息管理: takes goods in as a new stock lot. The window stays hidden until the scan box
// gives a product ID; after each stock-in the operator may go on with the next scan.
class StockInWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StockInWindow(AppContext& context);

    // The opening: the scan box, then the default units. False when the scan was cancelled or
    // empty and the window has closed.
    bool start();

private:
    // Makes a new stock-in number and asks for the product ID; shows the window for a non-empty
    // text, closes it otherwise. Returns whether the window is shown.
    bool scan();
    void add();
    void clearForm();
    // The label window of the lot stored last, with its quantity as the copies.
    void printLabels();

    AppContext& mContext;
    QLineEdit* mId = nullptr;
    QLineEdit* mName = nullptr;
    QLineEdit* mQuantity = nullptr;
    QComboBox* mUnit = nullptr;
    QLineEdit* mRemark = nullptr;
    QPushButton* mLabelsButton = nullptr;
    QString mStockInNumber;
    // The lot this window stored last and its quantity as typed: what "打印标签" prints.
    QString mStoredLot;
    QString mStoredQuantity;
};

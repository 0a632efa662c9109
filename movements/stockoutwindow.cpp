// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/stockoutwindow.h"

#include "core/context.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "movements/stockreduction.h"
#include "ui/controls.h"
#include "ui/keyboard.h"

#include <QLineEdit>
#include <QPushButton>

StockOutWindow::StockOutWindow(AppContext& context)
    : ProductListWindow(context, QStringLiteral("产品出库界面"), 567, QStringLiteral("按钮_查找"),
                        QStringLiteral("超级列表框_出库"))
{
    mQuantity = addEditBox(this, QStringLiteral("编辑框_数量"), QRect(144, 424, 80, 23));
    mReason = addEditBox(this, QStringLiteral("编辑框_原因"), QRect(144, 457, 339, 23),
                         QStringLiteral("未填写"));
    mRemark = addEditBox(this, QStringLiteral("编辑框_备注"), QRect(144, 494, 339, 23),
                         QStringLiteral("无"));
    addCaptionLabel(this, QStringLiteral("透明标签4"), QStringLiteral("出库数量"),
                    QRect(66, 423, 56, 26), mQuantity);
    addCaptionLabel(this, QStringLiteral("透明标签2"), QStringLiteral("出库原因"),
                    QRect(66, 456, 56, 26), mReason);
    addCaptionLabel(this, QStringLiteral("透明标签3"), QStringLiteral("备    注"),
                    QRect(66, 493, 56, 26), mRemark);
    installIntegerFilter(mQuantity);
    auto* stockOutButton = addCommandButton(this, QStringLiteral("按钮_出库"),
                                            QStringLiteral("出库"), QRect(582, 436, 72, 28));
    auto* cancelButton = addCommandButton(this, QStringLiteral("按钮_取消"), QStringLiteral("取消"),
                                          QRect(582, 476, 72, 28));

    // Enter in the search box does nothing here: only the find button searches.
    connect(mList, &ReportList::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            mQuantity->setFocus();
    });
    onEnterFocus(mQuantity, mReason);
    onEnterFocus(mReason, mRemark);
    onEnterFocus(mRemark, stockOutButton);
    onEnter(stockOutButton, [this] { stockOut(); });
    connect(stockOutButton, &QPushButton::clicked, this, &StockOutWindow::stockOut);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

void StockOutWindow::stockOut()
{
    mStockOutNumber = DocumentNumbers::of(mContext).make(QStringLiteral("ck"));
    if (mList->currentRow() < 0) {
        tell(QStringLiteral("请选择要出库的产品"));
        return;
    }
    const double quantity = leadingNumber(mQuantity->text());
    if (!isAcceptedQuantity(quantity)) {
        tell(QStringLiteral("出库数量有误"));
        return;
    }

    StockReduction stockOut;
    stockOut.lot = mSelected.lot;
    stockOut.quantity = quantity;
    stockOut.comparison = StockComparison::Tolerant;
    stockOut.insertSql = QStringLiteral(
        "insert into 出库管理模块(出库单号,入库单号,产品ID,产品名称,出库数量,产品单位,出库原因,"
        "出库时间,操作人员,备注)values(?,?,?,?,?,?,?,?,?,?)");
    stockOut.insertParams = {mStockOutNumber, mSelected.lot,       mSelected.id,
                             mSelected.name,  mQuantity->text(),   mSelected.unit,
                             mReason->text(), todayText(mContext), mContext.sessionUser(),
                             mRemark->text()};
    stockOut.numberPrefix = QStringLiteral("ck");
    reduceStockAndRecord(mContext, this, mList, stockOut);
    // The number stored, when the one made at the press was already in the file.
    mStockOutNumber = stockOut.insertParams.first().toString();
}

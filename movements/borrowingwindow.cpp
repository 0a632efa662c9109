// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/borrowingwindow.h"

#include "core/context.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "movements/stockreduction.h"
#include "ui/controls.h"
#include "ui/keyboard.h"

#include <QLineEdit>
#include <QPushButton>

BorrowingWindow::BorrowingWindow(AppContext& context)
    : ProductListWindow(context, QStringLiteral("产品借用管理"), 523, QStringLiteral("按钮_查找jy"),
                        QStringLiteral("超级列表框_借用"))
{
    mBorrower = addEditBox(this, QStringLiteral("编辑框_人员"), QRect(161, 428, 72, 20));
    mQuantity = addEditBox(this, QStringLiteral("编辑框_数量"), QRect(161, 456, 72, 20));
    mRemark = addEditBox(this, QStringLiteral("编辑框_备注"), QRect(367, 428, 97, 52),
                         QStringLiteral("无"));
    addCaptionLabel(this, QStringLiteral("透明标签2"), QStringLiteral("借用人员"),
                    QRect(90, 428, 51, 20), mBorrower);
    addCaptionLabel(this, QStringLiteral("透明标签3"), QStringLiteral("借用数量"),
                    QRect(90, 456, 51, 20), mQuantity);
    addCaptionLabel(this, QStringLiteral("透明标签4"), QStringLiteral("备    注"),
                    QRect(296, 428, 51, 20), mRemark);
    mRemark->setAlignment(Qt::AlignLeft | Qt::AlignTop); // a tall box: the text starts at its top
    installIntegerFilter(mQuantity);
    auto* lendButton = addCommandButton(this, QStringLiteral("按钮_借用"),
                                        QStringLiteral("确定借出"), QRect(526, 423, 72, 26));
    auto* cancelButton = addCommandButton(this, QStringLiteral("按钮_取消"), QStringLiteral("取消"),
                                          QRect(526, 455, 72, 26));

    onEnter(mSearchBox, [this] { search(); });
    onEnterFocus(mBorrower, mQuantity);
    onEnterFocus(mQuantity, mRemark);
    // Enter in the remark lends only while the remark is untouched.
    onEnter(mRemark, [this] {
        if (mRemark->text() == QStringLiteral("无"))
            lend();
    });
    connect(lendButton, &QPushButton::clicked, this, &BorrowingWindow::lend);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

void BorrowingWindow::lend()
{
    mLendingNumber = DocumentNumbers::of(mContext).make(QStringLiteral("jy"));
    if (mList->currentRow() < 0) {
        tell(QStringLiteral("请选择要借用的产品"));
        return;
    }
    const double quantity = leadingNumber(mQuantity->text());
    if (!isAcceptedQuantity(quantity)) {
        tell(QStringLiteral("借用数量有误"), QString());
        return;
    }

    StockReduction loan;
    loan.lot = mSelected.lot;
    loan.quantity = quantity;
    loan.comparison = StockComparison::Tolerant;
    loan.insertSql = QStringLiteral(
        "insert into 借用管理模块(借用单号,入库单号,产品ID,产品名称,借用数量,产品单位,借用人员单位,"
        "借用时间,审批人员,备注)values(?,?,?,?,?,?,?,?,?,?)");
    loan.insertParams = {mLendingNumber,    mSelected.lot,       mSelected.id,
                         mSelected.name,    mQuantity->text(),   mSelected.unit,
                         mBorrower->text(), todayText(mContext), mContext.sessionUser(),
                         mRemark->text()};
    loan.numberPrefix = QStringLiteral("jy");
    reduceStockAndRecord(mContext, this, mList, loan);
    // The number stored, when the one made at the press was already in the file.
    mLendingNumber = loan.insertParams.first().toString();
}

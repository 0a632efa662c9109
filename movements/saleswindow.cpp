// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/saleswindow.h"

#include "core/context.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "movements/stockreduction.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/keyboard.h"

#include <QLineEdit>
#include <QPushButton>

SalesWindow::SalesWindow(AppContext& context)
    : ProductListWindow(context, QStringLiteral("产品销售管理"), 495, QStringLiteral("按钮_查找xs"),
                        QStringLiteral("超级列表框_销售"))
{
    mPrice = addEditBox(this, QStringLiteral("编辑框_单价"), QRect(162, 428, 72, 20));
    addCaptionLabel(this, QStringLiteral("透明标签2"), QStringLiteral("单    价"),
                    QRect(91, 428, 53, 20), mPrice);
    installDecimalFilter(mPrice);
    auto* sellButton = addCommandButton(this, QStringLiteral("按钮_销售"),
                                        QStringLiteral("确定出售"), QRect(391, 425, 72, 28));
    auto* cancelButton = addCommandButton(this, QStringLiteral("按钮_取消"), QStringLiteral("取消"),
                                          QRect(559, 425, 72, 28));

    onEnter(mSearchBox, [this] { search(); });
    onEnter(mPrice, [this] { sell(); });
    connect(sellButton, &QPushButton::clicked, this, &SalesWindow::sell);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);

    mSearchBox->setFocus();
}

void SalesWindow::sell()
{
    mSaleNumber = DocumentNumbers::of(mContext).make(QStringLiteral("xs"));

    // The quantity is asked before the selection is looked at; a cancelled box counts as 0.
    qint64 quantity = 0;
    const std::optional<QString> typed =
        mContext.dialogs().input(this, QStringLiteral("请输入销售数量"), QStringLiteral("销售数量"),
                                 QStringLiteral("1"), InputMode::Integer);
    if (typed)
        quantity = leadingInteger(*typed);
    if (quantity <= 0) {
        tell(QStringLiteral("出售数量有误"));
        return;
    }
    if (mList->currentRow() < 0) {
        tell(QStringLiteral("请选择要销售的产品"));
        return;
    }

    StockReduction sale;
    sale.lot = mSelected.lot;
    sale.comparison = StockComparison::WholeNumbers;
    sale.wholeQuantity = quantity;
    sale.insertSql = QStringLiteral(
        "insert into 销售管理模块(销售单号,入库单号,产品ID,产品名称,销售数量,产品单位,销售单价,"
        "销售时间,销售人员)values(?,?,?,?,?,?,?,?,?)");
    sale.insertParams = {mSaleNumber,
                         mSelected.lot,
                         mSelected.id,
                         mSelected.name,
                         QString::number(quantity),
                         mSelected.unit,
                         mPrice->text(),
                         todayText(mContext),
                         mContext.sessionUser()};
    sale.numberPrefix = QStringLiteral("xs");
    reduceStockAndRecord(mContext, this, mList, sale);
    // The number stored, when the one made at the press was already in the file.
    mSaleNumber = sale.insertParams.first().toString();
}

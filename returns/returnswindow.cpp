// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/returnswindow.h"

#include "core/context.h"
#include "core/listfill.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

ReturnsWindow::ReturnsWindow(AppContext& context, const ReturnsWindowLayout& layout)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context), mKind(*layout.kind)
{
    setWindowTitle(layout.title);
    placeWindow(this, 50, 50, 737, 523);

    mDetail = addEditBox(this, layout.detailBoxName, QRect(102, 456, 152, 23));
    addCaptionLabel(this, QStringLiteral("透明标签3"), layout.detailCaption, QRect(22, 456, 80, 23),
                    mDetail);

    mDoesNotAffect = placeControl(new QRadioButton(QStringLiteral("不影响"), this),
                                  QStringLiteral("单选框_不影响"), QRect(283, 461, 92, 16));
    mAffects = placeControl(new QRadioButton(QStringLiteral("影响再次销售"), this),
                            QStringLiteral("单选框_影响"), QRect(283, 429, 92, 16));

    mQuantity = addEditBox(this, layout.quantityBoxName, QRect(102, 425, 152, 23));
    addCaptionLabel(this, QStringLiteral("透明标签2"), layout.quantityCaption,
                    QRect(22, 425, 80, 23), mQuantity);
    installIntegerFilter(mQuantity);

    mRemark = addEditBox(this, QStringLiteral("编辑框_备注"), QRect(478, 428, 97, 52),
                         QStringLiteral("无"));
    mRemark->setAlignment(Qt::AlignLeft | Qt::AlignTop); // a tall box: the text starts at its top
    addCaptionLabel(this, QStringLiteral("透明标签4"), QStringLiteral("备    注"),
                    QRect(407, 428, 51, 20), mRemark);

    auto* scanButton = addCommandButton(this, QStringLiteral("按钮_扫描"),
                                        QStringLiteral("点此扫描"), QRect(408, 8, 72, 28));
    auto* findButton = addCommandButton(this, layout.findButtonName, QStringLiteral("查找"),
                                        QRect(296, 8, 72, 28));
    mSearch = addEditBox(this, QStringLiteral("编辑框_查找"), QRect(129, 9, 143, 23));
    takeScannerInput(mSearch);
    addCaptionLabel(this, QStringLiteral("透明标签1"), QStringLiteral("查找(ID,名称)"),
                    QRect(40, 8, 80, 28), mSearch);

    mList = placeControl(new ReportList(this), layout.listName, QRect(16, 48, 700, 367));
    mList->setColumns(numberedColumns(layout.columns));

    auto* actionButton = addCommandButton(this, layout.actionButtonName, layout.actionButtonCaption,
                                          QRect(606, 423, 72, 26));
    auto* cancelButton = addCommandButton(this, QStringLiteral("按钮_取消"), QStringLiteral("取消"),
                                          QRect(606, 455, 72, 26));

    // Tab follows the Enter chain (quantity, detail, the choice, remark) and then the buttons, the
    // search box and the list; the creation order puts the detail box before the quantity box.
    const QList<QWidget*> tabOrder = {mQuantity,  mDetail,      mAffects,     mDoesNotAffect,
                                      mRemark,    actionButton, cancelButton, mSearch,
                                      findButton, scanButton,   mList};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    // Events.
    connect(findButton, &QPushButton::clicked, this, &ReturnsWindow::search);
    connect(scanButton, &QPushButton::clicked, this, &ReturnsWindow::scan);
    connect(actionButton, &QPushButton::clicked, this, &ReturnsWindow::returnGoods);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
    connect(mList, &ReportList::currentRowChanged, this, &ReturnsWindow::keepSelection);

    onEnterFocus(mQuantity, mDetail);
    if (layout.detailEnterSelectsAffects) {
        onEnter(mDetail, [this] {
            mAffects->setFocus();
            mAffects->setChecked(true);
        });
    } else {
        onEnterFocus(mDetail, mAffects);
    }
    pairRadioArrows(mAffects, mDoesNotAffect);
    onEnterFocus(mAffects, mRemark);
    onEnterFocus(mDoesNotAffect, mRemark);
    const bool remarkEnterReturns = layout.remarkEnterReturns;
    onEnter(mRemark, [this, remarkEnterReturns] {
        if (mRemark->text() != QStringLiteral("无"))
            return;
        if (remarkEnterReturns)
            returnGoods();
        else
            search();
    });

    fillReturnsList(mContext.database(), mList, mKind);
    if (layout.focusSearchAtOpening)
        mSearch->setFocus();
}

void ReturnsWindow::search()
{
    searchReturnsList(mContext.database(), mList, mKind, mSearch->text());
}

void ReturnsWindow::scan()
{
    const std::optional<QString> code =
        mContext.dialogs().input(this, QStringLiteral("请扫描条形码即入库扫描的信息"),
                                 QStringLiteral("扫描窗口"), QString(), InputMode::Scan);
    scanReturnsList(mContext.database(), mList, mKind, code.value_or(QString()));
}

void ReturnsWindow::returnGoods()
{
    mLastOutcome = performReturn(mContext, this, mKind, entry(),
                                 [this] { fillReturnsList(mContext.database(), mList, mKind); });
}

void ReturnsWindow::keepSelection(int row)
{
    // A refill drops the current row but the texts of the last selection stay.
    if (row < 0)
        return;
    mSelection.document = mList->cellText(row, 1);
    mSelection.lot = mList->cellText(row, 2);
    mSelection.productId = mList->cellText(row, 3);
    mSelection.productName = mList->cellText(row, 4);
    mSelection.unit = mList->cellText(row, 6);
}

ReturnEntry ReturnsWindow::entry() const
{
    ReturnEntry entry;
    if (mAffects->isChecked())
        entry.choice = ReturnChoice::AffectsResale;
    else if (mDoesNotAffect->isChecked())
        entry.choice = ReturnChoice::DoesNotAffect;
    entry.hasCurrentRow = mList->currentRow() >= 0;
    entry.selection = mSelection;
    entry.quantityText = mQuantity->text();
    entry.detailText = mDetail->text();
    entry.remark = mRemark->text();
    return entry;
}

#include "returns/returnswindow.h"

#include "app/context.h"
#include "movements/listfill.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace
{

template <typename Control>
Control* place(Control* control, const QString& name, int left, int top, int width, int height)
{
    control->setObjectName(name);
    control->setGeometry(left, top, width, height);
    return control;
}

} // namespace

ReturnsWindow::ReturnsWindow(AppContext& context, const ReturnsWindowLayout& layout)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context), mKind(*layout.kind)
{
    setWindowTitle(layout.title);
    placeWindow(this, 50, 50, 737, 523);

    // Controls in the order the window creates them; the Tab order is set below.
    QLabel* detailLabel = nullptr;
    auto makeDetailLabel = [&] {
        detailLabel = place(new QLabel(layout.detailCaption, this), QStringLiteral("透明标签3"), 22,
                            456, 80, 23);
    };
    if (!layout.detailBoxBeforeLabel)
        makeDetailLabel();
    mDetail = place(new QLineEdit(this), layout.detailBoxName, 102, 456, 152, 23);
    if (layout.detailBoxBeforeLabel)
        makeDetailLabel();
    detailLabel->setBuddy(mDetail);

    mDoesNotAffect = place(new QRadioButton(QStringLiteral("不影响"), this),
                           QStringLiteral("单选框_不影响"), 283, 461, 92, 16);
    mAffects = place(new QRadioButton(QStringLiteral("影响再次销售"), this),
                     QStringLiteral("单选框_影响"), 283, 429, 92, 16);

    auto* quantityLabel = place(new QLabel(layout.quantityCaption, this),
                                QStringLiteral("透明标签2"), 22, 425, 80, 23);
    mQuantity = place(new QLineEdit(this), layout.quantityBoxName, 102, 425, 152, 23);
    quantityLabel->setBuddy(mQuantity);
    installIntegerFilter(mQuantity);

    auto* remarkLabel = place(new QLabel(QStringLiteral("备    注"), this),
                              QStringLiteral("透明标签4"), 407, 428, 51, 20);
    mRemark = place(new QLineEdit(QStringLiteral("无"), this), QStringLiteral("编辑框_备注"), 478,
                    428, 97, 52);
    mRemark->setAlignment(Qt::AlignLeft | Qt::AlignTop); // a tall box: the text starts at its top
    remarkLabel->setBuddy(mRemark);

    auto* scanButton = place(new QPushButton(QStringLiteral("点此扫描"), this),
                             QStringLiteral("按钮_扫描"), 408, 8, 72, 28);
    auto* findButton =
        place(new QPushButton(QStringLiteral("查找"), this), layout.findButtonName, 296, 8, 72, 28);
    auto* searchLabel = place(new QLabel(QStringLiteral("查找(ID,名称)"), this),
                              QStringLiteral("透明标签1"), 40, 8, 80, 28);
    mSearch = place(new QLineEdit(this), QStringLiteral("编辑框_查找"), 129, 9, 143, 23);
    searchLabel->setBuddy(mSearch);

    mList = place(new ReportList(this), layout.listName, 16, 48, 700, 367);
    mList->setColumns(numberedColumns(layout.columns));

    auto* actionButton = place(new QPushButton(layout.actionButtonCaption, this),
                               layout.actionButtonName, 606, 423, 72, 26);
    auto* cancelButton = place(new QPushButton(QStringLiteral("取消"), this),
                               QStringLiteral("按钮_取消"), 606, 455, 72, 26);

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

    fillReturnsList(mContext.数据库(), mList, mKind);
    if (layout.focusSearchAtOpening)
        mSearch->setFocus();
}

void ReturnsWindow::search()
{
    searchReturnsList(mContext.数据库(), mList, mKind, mSearch->text());
}

void ReturnsWindow::scan()
{
    const std::optional<QString> code =
        mContext.dialogs().input(this, QStringLiteral("请扫描条形码即入库扫描的信息"),
                                 QStringLiteral("扫描窗口"), QString(), InputMode::Text);
    scanReturnsList(mContext.数据库(), mList, mKind, code.value_or(QString()));
}

void ReturnsWindow::returnGoods()
{
    mLastOutcome = performReturn(mContext, this, mKind, entry(),
                                 [this] { fillReturnsList(mContext.数据库(), mList, mKind); });
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

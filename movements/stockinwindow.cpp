// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/stockinwindow.h"

#include "core/context.h"
#include "labels/labelentry.h"
#include "labels/labellayout.h"
#include "movements/documentnumbers.h"
#include "movements/movementrules.h"
#include "storage/database.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace
{

// The stock-in document; its first value is the document number.
const QString kStockInInsert =
    QStringLiteral("insert into 入库管理模块(入库单号,产品ID,产品名称,入库数量,"
                   "产品单位,入库时间,入库人员,备注)values(?,?,?,?,?,?,?,?)");

} // namespace

StockInWindow::StockInWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("入库信息管理"));
    placeWindow(this, 50, 50, 259, 295);

    mId = addEditBox(this, QStringLiteral("编辑框_ID"), QRect(106, 22, 109, 21));
    mId->setEnabled(false);
    mName = addEditBox(this, QStringLiteral("编辑框_名称"), QRect(106, 51, 109, 21));
    mQuantity = addEditBox(this, QStringLiteral("编辑框_数量"), QRect(106, 81, 109, 21));
    installIntegerFilter(mQuantity);
    mUnit =
        placeControl(new QComboBox(this), QStringLiteral("组合框_单位"), QRect(106, 111, 109, 21));
    mUnit->setEditable(true);
    // Enter moves on to the remark; it must not add the typed unit to the list.
    mUnit->setInsertPolicy(QComboBox::NoInsert);
    mRemark = addEditBox(this, QStringLiteral("编辑框_备注"), QRect(106, 141, 109, 60),
                         QStringLiteral("无"));
    mRemark->setAlignment(Qt::AlignLeft | Qt::AlignTop); // a tall box: the text starts at its top

    addCaptionLabel(this, QStringLiteral("透明标签1"), QStringLiteral("产 品 ID"),
                    QRect(35, 22, 54, 18), mId);
    addCaptionLabel(this, QStringLiteral("透明标签2"), QStringLiteral("产品名称"),
                    QRect(35, 51, 54, 18), mName);
    addCaptionLabel(this, QStringLiteral("透明标签3"), QStringLiteral("入库数量"),
                    QRect(35, 81, 54, 18), mQuantity);
    addCaptionLabel(this, QStringLiteral("透明标签4"), QStringLiteral("产品单位"),
                    QRect(35, 111, 54, 18), mUnit);
    addCaptionLabel(this, QStringLiteral("透明标签6"), QStringLiteral("备    注"),
                    QRect(35, 159, 54, 18), mRemark);

    auto* addButton = addCommandButton(this, QStringLiteral("按钮_添加"), QStringLiteral("添加"),
                                       QRect(29, 218, 79, 26));
    auto* cancelButton = addCommandButton(this, QStringLiteral("按钮_取消"), QStringLiteral("取消"),
                                          QRect(141, 218, 79, 26));

    // Below the two buttons, in the strip the window has left: the labels of the lot stored
    // last, once a stock-in of this window has succeeded.
    mLabelsButton = addCommandButton(this, QStringLiteral("按钮_打印标签"),
                                     QStringLiteral("打印标签"), QRect(29, 247, 191, 18));
    mLabelsButton->setEnabled(false);
    connect(mLabelsButton, &QPushButton::clicked, this, &StockInWindow::printLabels);

    onEnterFocus(mName, mQuantity);
    onEnterFocus(mQuantity, mUnit);
    onEnterFocus(mUnit, mRemark);
    onEnterFocus(mRemark, addButton);
    onEnter(addButton, [this] { add(); });
    connect(addButton, &QPushButton::clicked, this, &StockInWindow::add);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

bool StockInWindow::start()
{
    const bool shown = scan();
    if (shown) {
        mUnit->addItems(loadDefaultUnits(mContext.database()));
        mUnit->setCurrentIndex(0);
    }
    return shown;
}

bool StockInWindow::scan()
{
    mStockInNumber = DocumentNumbers::of(mContext).make(QStringLiteral("rk"));
    const QString prompt = QStringLiteral("请扫描条形码或手动输入产品ID\r\n"
                                          "***产品ID为必填内容***\r\n"
                                          "产品ID为以后查找货物的重要条件");
    const std::optional<QString> code = mContext.dialogs().input(
        mContext.mainWindow(), prompt, QStringLiteral("扫描窗口"), QString(), InputMode::Scan);
    // Not trimmed: a code of blanks is a code.
    if (!code || code->isEmpty()) {
        close();
        return false;
    }
    show();
    mName->setFocus();
    mId->setText(*code);
    return true;
}

void StockInWindow::add()
{
    if (mName->text().isEmpty()) {
        mContext.dialogs().message(this, QStringLiteral("产品名称不能为空"));
        return;
    }
    if (!isAcceptedQuantity(leadingNumber(mQuantity->text()))) {
        mContext.dialogs().message(this, QStringLiteral("产品数量输入错误"));
        return;
    }

    Database& db = mContext.database();
    const QString quantity = mQuantity->text();
    const QString unit = mUnit->currentText();
    for (int tries = 1;; ++tries) {
        // The stock-in document and its new stock lot: both rows or neither.
        Transaction transaction(db);
        const bool inserted =
            transaction.isActive() &&
            db.ExecuteSql(kStockInInsert,
                          {mStockInNumber, mId->text(), mName->text(), quantity, unit,
                           todayText(mContext), mContext.sessionUser(), mRemark->text()}) &&
            db.ExecuteSql(
                QStringLiteral("insert  into 总数据库模块(入库单号,产品ID,产品名称,产品库存,"
                               "产品单位,备注)values(?,?,?,?,?,?)"),
                {mStockInNumber, mId->text(), mName->text(), quantity, unit, mRemark->text()});
        // The number is already in the file (an earlier run, or another moment with the same
        // digits): undo, and store the whole stock-in again under the next number.
        if (transaction.isActive() && !inserted &&
            db.lastFailure() == StatementFailure::DuplicateKey && tries < kMaxDocumentNumberTries) {
            transaction.rollback();
            mStockInNumber = DocumentNumbers::of(mContext).make(QStringLiteral("rk"));
            continue;
        }
        if (inserted && transaction.commit())
            break;
        // The link broke after COMMIT was sent: the number tells whether the server stored it.
        const DocumentLookup lookup =
            inserted && db.lastFailure() == StatementFailure::CommitUnknown
                ? lookUpDocument(db, kStockInInsert, mStockInNumber)
                : DocumentLookup::Missing;
        if (lookup == DocumentLookup::Stored)
            break;
        transaction.rollback();
        mContext.dialogs().message(
            this,
            lookup == DocumentLookup::Unknown ? kCommitUnconfirmed : QStringLiteral("产品入库失败"),
            QStringLiteral("提示"));
        return;
    }

    mStoredLot = mStockInNumber;
    mStoredQuantity = quantity;
    mLabelsButton->setEnabled(true);
    mContext.refreshMainWindow();
    const MessageAnswer answer = mContext.dialogs().message(
        this, QStringLiteral("产品入库成功是否继续添加"), QStringLiteral("提示"), MessageIcon::None,
        MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) {
        clearForm();
        scan();
    } else {
        close();
    }
}

void StockInWindow::clearForm()
{
    mId->clear();
    mName->clear();
    mQuantity->clear();
    mRemark->clear();
    mUnit->setCurrentIndex(0);
    hide();
}

void StockInWindow::printLabels()
{
    if (mStoredLot.isEmpty())
        return;
    // A quantity such as 1.5 (pasted) gives its whole part; the label window keeps 1 to 1000.
    const double quantity = leadingNumber(mStoredQuantity);
    int copies = 1;
    if (std::isfinite(quantity) && quantity >= 1)
        copies = quantity >= kMaxCopies ? kMaxCopies : int(quantity);
    openLabelWindow(mContext, mStoredLot, copies);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/stockalertwindow.h"

#include "core/context.h"
#include "printing/printentry.h"
#include "storage/database.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"
#include "ui/reportlist.h"

#include <QLabel>
#include <QPushButton>

namespace
{

constexpr int kOuterWidth = 640;
constexpr int kOuterHeight = 480;
constexpr int kClientWidth = kOuterWidth - kFrameWidth;
constexpr int kClientHeight = kOuterHeight - kFrameHeight;
const QString kInfoTitle = QStringLiteral("提示");
const QString kMinimumTitle = QStringLiteral("设置最低库存");

} // namespace

QList<ReportColumn> stockAlertColumns()
{
    return {
        {QStringLiteral("产品ID"), 140},
        {QStringLiteral("产品名称"), 180},
        {QStringLiteral("现有库存"), 90, Qt::AlignRight},
        {QStringLiteral("最低库存"), 90, Qt::AlignRight},
        {QStringLiteral("缺少"), 86, Qt::AlignRight},
    };
}

QStringList stockAlertCells(const StockAlertRow& row)
{
    return {row.productId, row.productName, numberText(row.stock),
            row.minimum > 0 ? numberText(row.minimum) : QStringLiteral("0"),
            row.isLow() ? numberText(row.shortfall()) : QString()};
}

StockAlertWindow::StockAlertWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("库存预警窗口"));
    setWindowTitle(QStringLiteral("库存预警"));
    placeWindow(this, 50, 50, kOuterWidth, kOuterHeight);

    const int buttonTop = kClientHeight - 36;
    mList = placeControl(new ReportList(this), QStringLiteral("超级列表框_预警"),
                         QRect(8, 8, kClientWidth - 16, buttonTop - 40));
    mList->setColumns(stockAlertColumns());
    // The products below their minimum come first: those rows are red.
    mList->setCellColour([this](int row, int) {
        return row < mRows.size() && mRows.at(row).isLow() ? QColor(Qt::red) : QColor();
    });
    connect(mList, &ReportList::doubleClicked, this,
            [this](const QModelIndex& index) { setMinimumOfRow(index.row()); });

    mStatus = placeControl(new QLabel(this), QStringLiteral("标签_状态"),
                           QRect(8, buttonTop - 28, kClientWidth - 16, 22));

    mSetMinimum = addCommandButton(this, QStringLiteral("按钮_设置最低库存"), kMinimumTitle,
                                   QRect(8, buttonTop, 100, 28));
    mSetMinimum->setEnabled(mContext.isAdministrator());
    connect(mSetMinimum, &QPushButton::clicked, this,
            [this] { setMinimumOfRow(mList->currentRow()); });
    auto* print = addCommandButton(this, QStringLiteral("按钮_打印"), QStringLiteral("打印"),
                                   QRect(kClientWidth - 168, buttonTop, 76, 28));
    connect(print, &QPushButton::clicked, this, &StockAlertWindow::printList);
    auto* close = addCommandButton(this, QStringLiteral("按钮_关闭"), QStringLiteral("关闭"),
                                   QRect(kClientWidth - 84, buttonTop, 76, 28));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    reload();
    mList->setFocus();
}

void StockAlertWindow::reload()
{
    const int current = mList->currentRow();
    const QString currentId = current >= 0 ? mList->cellText(current, 0) : QString();
    mRows = readStockAlerts(mContext.database());
    std::vector<QStringList> cells;
    cells.reserve(std::size_t(mRows.size()));
    int low = 0;
    int again = -1;
    for (const StockAlertRow& row : mRows) {
        if (row.productId == currentId && !currentId.isEmpty())
            again = int(cells.size());
        cells.push_back(stockAlertCells(row));
        low += row.isLow() ? 1 : 0;
    }
    mList->clear();
    mList->appendRows(std::move(cells));
    if (again >= 0)
        mList->setCurrentRow(again);
    mStatus->setText(lowStockStatus(low));
}

void StockAlertWindow::setMinimumOfRow(int row)
{
    if (!mContext.isAdministrator()) {
        mContext.dialogs().message(this, QStringLiteral("此功能仅管理员可用"));
        return;
    }
    if (row < 0 || row >= mRows.size()) {
        mContext.dialogs().message(this, QStringLiteral("请选择产品"), kInfoTitle);
        return;
    }
    const StockAlertRow& product = mRows.at(row);
    const std::optional<QString> typed = mContext.dialogs().input(
        this, QStringLiteral("请输入产品 %1 的最低库存（0 表示不预警）").arg(product.productId),
        kMinimumTitle, numberText(product.minimum));
    if (!typed)
        return;
    const std::optional<double> minimum = parseMinimum(*typed);
    if (!minimum) {
        mContext.dialogs().message(this, QStringLiteral("最低库存有误"), kInfoTitle);
        return;
    }
    if (!storeMinimum(mContext.database(), product.productId, *minimum)) {
        mContext.dialogs().message(this, QStringLiteral("操作失败"), kInfoTitle);
        return;
    }
    reload();
    // The main window's alert button and the red stock follow at once.
    mContext.refreshMainWindow();
}

void StockAlertWindow::printList()
{
    openPrintSettings(mContext, this, mList);
}

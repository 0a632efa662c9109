// SPDX-License-Identifier: GPL-3.0-or-later
#include "insights/stockalertindicator.h"

#include "core/context.h"
#include "insights/stockalert.h"
#include "insights/windows.h"
#include "ui/reportlist.h"

#include <QPalette>
#include <QPushButton>

StockAlertIndicator::StockAlertIndicator(AppContext& context, QPushButton* button,
                                         ReportList* stockList, int productIdColumn,
                                         int stockColumn)
    : QObject(button), mContext(context), mButton(button), mStockList(stockList)
{
    mButton->setText(alertButtonCaption(0));
    connect(mButton, &QPushButton::clicked, this, [this] { openStockAlertWindow(mContext); });
    // Asked only for the rows on screen: the fill of a long list does not pay for it.
    mStockList->setCellColour([this, productIdColumn, stockColumn](int row, int column) {
        if (column != stockColumn || mLowProducts.isEmpty() ||
            !mLowProducts.contains(mStockList->cellText(row, productIdColumn)))
            return QColor();
        return QColor(Qt::red);
    });
}

void StockAlertIndicator::refresh()
{
    mLowProducts = readLowStockProducts(mContext.database()).value_or(QSet<QString>());
    mButton->setText(alertButtonCaption(lowCount()));
    QPalette palette = mButton->palette();
    palette.setColor(QPalette::ButtonText,
                     lowCount() > 0
                         ? QColor(Qt::red)
                         : mButton->parentWidget()->palette().color(QPalette::ButtonText));
    mButton->setPalette(palette);
    // Only the rows on screen are drawn again.
    mStockList->viewport()->update();
}

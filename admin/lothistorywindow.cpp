// SPDX-License-Identifier: GPL-3.0-or-later
#include "admin/lothistorywindow.h"

#include "admin/lothistory.h"
#include "core/context.h"
#include "printing/printentry.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"
#include "ui/reportlist.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>

namespace
{

constexpr int kOuterWidth = 820;
constexpr int kOuterHeight = 509;
constexpr int kClientWidth = kOuterWidth - kFrameWidth;
constexpr int kClientHeight = kOuterHeight - kFrameHeight;
constexpr int kStatusHeight = 21;
constexpr int kBoxHeight = 22;

// A read-only box with its caption as buddy.
QLineEdit* addShownBox(QWidget* window, const QString& role, const QString& caption, int left,
                       int captionWidth, int boxWidth, int top)
{
    QLineEdit* box = addEditBox(window, QStringLiteral("编辑框_") + role,
                                QRect(left + captionWidth, top, boxWidth, kBoxHeight));
    box->setReadOnly(true);
    addCaptionLabel(window, QStringLiteral("标签_") + role, caption,
                    QRect(left, top, captionWidth, kBoxHeight), box);
    return box;
}

} // namespace

LotHistoryWindow::LotHistoryWindow(AppContext& context, const QString& lot)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context), mLot(lot)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("批次履历窗口"));
    setWindowTitle(QStringLiteral("批次履历 - ") + lot);
    placeWindow(this, 50, 50, kOuterWidth, kOuterHeight);

    auto* menuBar = new QMenuBar(this);
    QAction* print = menuBar->addAction(QStringLiteral("打印"));
    print->setObjectName(QStringLiteral("菜单_打印"));
    connect(print, &QAction::triggered, this, &LotHistoryWindow::printHistory);
    const int menuHeight = menuBar->sizeHint().height();
    menuBar->setGeometry(0, 0, kClientWidth, menuHeight);

    const int boxTop = menuHeight + 8;
    mProductId =
        addShownBox(this, QStringLiteral("产品ID"), QStringLiteral("产品ID:"), 8, 56, 170, boxTop);
    mProductName = addShownBox(this, QStringLiteral("产品名称"), QStringLiteral("产品名称:"), 246,
                               66, 300, boxTop);
    mUnit = addShownBox(this, QStringLiteral("产品单位"), QStringLiteral("产品单位:"), 624, 66, 114,
                        boxTop);

    const int listTop = boxTop + kBoxHeight + 8;
    mList = placeControl(
        new ReportList(this), QStringLiteral("超级列表框_履历"),
        QRect(8, listTop, kClientWidth - 16, kClientHeight - listTop - kStatusHeight - 10));
    mList->setColumns(LotHistory::listColumns());

    mStatus =
        placeControl(new QLabel(this), QStringLiteral("透明标签_状态"),
                     QRect(8, kClientHeight - kStatusHeight - 3, kClientWidth - 16, kStatusHeight));

    reload();
    mList->setFocus();
}

void LotHistoryWindow::reload()
{
    const LotHistory history = LotHistory::load(mContext.database(), mLot);
    mProductId->setText(history.product().id);
    mProductName->setText(history.product().name);
    mUnit->setText(history.product().unit);
    mList->clear();
    mList->appendPackedRows(history.packedListRows());

    mStatus->setText(history.statusText());
    // A ledger that disagrees with the stock is shown in red; otherwise the usual text colour.
    QPalette palette = this->palette();
    if (!history.isBalanced())
        palette.setColor(QPalette::WindowText, Qt::red);
    mStatus->setPalette(palette);
}

void LotHistoryWindow::printHistory()
{
    openPrintSettings(mContext, this, mList);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/productlistwindow.h"

#include "core/context.h"
#include "ui/controls.h"
#include "ui/dialogservice.h"
#include "ui/geometry.h"
#include "ui/keyboard.h"
#include "ui/ownedwindow.h"

#include <QLineEdit>
#include <QPushButton>

ProductListWindow::ProductListWindow(AppContext& context, const QString& title, int outerHeight,
                                     const QString& findButtonName, const QString& listName)
    : QWidget(context.mainWindow(), ownedWindowFlags()), mContext(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    placeWindow(this, 50, 50, 737, outerHeight);

    mSearchBox = addEditBox(this, QStringLiteral("编辑框_查找"), QRect(129, 9, 143, 23));
    takeScannerInput(mSearchBox);
    addCaptionLabel(this, QStringLiteral("透明标签1"), QStringLiteral("查找(ID,名称)"),
                    QRect(40, 8, 80, 28), mSearchBox);
    auto* findButton =
        addCommandButton(this, findButtonName, QStringLiteral("查找"), QRect(296, 8, 72, 28));
    auto* scanButton = addCommandButton(this, QStringLiteral("按钮_扫描"),
                                        QStringLiteral("点此扫描"), QRect(408, 8, 72, 28));

    mList = placeControl(new ReportList(this), listName, QRect(16, 48, 700, 367));
    mList->setColumns(productListColumns());

    connect(findButton, &QPushButton::clicked, this, &ProductListWindow::search);
    connect(scanButton, &QPushButton::clicked, this,
            [this] { scanIntoProductList(mContext, mList, this); });
    connect(mList, &ReportList::currentRowChanged, this,
            [this](int row) { mSelected.takeFrom(mList, row); });

    fillProductList(mContext.database(), mList);
}

void ProductListWindow::search()
{
    searchProductList(mContext.database(), mList, mSearchBox->text());
}

void ProductListWindow::tell(const QString& text, const QString& title)
{
    mContext.dialogs().message(this, text, title);
}

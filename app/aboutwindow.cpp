// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/aboutwindow.h"

#include "core/context.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"

#include <QFont>
#include <QLabel>

AboutWindow::AboutWindow(AppContext& context) : QWidget(context.mainWindow(), ownedWindowFlags())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("关于软件"));
    placeWindow(this, 50, 50, 417, 267);

    auto* name = placeControl(new QLabel(QStringLiteral("<<Tarnel>>商品仓库管理系统"), this),
                              QStringLiteral("透明标签_名称"), QRect(20, 40, 361, 36));
    QFont nameFont = name->font();
    nameFont.setPointSize(nameFont.pointSize() + 5);
    nameFont.setBold(true);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);

    auto* version = placeControl(new QLabel(QStringLiteral("版本 2.12"), this),
                                 QStringLiteral("透明标签_版本"), QRect(20, 86, 361, 22));
    version->setAlignment(Qt::AlignCenter);

    auto* purpose = placeControl(new QLabel(QStringLiteral("管理小型商品仓库的库存批次，记录入库、"
                                                           "出库、销售、借用、归还、退货与问题产品"
                                                           "的每一张单据。"),
                                            this),
                                 QStringLiteral("透明标签_用途"), QRect(30, 124, 341, 60));
    purpose->setAlignment(Qt::AlignCenter);
    purpose->setWordWrap(true);
}

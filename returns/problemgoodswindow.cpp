// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/problemgoodswindow.h"

#include "core/context.h"
#include "core/listfill.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/ownedwindow.h"
#include "ui/reportlist.h"

ProblemGoodsWindow::ProblemGoodsWindow(AppContext& context)
    : QWidget(context.mainWindow(), ownedWindowFlags())
{
    setWindowTitle(QStringLiteral("问题产品统计"));
    placeWindow(this, 50, 50, 903, 467);

    mList = placeControl(new ReportList(this), QStringLiteral("超级列表框_问题"),
                         QRect(8, 38, 880, 397));
    mList->setColumns(numberedColumns({{QStringLiteral("问题单号"), 123},
                                       {QStringLiteral("入库单号"), 123},
                                       {QStringLiteral("销售单号"), 123},
                                       {QStringLiteral("退货单号"), 123},
                                       {QStringLiteral("借用单号"), 123},
                                       {QStringLiteral("归还单号"), 123},
                                       {QStringLiteral("产品ID"), 123},
                                       {QStringLiteral("产品名称"), 123},
                                       {QStringLiteral("问题数量"), 80},
                                       {QStringLiteral("产品单位"), 80},
                                       {QStringLiteral("问题原因"), 123},
                                       {QStringLiteral("发现时间"), 123},
                                       {QStringLiteral("录入人员"), 80},
                                       {QStringLiteral("备注"), 123}}));

    fillListFromQuery(
        context.database(), mList, QStringLiteral("select * from 问题处理模块"), {},
        {QStringLiteral("问题单号"), QStringLiteral("入库单号"), QStringLiteral("销售单号"),
         QStringLiteral("退货单号"), QStringLiteral("借用单号"), QStringLiteral("归还单号"),
         QStringLiteral("产品ID"), QStringLiteral("产品名称"), QStringLiteral("问题数量"),
         QStringLiteral("产品单位"), QStringLiteral("问题原因"), QStringLiteral("发现时间"),
         QStringLiteral("录入人员"), QStringLiteral("备注")});
}

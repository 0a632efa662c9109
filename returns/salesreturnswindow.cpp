// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/salesreturnswindow.h"

namespace
{

ReturnsWindowLayout salesLayout()
{
    ReturnsWindowLayout layout;
    layout.kind = &ReturnKind::sales();
    layout.title = QStringLiteral("退货管理");
    layout.listName = QStringLiteral("超级列表框_退货");
    layout.columns = {{QStringLiteral("销售单号"), 123}, {QStringLiteral("入库单号"), 123},
                      {QStringLiteral("产品ID"), 100},   {QStringLiteral("产品名称"), 100},
                      {QStringLiteral("数量"), 50},      {QStringLiteral("单位"), 50},
                      {QStringLiteral("单价"), 70},      {QStringLiteral("销售时间"), 123},
                      {QStringLiteral("销售人员"), 80},  {QStringLiteral("退货记录"), 80},
                      {QStringLiteral("备注"), 111}};
    layout.findButtonName = QStringLiteral("按钮_查找th");
    layout.quantityBoxName = QStringLiteral("编辑框_退货数量");
    layout.quantityCaption = QStringLiteral("退货数量");
    layout.detailBoxName = QStringLiteral("编辑框_原因");
    layout.detailCaption = QStringLiteral("退货原因");
    layout.actionButtonName = QStringLiteral("按钮_退货");
    layout.actionButtonCaption = QStringLiteral("确定退货");
    layout.detailEnterSelectsAffects = false;
    layout.remarkEnterReturns = false;
    layout.focusSearchAtOpening = true;
    return layout;
}

} // namespace

SalesReturnsWindow::SalesReturnsWindow(AppContext& context) : ReturnsWindow(context, salesLayout())
{
}

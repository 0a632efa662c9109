// SPDX-License-Identifier: GPL-3.0-or-later
#include "returns/loanreturnswindow.h"

namespace
{

ReturnsWindowLayout loanLayout()
{
    ReturnsWindowLayout layout;
    layout.kind = &ReturnKind::loans();
    layout.title = QStringLiteral("归还管理");
    layout.listName = QStringLiteral("超级列表框_归还");
    layout.columns = {{QStringLiteral("借用单号"), 123},     {QStringLiteral("入库单号"), 123},
                      {QStringLiteral("产品ID"), 100},       {QStringLiteral("产品名称"), 100},
                      {QStringLiteral("数量"), 50},          {QStringLiteral("单位"), 50},
                      {QStringLiteral("借用人员单位"), 123}, {QStringLiteral("借用时间"), 123},
                      {QStringLiteral("录入人员"), 80},      {QStringLiteral("归还记录"), 80},
                      {QStringLiteral("备注"), 111}};
    layout.findButtonName = QStringLiteral("按钮_查找gh");
    layout.quantityBoxName = QStringLiteral("编辑框_归还数量");
    layout.quantityCaption = QStringLiteral("归还数量");
    layout.detailBoxName = QStringLiteral("编辑框_归还人员");
    layout.detailCaption = QStringLiteral("归还人员");
    layout.actionButtonName = QStringLiteral("按钮_归还");
    layout.actionButtonCaption = QStringLiteral("确定");
    layout.detailEnterSelectsAffects = true;
    layout.remarkEnterReturns = true;
    layout.focusSearchAtOpening = false;
    return layout;
}

} // namespace

LoanReturnsWindow::LoanReturnsWindow(AppContext& context) : ReturnsWindow(context, loanLayout()) {}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stocklist.h"

#include "core/listfill.h"

QList<ReportColumn> stockListColumns()
{
    return numberedColumns({
        {QStringLiteral("入库单号"), 123},
        {QStringLiteral("产品ID"), 123},
        {QStringLiteral("产品名称"), 123},
        {QStringLiteral("产品库存"), 80},
        {QStringLiteral("产品单位"), 80},
        {QStringLiteral("备注"), 120},
    });
}

int fillStockList(Database& db, ReportList* list)
{
    static const QStringList fields{QStringLiteral("入库单号"), QStringLiteral("产品ID"),
                                    QStringLiteral("产品名称"), QStringLiteral("产品库存"),
                                    QStringLiteral("产品单位"), QStringLiteral("备注")};
    return fillListFromQuery(db, list, QStringLiteral("select * from 总数据库模块"), {}, fields);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "movements/productlist.h"

#include "core/context.h"
#include "core/listfill.h"
#include "storage/database.h"
#include "ui/dialogservice.h"

namespace
{

const QStringList& productFields()
{
    static const QStringList fields{QStringLiteral("入库单号"), QStringLiteral("产品ID"),
                                    QStringLiteral("产品名称"), QStringLiteral("产品库存"),
                                    QStringLiteral("产品单位"), QStringLiteral("备注")};
    return fields;
}

QString containing(const QString& text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

} // namespace

QList<ReportColumn> productListColumns()
{
    return numberedColumns({
        {QStringLiteral("入库单号"), 130},
        {QStringLiteral("产品ID"), 120},
        {QStringLiteral("产品名称"), 150},
        {QStringLiteral("产品库存"), 70},
        {QStringLiteral("产品单位"), 70},
        {QStringLiteral("备注"), 90},
    });
}

int fillProductList(Database& db, ReportList* list)
{
    return fillListFromQuery(db, list, QStringLiteral("select * from 总数据库模块"), {},
                             productFields());
}

int searchProductList(Database& db, ReportList* list, const QString& text)
{
    const int rows = fillListFromQuery(
        db, list, QStringLiteral("select * from 总数据库模块 where 产品名称 like ? "),
        {containing(text)}, productFields());
    if (rows > 0)
        return rows;
    return listProductsById(db, list, text);
}

int listProductsById(Database& db, ReportList* list, const QString& text)
{
    return fillListFromQuery(db, list,
                             QStringLiteral("select * from 总数据库模块 where 产品ID like ? "),
                             {containing(text)}, productFields());
}

int scanIntoProductList(AppContext& context, ReportList* list, QWidget* owner)
{
    const std::optional<QString> code =
        context.dialogs().input(owner, QStringLiteral("请扫描条形码即入库扫描的信息"),
                                QStringLiteral("扫描窗口"), QString(), InputMode::Scan);
    return listProductsById(context.database(), list, code.value_or(QString()));
}

void SelectedProduct::takeFrom(const ReportList* list, int row)
{
    if (row < 0 || row >= list->rowCount())
        return;
    lot = list->cellText(row, 1);
    id = list->cellText(row, 2);
    name = list->cellText(row, 3);
    unit = list->cellText(row, 5);
}
